#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nvl {

// Where the tag being typed starts: after the last separator (; ； 、 , ，).
qsizetype tagWordStart(const QString &text);
// The book's tags that the word being typed could become, not yet on the card.
QStringList tagChoices(const QString &typed, const QStringList &bookTags, int most);
// The field's text with a chosen tag in place of the word being typed, or
// added after the tags already complete.
QString withChosenTag(const QString &typed, const QString &tag, const QStringList &bookTags);

// Buttons under the tag field, one per tag it could take: what the completion
// popup offers, where a pointer or a screen reader reaches it.
class TagChoices : public QWidget {
    Q_OBJECT
public:
    static constexpr int Most = 6;
    TagChoices(QLineEdit *field, QWidget *parent);
    void setBookTags(const QStringList &tags);

private:
    void refresh();

    QLineEdit *m_field;
    QLabel *m_caption;
    QList<QPushButton *> m_buttons;
    QStringList m_bookTags;
};

} // namespace nvl
