// Moving between cards, registering, and leaving the editor.
#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "commondialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace nvl {

namespace {

const char *const SaveChangesQuestion =
    QT_TRANSLATE_NOOP("nvl::CardEditor", "内容が変更されています、保存しますか…?");

} // namespace

bool CardEditor::isNewCard() const {
    return m_cardNo > cardCount();
}

void CardEditor::showRegisteredLabel() {
    m_ui->cardLabel->setText(registeredLabel(m_cardNo, cardCount()));
}

void CardEditor::showNewCardLabel() {
    m_ui->cardLabel->setText(newCardLabel(m_cardNo));
}

void CardEditor::askSaveChanges() {
    if (m_changes.modified && ask(tr(SaveChangesQuestion)) == MessageAnswer::Yes) {
        takeCardFromFields();
        m_changes.modified = false;
    }
}

bool CardEditor::leaveCard(const QString &discardTitle) {
    if (isNewCard()) {
        if (ask(tr("このカードは未登録です。破棄して戻りますか?。"), discardTitle) ==
            MessageAnswer::No)
            return false;
        m_changes.modified = false;
    }
    askSaveChanges();
    return true;
}

void CardEditor::registerIfNew() {
    if (isNewCard() && m_document.insertRecord(cardCount(), m_newCard)) {
        m_newCard = AddressRecord();
        showRegisteredLabel();
    }
}

void CardEditor::moveBackTo(int cardNo) {
    m_cardNo = cardNo;
    putCardInFields();
    showRegisteredLabel();
    setLineEntry();
    m_ui->optionEntry->setEnabled(true);
    m_ui->postalCode->setFocus();
}

void CardEditor::first() {
    // A new book has no card 1 to go to yet.
    if (cardCount() == 0 || !leaveCard(QStringLiteral("NUVelk")))
        return;
    moveBackTo(1);
}

void CardEditor::previous() {
    if (m_cardNo == 1 || !leaveCard(QStringLiteral("NUVelk")))
        return;
    moveBackTo(m_cardNo - 1);
}

void CardEditor::last() {
    // A new book has no last card yet: stay on the new one.
    if (m_cardNo == AddressBook::Capacity || cardCount() == 0)
        return;
    if (!leaveCard(QStringLiteral("NUVELK")))
        return;
    m_cardNo = cardCount();
    putCardInFields();
    showRegisteredLabel();
    setLineEntry();
    m_ui->postalCode->setFocus();
    m_changes.modified = false;
}

void CardEditor::next() {
    if (m_cardNo == AddressBook::Capacity)
        return;
    if (isNewCard()) {
        m_ctx.platform.messages.show(tr("登録されていません。"));
        return;
    }
    askSaveChanges();
    m_changes.modified = false;
    if (m_cardNo == cardCount()) {
        clearFields();
        m_cardNo = cardCount() + 1;
        showNewCardLabel();
        setOptionEntry();
    } else if (m_cardNo < cardCount()) {
        ++m_cardNo;
        putCardInFields();
        showRegisteredLabel();
    }
    m_ui->postalCode->setFocus();
}

void CardEditor::startNewCard() {
    if (isNewCard())
        return;
    askSaveChanges();
    if (cardCount() >= AddressBook::Capacity)
        return;
    clearFields();
    m_cardNo = cardCount() + 1;
    showNewCardLabel();
    m_ui->deleteCard->setEnabled(false);
    setOptionEntry();
    m_ui->withPrefecture->setChecked(true);
    m_ui->optionEntry->setEnabled(false);
    m_changes.modified = false;
}

void CardEditor::registerCard() {
    m_changes.modified = false;
    takeCardFromFields();
    registerIfNew();
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
    if (path.isEmpty() || !writeCards(path))
        return false;
    m_bookFile = path;
    m_bookMode = QStringLiteral("3");
    return true;
}

void CardEditor::returnToMain() {
    if (m_changes.modified && isNewCard() && ask(tr(NewCardQuestion)) == MessageAnswer::Yes) {
        m_changes.modified = false;
        takeCardFromFields();
        registerIfNew();
    }
    if (bookFromDataFile()) {
        // A failed write keeps the editor open with its book.
        if (!writeCards(m_bookFile))
            return;
        if (m_changes.modified && ask(tr(SaveEditedQuestion)) == MessageAnswer::Yes) {
            takeCardFromFields();
            registerIfNew();
        }
        m_changes.modified = false;
    } else if (ask(tr(SaveAsQuestion)) == MessageAnswer::Yes && !saveNewBookAs()) {
        return;
    }
    m_ctx.state.bookFromFile = false;
    closeEditorAndList();
}

void CardEditor::toListSheet() {
    // A new card, or a book without a file, has nothing to list.
    if (isNewCard() || m_bookFile.isEmpty()) {
        m_ctx.platform.messages.show(tr("表示するデータがありません。"));
        return;
    }
    if (m_changes.modified && ask(tr(SaveEditedQuestion)) == MessageAnswer::Yes) {
        takeCardFromFields();
        registerIfNew();
    }
    if (!writeCards(m_bookFile))
        return;
    m_changes.modified = false;
    if (!closeEditorAndList())
        return;
    // The main window, loaded again by the closing, shows the book just written.
    emit bookListRequested();
}

} // namespace nvl
