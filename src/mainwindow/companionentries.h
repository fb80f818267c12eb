#pragma once

#include "services.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QListWidget;
class QPushButton;

namespace nvl {

class BookDocument;

// The companion's entries that no record of the book matches any more (the
// book was edited by another program): each shown with the record it
// belonged to, for the user to attach to one of today's records or discard.
class CompanionEntriesDialog : public QDialog {
    Q_OBJECT
public:
    using Ask = std::function<MessageAnswer(const QString &, MessageButtons)>;
    // `apply` makes a change to the book and saves it; false when it did not.
    // `ask` puts a question to the user.
    CompanionEntriesDialog(BookDocument &book, std::function<bool(std::function<bool()>)> apply,
                           Ask ask, QWidget *parent = nullptr);

    // How an entry is listed: the record it belonged to and what it holds.
    static QString describe(int index, const BookDocument &book);

private:
    void refill();
    // The one record whose postal code and 住所１ are the entry's, if any.
    void offerLikelyRecord();
    void attach();
    void discard();

    BookDocument &m_book;
    std::function<bool(std::function<bool()>)> m_apply;
    Ask m_ask;
    QListWidget *m_entries = nullptr;
    QComboBox *m_records = nullptr;
    QPushButton *m_attach = nullptr;
    QPushButton *m_discard = nullptr;
};

} // namespace nvl
