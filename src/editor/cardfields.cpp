// Field change handling and card deletion.
#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "bookdocument.h"

#include <QLineEdit>

namespace nvl {

void CardEditor::fieldChanged(WatchedField field, const QString &text) {
    // Loading a card is not an edit of it.
    if (m_loadingCard)
        return;
    const bool accepted = m_session.changes().fieldChanged(field, text);
    if (field != WatchedField::Zip)
        m_lastLength = m_session.changes().lastLength;
    // The text stays as typed; the user is told at every over-long change.
    if (!accepted)
        m_ctx.platform.messages.show(tr("文字数が範囲を超えています。"));
}

void CardEditor::deleteCard() {
    if (!m_session.confirmDelete())
        return;

    // A book without a file of its own goes to the working file.
    const QString target = bookFromDataFile()
                               ? m_document.filePath()
                               : m_ctx.platform.programFile(QStringLiteral("Nuvel.dat"));
    const AddressBook before = m_document.book();
    AddressBook remaining = before;
    remaining.records.removeAt(cardNo() - 1);
    if (bookFromDataFile()) {
        // Nothing is deleted unless written: the book and the file stay as before.
        if (!writeBook(target, remaining)) {
            m_document.setRecords(before.records);
            return;
        }
    } else if (const BookDocument::Saved written = BookDocument::saveCopy(target, remaining);
               !written.ok()) {
        m_ctx.platform.messages.show(written.error);
        return;
    }
    m_document.setRecords(remaining.records);
    m_session.showCard(1);
    putCardInFields();
    showRegisteredLabel();
}

} // namespace nvl
