#include "cardsession.h"

#include <QCoreApplication>

#include <algorithm>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::CardEditor", text);
}

const char *const SaveChangesQuestion =
    QT_TRANSLATE_NOOP("nvl::CardEditor", "内容が変更されています、保存しますか…?");

} // namespace

CardSession::CardSession(BookDocument &book, MessageService &messages)
    : m_book(book), m_messages(messages) {}

void CardSession::showCard(int number) {
    m_cardNo = std::clamp(number, 1, std::max(cardCount(), 1));
    m_newCard = AddressRecord();
    m_newCardData = {};
    m_changes.modified = false;
}

const AddressRecord &CardSession::card(int number) const {
    return number <= cardCount() ? m_book.record(number) : m_newCard;
}

QJsonObject CardSession::cardData(int number) const {
    return number <= cardCount() ? m_book.recordData(number - 1) : m_newCardData;
}

bool CardSession::ask(const QString &question, const QString &title) {
    return m_messages.show(question, MessageButtons::YesNo, title) == MessageAnswer::Yes;
}

void CardSession::storeShown() {
    const AddressRecord record = shown ? shown() : card(m_cardNo);
    const QJsonObject data = shownData ? shownData() : cardData(m_cardNo);
    if (isNewCard()) {
        m_newCard = record;
        m_newCardData = data;
    } else {
        m_book.setRecord(m_cardNo - 1, record);
        m_book.setRecordData(m_cardNo - 1, data);
    }
}

void CardSession::registerIfNew() {
    if (isNewCard() && m_book.insertRecord(cardCount(), m_newCard)) {
        m_book.setRecordData(cardCount() - 1, m_newCardData);
        m_newCard = AddressRecord();
        m_newCardData = {};
    }
}

void CardSession::registerShown() {
    m_changes.modified = false;
    storeShown();
    registerIfNew();
}

void CardSession::askSaveChanges() {
    if (m_changes.modified && ask(tr(SaveChangesQuestion))) {
        storeShown();
        m_changes.modified = false;
    }
}

bool CardSession::leaveCard(const QString &discardTitle) {
    if (isNewCard()) {
        if (m_messages.show(tr("このカードは未登録です。破棄して戻りますか?。"),
                            MessageButtons::YesNo, discardTitle) == MessageAnswer::No)
            return false;
        m_changes.modified = false;
        m_newCard = AddressRecord();
        m_newCardData = {};
    }
    askSaveChanges();
    return true;
}

bool CardSession::first() {
    // A new book has no card 1 to go to yet.
    if (cardCount() == 0 || !leaveCard(QStringLiteral("NUVelk")))
        return false;
    showCard(1);
    return true;
}

bool CardSession::previous() {
    if (m_cardNo == 1 || !leaveCard(QStringLiteral("NUVelk")))
        return false;
    showCard(m_cardNo - 1);
    return true;
}

bool CardSession::last() {
    // A new book has no last card yet: stay on the new one.
    if (m_cardNo == AddressBook::Capacity || cardCount() == 0)
        return false;
    if (!leaveCard(QStringLiteral("NUVELK")))
        return false;
    showCard(cardCount());
    return true;
}

CardSession::Next CardSession::next() {
    if (m_cardNo == AddressBook::Capacity)
        return Next::Stayed;
    if (isNewCard()) {
        m_messages.show(tr("登録されていません。"));
        return Next::NotRegistered;
    }
    askSaveChanges();
    m_changes.modified = false;
    if (m_cardNo == cardCount()) {
        m_cardNo = cardCount() + 1;
        m_newCard = AddressRecord();
        m_newCardData = {};
        return Next::NewCard;
    }
    ++m_cardNo;
    return Next::Card;
}

bool CardSession::startNewCard() {
    if (isNewCard())
        return false;
    askSaveChanges();
    if (cardCount() >= AddressBook::Capacity)
        return false;
    m_cardNo = cardCount() + 1;
    m_newCard = AddressRecord();
    m_newCardData = {};
    m_changes.modified = false;
    return true;
}

bool CardSession::confirmDelete() {
    if (cardCount() <= 1) {
        m_changes.modified = false;
        return false;
    }
    return m_messages.show(tr("このカードを削除します。"), MessageButtons::OkCancel,
                           QStringLiteral("Nuvel Ver.2.1")) == MessageAnswer::Ok;
}

void CardSession::askAboutEditOnLeaving() {
    if (!m_changes.modified)
        return;
    if (ask(isNewCard() ? tr(NewCardQuestion) : tr(SaveEditedQuestion))) {
        storeShown();
        registerIfNew();
    }
    m_changes.modified = false;
}

void CardSession::offerNewCardOnReturn() {
    if (m_changes.modified && isNewCard() && ask(tr(NewCardQuestion))) {
        m_changes.modified = false;
        storeShown();
        registerIfNew();
    }
}

void CardSession::offerEditOnReturn() {
    if (m_changes.modified && ask(tr(SaveEditedQuestion))) {
        storeShown();
        registerIfNew();
    }
}

bool CardSession::wantsSaveAs() {
    return ask(tr(SaveAsQuestion));
}

} // namespace nvl
