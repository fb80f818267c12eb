#pragma once

#include "importresult.h"

#include "bookfile.h"
#include "booklistmodel.h"
#include "commondialog.h"
#include "formwindow.h"
#include "recordlistmodel.h"
#include "settingsfile.h"

#include <memory>

class QLayout;
class QMenu;
class QVBoxLayout;

namespace nvl {

struct MainWindowUi;
struct SyncSettings;
struct DavAccount;
class SyncBook;
struct SyncOptions;
class SyncFlow;
struct SyncReport;

// The hub of the program. Holds the open book, mirrors it in the
// book lists, keeps the print list, and steps aside for the other windows.
class MainWindow : public FormWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context);
    ~MainWindow() override;

    static inline const QString Caption = QStringLiteral("NVL  ﾊｶﾞｷ  Print");

    const AddressBook &book() const { return m_ctx.book.book(); }
    const RecordListModel &printListModel() const { return m_printModel; }

    // Hands over to another full window: this window unloads and the other
    // one is shown.
    void handOver(WindowId target);

    // How long a contact import reads before its progress shows.
    void setImportProgressDelay(int ms) { m_importProgressDelayMs = ms; }

    // Shows the book as the list sheet (short form), leaving this window:
    // the card editor's list command.
    void showShortListSheet();

signals:
    // 次へ: the chosen records, in print-list order, for the print window,
    // with their numbers in the book.
    void printListChosen(const QList<AddressRecord> &records, const QList<int> &numbers);
    // The book as the list sheet, full or short, under that title.
    void listSheetRequested(bool fullVariant, const QString &title);
    void versionRequested();

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;
    void beforeUnload() override;

private:
    void buildMenus(QWidget *content, QVBoxLayout *layout);
    void buildToolbar(QWidget *content, QVBoxLayout *layout);
    void buildSelection(QWidget *content, QVBoxLayout *layout);
    QLayout *buildSearch(QWidget *content);
    void connectCommands();

    void writeSettings();
    // Unloads the window for another one, to be rebuilt when shown again.
    void stepAside();
    void setBookCommandsEnabled(bool enabled);
    void setListsEnabled(bool enabled);
    void enableIfAvailable(QObject *control, WindowId target, bool enabled);

    // File commands.
    void newBook();
    void openBook();
    // The book now open, read from (or just written to) `path`.
    void showBook(const QString &path, const AddressBook &book, const FileStamp &stamp);
    // Tells what could not be read of the book's companion, or matched.
    void noticeCompanion();
    void showCompanionEntries();
    bool bookIsOpen() const;
    // Import of contacts: into the open book (asked first) or a new one.
    void importContacts(const QString &path = {});
    std::optional<ImportResult> readContacts(const QString &path);
    void appendToOpenBook(const ImportResult &read);
    void saveAsNewBook(const QString &inPath, const ImportResult &read);
    void exportBook();
    void saveBookAs(bool fromToolbar);
    void openCardEditor();
    void exitProgram();
    // Offers to convert a book of the old six-field format; false when the
    // file is not one.
    bool convertOldBook(const QString &path, const BookRead &failedRead);

    // Sync with the book's CardDAV address book: settings asked for when
    // missing, the network work off this thread, then the user's answers.
    void syncBook();
    void editSyncSettings();
    SyncSettings storedSyncSettings() const;
    // Asks for the settings and keeps them (URL and user in the companion,
    // the password in the keyring); false when the user cancels.
    bool askSyncSettings(SyncSettings *settings);
    bool acceptPlainHttp(const QUrl &url);
    // Rounds with the user's answers between; false when it stopped.
    bool syncRounds(const DavAccount &account, SyncFlow &flow, SyncBook *copy, SyncOptions *options,
                    SyncReport *total);
    void showSyncFailure(const SyncReport &report);
    // One run of the sync with its progress and キャンセル; false on failure.
    bool runSyncRound(const DavAccount &account, SyncFlow &flow, SyncBook *copy,
                      const SyncOptions &options, SyncReport *report);

    // List sheet, reorder window and version box.
    void showListSheet(bool fullVariant);

    // Search, tag and year filter: what the book list shows.
    void applySearch();
    void fillFilterMenu(QMenu *menu);
    bool filtered() const { return !m_bookModel.search().isEmpty(); }

    // Print-list selection.
    void addSelection();
    void deleteSelection();
    void clearSelection();
    void nextToPrint();
    void updatePrintListCount();
    int printListCount() const { return m_printModel.count(); }

    bool m_steppingAside = false;
    int m_importProgressDelayMs = 500;
    std::unique_ptr<MainWindowUi> m_ui;
    // The book list shows the one book (m_ctx.book), but is emptied while a
    // file is being chosen.
    BookListModel m_bookModel;
    RecordListModel m_printModel;
    QString m_tagFilter;
    YearFilter m_yearFilter = YearFilter::None;
    CommonDialog m_dialog;
};

} // namespace nvl
