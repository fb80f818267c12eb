#pragma once

#include "bookfile.h"
#include "commondialog.h"
#include "formwindow.h"
#include "recordlists.h"
#include "settingsfile.h"

#include <memory>

class QLineEdit;
class QVBoxLayout;

namespace nvl {

// frmStart: the hub of the program. Holds the open book, mirrors it in the
// book lists, keeps the print list, and steps aside for the other windows.
class MainWindow : public FormWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context);

    static inline const QString Caption = QStringLiteral("NVL  ﾊｶﾞｷ  Print");

    // 1 = the next load rebuilds the book after another window handed back.
    int reloadOnLoad() const { return m_reloadOnLoad; }
    void setReloadOnLoad(int value) { m_reloadOnLoad = value; }

    const AddressBook &book() const { return m_book; }
    QString currentFile() const { return m_currentFile; }
    QString bookMode() const { return m_bookMode; }

    // Hands over to another full window: this window unloads (writing the
    // settings) and the other one is shown.
    void handOver(WindowId target);

    // Writes the current file and book mode into Nuvel.ini.
    WriteResult writeSettings();

    // The short list sheet, for the card editor's list command.
    // Shows the book as the list sheet (short form), leaving this window.
    void SetView();

signals:
    // 次へ: the chosen records, in print-list order, for the print window.
    void printListChosen(const QList<AddressRecord> &records);

public:
protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;
    void formUnload() override;

private:
    void buildMenus(QWidget *content, QVBoxLayout *layout);
    void buildToolbar(QWidget *content, QVBoxLayout *layout);
    void buildSelection(QWidget *content, QVBoxLayout *layout);
    void connectCommands();

    void INIGet();
    QString settingsPath() const;
    void setBookCommandsEnabled(bool enabled);
    void setListsEnabled(bool enabled);
    void showBook(const AddressBook &book);
    void enableIfAvailable(QWidget *control, WindowId target, bool enabled);

    // File commands.
    void newBook();
    void openBook();
    void saveBookAs(bool fromToolbar);
    void openCardEditor();
    void exitProgram();
    bool Test(const QString &path, const BookRead &failedRead);

    // List sheet, reorder window and version box.
    void showListSheet(bool fullVariant);
    void showVersion();

    // Print-list selection.
    void addSelection();
    void deleteSelection();
    void clearSelection();
    void nextToPrint();
    void updatePrintListCount();
    int printListCount() const;

    int m_reloadOnLoad = 0;
    AddressBook m_book;
    // The file m_book was read from in this run; only that file is ever
    // written back with it.
    // What Nuvel.ini holds: the current data file ("新規作成" after New) and
    // the book mode ("3" after Open, "2" after New).
    QString m_currentFile;
    QString m_bookMode;
    QString m_bookLoadedFrom;
    FileStamp m_bookStamp;
    CommonDialog m_dialog;
    std::unique_ptr<RecordLists> m_bookLists;
    std::unique_ptr<RecordLists> m_printLists;
};

} // namespace nvl
