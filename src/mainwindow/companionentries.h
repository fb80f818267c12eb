#pragma once

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
    // `apply` makes a change to the book and saves it; false when it did not.
    CompanionEntriesDialog(BookDocument &book, std::function<bool(std::function<bool()>)> apply,
                           std::function<bool(const QString &)> confirm, QWidget *parent = nullptr);

    // How an entry is listed: the record it belonged to and what it holds.
    static QString describe(int index, const BookDocument &book);

private:
    void refill();
    void attach();
    void discard();

    BookDocument &m_book;
    std::function<bool(std::function<bool()>)> m_apply;
    std::function<bool(const QString &)> m_confirm;
    QListWidget *m_entries = nullptr;
    QComboBox *m_records = nullptr;
    QPushButton *m_attach = nullptr;
    QPushButton *m_discard = nullptr;
};

} // namespace nvl
