#include "tagchoices.h"

#include "recordsearch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nvl {
namespace {

// The word still being typed: none once it is one of the book's tags.
QString partialWord(const QString &text, const QStringList &bookTags) {
    const QString word = text.mid(tagWordStart(text)).trimmed();
    return bookTags.contains(word, Qt::CaseInsensitive) ? QString() : word;
}

} // namespace

qsizetype tagWordStart(const QString &text) {
    qsizetype start = 0;
    for (QChar separator : {u';', u'；', u'、', u',', u'，'})
        start = std::max(start, text.lastIndexOf(separator) + 1);
    return start;
}

QStringList tagChoices(const QString &typed, const QStringList &bookTags, int most) {
    const QStringList onCard = splitTags(typed);
    const QString word = partialWord(typed, bookTags);
    QStringList choices;
    for (const QString &tag : bookTags) {
        if (choices.size() >= most)
            break;
        if (!onCard.contains(tag, Qt::CaseInsensitive) && tag.startsWith(word, Qt::CaseInsensitive))
            choices.append(tag);
    }
    return choices;
}

QString withChosenTag(const QString &typed, const QString &tag, const QStringList &bookTags) {
    const qsizetype start = tagWordStart(typed);
    if (!partialWord(typed, bookTags).isEmpty() || typed.mid(start).trimmed().isEmpty()) {
        // As the completion popup writes it: one blank after a separator.
        QString before = typed.left(start);
        if (!before.isEmpty() && !before.endsWith(u' '))
            before += u' ';
        return before + tag;
    }
    return typed.trimmed() + QStringLiteral("; ") + tag;
}

TagChoices::TagChoices(QLineEdit *field, QWidget *parent)
    : QWidget(parent), m_field(field), m_caption(new QLabel(tr("候補:"), this)) {
    setObjectName(QStringLiteral("fraTagChoices"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_caption);
    // A fixed set shown and hidden, not made anew: a screen reader keeps
    // its view of the window's controls.
    for (int n = 0; n < Most; ++n) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("cmdTag%1").arg(n + 1));
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, button] {
            m_field->setText(withChosenTag(m_field->text(), button->text(), m_bookTags));
            m_field->setFocus();
        });
        row->addWidget(button);
        m_buttons.append(button);
    }
    row->addStretch();
    connect(field, &QLineEdit::textChanged, this, &TagChoices::refresh);
    refresh();
}

void TagChoices::setBookTags(const QStringList &tags) {
    m_bookTags = tags;
    refresh();
}

void TagChoices::refresh() {
    const QStringList choices = tagChoices(m_field->text(), m_bookTags, Most);
    m_caption->setVisible(!choices.isEmpty());
    for (int n = 0; n < Most; ++n) {
        QPushButton *button = m_buttons.at(n);
        const QString tag = choices.value(n);
        button->setText(tag);
        button->setAccessibleName(tr("タグ「%1」を付ける").arg(tag));
        button->setVisible(!tag.isEmpty());
    }
}

} // namespace nvl
