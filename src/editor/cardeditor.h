#pragma once

#include "bookdocument.h"
#include "bookfile.h"
#include "cardrules.h"
#include "cardsession.h"
#include "formwindow.h"

#include <QList>
#include <memory>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace nvl {

struct CardEditorUi;
struct PostalPlace;

// Edits the book one card at a time: 登録 (or a yes to a save question)
// puts the shown card into the book, which is written when the editor closes.
class CardEditor : public FormWindow {
    Q_OBJECT
public:
    explicit CardEditor(AppContext &context);
    ~CardEditor() override;

    int cardNo() const { return m_session.cardNo(); }
    int cardCount() const { return m_session.cardCount(); }
    bool modified() const { return m_session.modified(); }
    int lastFieldLength() const { return m_lastLength; }
    // A registered card of the book, or the new card being typed.
    const AddressRecord &card(int number) const { return m_session.card(number); }

    // Shows card `number` of the book (kept within the book).
    void showCard(int number);

signals:
    // The user asked for the list sheet of the book the editor just saved.
    void bookListRequested();

public:
protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;
    bool canUnload() override;
    void beforeUnload() override;

private:
    // Building the window.
    void buildNavigation(QWidget *content, QGridLayout *grid);
    void buildFields(QWidget *content, QGridLayout *grid);
    void buildAddressEntry(QWidget *content, QGridLayout *grid);
    void buildCommands(QWidget *content, QGridLayout *grid);
    void connectHandlers();

    // Card <-> fields.
    void putCardInFields();
    // The card as the fields show it.
    AddressRecord shownCard();
    QJsonObject shownData() const;
    // The honorific typed when it is none of the six; empty otherwise.
    QString typedHonorificWord() const;
    void clearFields();
    // The book's tags, offered as the tag box completes.
    void offerBookTags();
    void showYearMarks(const QJsonObject &data);
    // Nuvel.ini remembers the book the editor leaves.
    bool loadBook();
    void refuseBook(const QString &message);

    // Navigation and commands.
    bool isNewCard() const;
    void showRegisteredLabel();
    void showNewCardLabel();
    // ≪ and ＜: show the card moved to, in line entry.
    void showMovedCard();
    void first();
    void previous();
    void next();
    void last();
    void startNewCard();
    void registerCard();
    void returnToMain();
    void toListSheet();
    bool closeEditorAndList();
    void cancel();
    // Save As for a book without a file; false when cancelled or not written.
    bool saveNewBookAs();

    // Deletion and change handling.
    void deleteCard();
    void fieldChanged(WatchedField field, const QString &text);
    bool writeCards(const QString &path);
    // Writes the book when it changed, asking first when its file changed
    // since it was read.
    bool writeBook(const QString &path, const AddressBook &book);

    // 〒 ⇄ 住所.
    bool inOptionEntry() const;
    QString typedAddress() const;
    void fillAddressFromCode();
    void fillWhatTheCodeNames(const PostalPlace &place);
    void offerCodeForAddress();

    // Address entry modes and splitting.
    void showAddressEntry(bool optionEntry);
    void setLineEntry();
    void setOptionEntry();
    void splitAddress();
    void leaveOptionEntry();

    bool bookFromDataFile() const;
    MessageAnswer ask(const QString &text, const QString &title = ProgramTitle);

    std::unique_ptr<CardEditorUi> m_ui;
    // The data file could not be read: the editor closes without writing it.
    bool m_bookRefused = false;
    // The book's file and mode as the program remembers them ("3": a file, "2": new).
    // Length of the length-limited field changed last.
    int m_lastLength = 0;
    // The book as read and written, locked while the editor is open.
    BookDocument &m_document;
    // Which card is shown, and the rules of moving, registering and leaving.
    CardSession m_session;
    // While a card is put into the fields, their changes are not edits.
    bool m_loadingCard = false;
    // Set while 戻る or the list button close the editor, having asked.
    bool m_leavingAsked = false;
    // Set while キャンセル closes the editor.
    bool m_discardingEdit = false;
};

} // namespace nvl
