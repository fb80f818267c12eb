#pragma once

#include "bookdocument.h"
#include "cardrules.h"
#include "services.h"

#include <functional>

namespace nvl {

// The editor's questions about unsaved work, asked on each way out.
inline const char *const NewCardQuestion =
    QT_TRANSLATE_NOOP("nvl::CardEditor", "新規カードを登録しますか？");
inline const char *const SaveEditedQuestion =
    QT_TRANSLATE_NOOP("nvl::CardEditor", "変更した内容を保存しますか…?");
inline const char *const SaveAsQuestion =
    QT_TRANSLATE_NOOP("nvl::CardEditor", "ファイル名をつけて保存しますか…?");

// The card editor's rules without widgets: which card is shown, what the
// moves, 登録, 削除 and the ways out ask and in which order, and what they
// put into the book. Only 登録 or a yes to a save question puts the card
// typed into the fields (read through `shown`) into the book.
class CardSession {
public:
    CardSession(BookDocument &book, MessageService &messages);

    // The card as the fields show it now.
    std::function<AddressRecord()> shown;
    // What the fields show of the card's companion data (its 連名).
    std::function<QJsonObject()> shownData;

    // Shows registered card `number` (kept within the book), or the first
    // new card of an empty book.
    void showCard(int number);

    int cardNo() const { return m_cardNo; }
    int cardCount() const { return m_book.recordCount(); }
    bool isNewCard() const { return m_cardNo > cardCount(); }
    // The registered card shown, or the new card being typed.
    const AddressRecord &card(int number) const;
    QJsonObject cardData(int number) const;
    ChangeTracker &changes() { return m_changes; }
    bool modified() const { return m_changes.modified; }
    void setModified(bool modified) { m_changes.modified = modified; }

    // 登録: the shown card into the book, appended when it is new.
    void registerShown();
    // ≪ ＜ ≫: false when the card stays (not registered and kept, or no
    // card to go to). An edit is asked about first.
    bool first();
    bool previous();
    bool last();
    // ＞: on to the next card, or to a new card after the last.
    enum class Next { Stayed, NotRegistered, Card, NewCard };
    Next next();
    // ∥: a new card after the last; false when there is no room or one is shown.
    bool startNewCard();
    // 削除: true when the user confirmed and the book has another card.
    bool confirmDelete();

    // The ways out. Leaving by the close box: the edit of the shown card is
    // asked about (registered on a yes).
    void askAboutEditOnLeaving();
    // 戻る: a typed new card is offered for registration.
    void offerNewCardOnReturn();
    // 戻る, the list button: the edit of a registered card.
    void offerEditOnReturn();
    // A book without a file: true when the user wants to name one.
    bool wantsSaveAs();

private:
    bool ask(const QString &question, const QString &title = ProgramTitle);
    bool leaveCard(const QString &discardTitle);
    void askSaveChanges();
    void storeShown();
    void registerIfNew();

    BookDocument &m_book;
    MessageService &m_messages;
    int m_cardNo = 1;
    AddressRecord m_newCard;
    QJsonObject m_newCardData;
    ChangeTracker m_changes;
};

} // namespace nvl
