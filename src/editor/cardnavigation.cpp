// Moving between cards, registering, and leaving the editor.
#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "commondialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace nvl {

bool CardEditor::isNewCard() const {
    return m_session.isNewCard();
}

void CardEditor::showRegisteredLabel() {
    m_ui->cardLabel->setText(registeredLabel(cardNo(), cardCount()));
}

void CardEditor::showNewCardLabel() {
    m_ui->cardLabel->setText(newCardLabel(cardNo()));
}

void CardEditor::showMovedCard() {
    putCardInFields();
    showRegisteredLabel();
    setLineEntry();
    m_ui->optionEntry->setEnabled(true);
    m_ui->postalCode->setFocus();
}

void CardEditor::first() {
    if (m_session.first())
        showMovedCard();
}

void CardEditor::previous() {
    if (m_session.previous())
        showMovedCard();
}

void CardEditor::last() {
    if (!m_session.last())
        return;
    putCardInFields();
    showRegisteredLabel();
    setLineEntry();
    m_ui->postalCode->setFocus();
}

void CardEditor::next() {
    switch (m_session.next()) {
    case CardSession::Next::Stayed:
    case CardSession::Next::NotRegistered:
        return;
    case CardSession::Next::NewCard:
        clearFields();
        showNewCardLabel();
        setOptionEntry();
        break;
    case CardSession::Next::Card:
        putCardInFields();
        showRegisteredLabel();
        break;
    }
    m_ui->postalCode->setFocus();
}

void CardEditor::startNewCard() {
    if (!m_session.startNewCard())
        return;
    clearFields();
    showNewCardLabel();
    m_ui->deleteCard->setEnabled(false);
    setOptionEntry();
    m_ui->withPrefecture->setChecked(true);
    m_ui->optionEntry->setEnabled(false);
    m_session.setModified(false);
}

void CardEditor::registerCard() {
    m_session.registerShown();
    if (!isNewCard())
        showRegisteredLabel();
}

void CardEditor::cancel() {
    // キャンセル discards the shown card's unregistered edit without a
    // question; the close box still asks, as closing is no request to discard.
    const QScopedValueRollback discarding(m_discardingEdit, true);
    unloadForm();
}

bool CardEditor::closeEditorAndList() {
    if (FormWindow *sheet = m_ctx.windows.existing(WindowId::ListSheet))
        sheet->unloadForm();
    // The questions of this way out have been asked already.
    const QScopedValueRollback asked(m_leavingAsked, true);
    return unloadForm();
}

bool CardEditor::saveNewBookAs() {
    CommonDialog dialog(m_ctx.platform.fileDialogs);
    dialog.filter = tr("データ形式ファイル(*.dat)|*.dat|テキストファイル(*.csv)|*.csv");
    dialog.confirmOverwrite = true;
    const QString path = dialog.showSave();
    // Written, the book has that file from now on.
    return !path.isEmpty() && writeCards(path);
}

void CardEditor::returnToMain() {
    m_session.offerNewCardOnReturn();
    if (bookFromDataFile()) {
        // A failed write keeps the editor open with its book.
        if (!writeCards(m_document.filePath()))
            return;
        m_session.offerEditOnReturn();
        m_session.setModified(false);
    } else if (m_session.wantsSaveAs() && !saveNewBookAs()) {
        return;
    }
    closeEditorAndList();
}

void CardEditor::toListSheet() {
    // A new card, or a book without a file, has nothing to list.
    if (isNewCard() || !m_document.hasFile()) {
        m_ctx.platform.messages.show(tr("表示するデータがありません。"));
        return;
    }
    m_session.offerEditOnReturn();
    if (!writeCards(m_document.filePath()))
        return;
    m_session.setModified(false);
    if (!closeEditorAndList())
        return;
    // The main window, loaded again by the closing, shows the book just written.
    emit bookListRequested();
}

} // namespace nvl
