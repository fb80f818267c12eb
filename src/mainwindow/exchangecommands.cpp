// Import of contacts (vCard, other programs' CSV) and export of the book.
#include "bookdocument.h"
#include "bookflows.h"
#include "contactfile.h"
#include "foreigncsv.h"
#include "importmappingdialog.h"
#include "mainwindow.h"
#include "mainwindow_ui.h"
#include "outputcheck.h"
#include "vcard.h"

#include <QAction>
#include <QFileInfo>
#include <QProgressBar>
#include <QProgressDialog>

namespace nvl {

namespace {

const char *const ImportFilter = QT_TRANSLATE_NOOP(
    "nvl::MainWindow",
    "連絡先ファイル(*.vcf;*.csv)|*.vcf;*.csv|vCard(*.vcf)|*.vcf|CSVファイル(*.csv)|*.csv");
const char *const ExportFilter =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "CSVファイル(*.csv)|*.csv|vCard(*.vcf)|*.vcf");
const char *const BookFilter =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "データ形式ファイル(*.dat)|*.dat");

} // namespace

// Only the file the one book was read from (or written to) in this run is
// ever written back with it.
bool MainWindow::bookIsOpen() const {
    return m_ctx.book.hasFile();
}

std::optional<ImportResult> MainWindow::readContacts(const QString &path) {
    // A long read shows how far it is and can be stopped; nothing is written
    // then. The dialog goes with the read: its timer must not show it later.
    ContactFile file;
    {
        QProgressDialog progress(tr("「%1」を読み込んでいます…").arg(QFileInfo(path).fileName()),
                                 tr("キャンセル"), 0, 1000, this);
        progress.setWindowTitle(tr("連絡先を取り込む"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(m_importProgressDelayMs);
        progress.setAutoReset(false);
        if (auto *bar = progress.findChild<QProgressBar *>())
            bar->setAccessibleName(tr("読み込みの進み具合"));
        file = readContactFile(path, [&progress](qint64 done, qint64 total) {
            progress.setValue(total > 0 ? int(done * 1000 / total) : 0);
            return !progress.wasCanceled();
        });
    }
    if (file.cancelled)
        return std::nullopt;
    if (!file.error.isEmpty()) {
        m_ctx.platform.messages.show(file.error);
        return std::nullopt;
    }
    ImportResult read;
    if (file.format == ImportFormat::VCard) {
        read = file.vcards;
    } else {
        const CsvRead table = readCsvTable(file.csv);
        if (!table.ok()) {
            read.error = table.error;
        } else {
            ImportMappingDialog mapping(table.table, guessMapping(table.table.header), this);
            if (mapping.exec() != QDialog::Accepted)
                return std::nullopt;
            read = recordsFromTable(table.table, mapping.mapping());
        }
    }
    if (!read.ok()) {
        m_ctx.platform.messages.show(
            tr("「%1」を取り込めません。\n%2\n住所録は変更していません。").arg(path, read.error));
        return std::nullopt;
    }
    return read;
}

void MainWindow::importContacts(const QString &chosen) {
    QString path = chosen;
    if (path.isEmpty()) {
        m_dialog.initialFolder = m_ctx.platform.programFolder;
        m_dialog.filter = tr(ImportFilter);
        m_dialog.confirmOverwrite = false;
        path = m_dialog.showOpen();
        if (path.isEmpty())
            return;
    }
    std::optional<ImportResult> read = readContacts(path);
    if (!read)
        return;
    // A code a spreadsheet shortened: the address's own is offered.
    const QList<SixDigitCode> shortened = sixDigitCodes(read->records);
    const bool offered =
        std::any_of(shortened.begin(), shortened.end(),
                    [](const SixDigitCode &code) { return !code.suggested.isEmpty(); });
    applySixDigitCodes(
        *read,
        offered && m_ctx.platform.messages.show(
                       tr("郵便番号が6けたの連絡先が%1件あります（先頭の0が落ちていませんか）。"
                          "住所から引いた郵便番号にしますか？")
                           .arg(shortened.size()),
                       MessageButtons::YesNo) == MessageAnswer::Yes);
    tidyImportedCodes(*read);
    const QStringList notes = importNotes(*read);
    if (read->records.isEmpty()) {
        m_ctx.platform.messages.show(
            (QStringList{tr("「%1」に取り込める連絡先がありません。").arg(path)} + notes)
                .join(u'\n'));
        return;
    }
    if (!notes.isEmpty())
        m_ctx.platform.messages.show(notes.join(u'\n'));

    if (bookIsOpen()) {
        const MessageAnswer answer = m_ctx.platform.messages.show(
            tr("%1件の連絡先を、開いている住所録「%2」（%3件）に追加して保存しますか？\n"
               "「いいえ」を選ぶと新しい住所録に保存します。")
                .arg(read->records.size())
                .arg(m_ctx.book.filePath())
                .arg(book().recordCount()),
            MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        if (answer == MessageAnswer::Yes) {
            appendToOpenBook(*read);
            return;
        }
    }
    saveAsNewBook(path, *read);
}

void MainWindow::appendToOpenBook(const ImportResult &read) {
    const QList<AddressRecord> &records = read.records;
    const MergeResult merged = appendRecords(book(), records);
    if (!merged.ok()) {
        m_ctx.platform.messages.show(merged.error);
        return;
    }
    // Added in the one book and written through its save, never over changes
    // another program made since it was read; nothing is added when not written.
    const BookDocument::Saved written = m_ctx.book.commit([&] {
        const int first = m_ctx.book.recordCount();
        if (!m_ctx.book.appendRecords(records))
            return false;
        for (int i = 0; i < records.size(); ++i)
            m_ctx.book.setRecordData(first + i, read.data.value(i));
        return true;
    });
    if (!written.ok()) {
        m_ctx.platform.messages.show(written.error +
                                     tr("\n取り込みを中止しました。住所録は変更していません。"));
        return;
    }
    m_ctx.platform.messages.show(
        (QStringList{tr("%1件を取り込みました。").arg(records.size())} +
         (merged.duplicates.isEmpty() ? QStringList()
                                      : QStringList{duplicatesNote(merged.duplicates)}))
            .join(u'\n'));
}

void MainWindow::saveAsNewBook(const QString &inPath, const ImportResult &read) {
    const QList<AddressRecord> &records = read.records;
    const MergeResult book = appendRecords(AddressBook(), records);
    if (!book.ok()) {
        m_ctx.platform.messages.show(book.error);
        return;
    }
    m_dialog.filter = tr(BookFilter);
    m_dialog.confirmOverwrite = true;
    m_dialog.fileName.clear();
    const QString path = m_dialog.showSave();
    if (path.isEmpty())
        return;
    // A new book never takes the place of the open one or of what is read.
    QString refused = refusedImportTarget(inPath, path);
    if (refused.isEmpty())
        refused = refusedOutput(m_ctx.book.filePath(), path);
    if (!refused.isEmpty()) {
        m_ctx.platform.messages.show(refused);
        return;
    }
    // Written with its 連名 in the companion, then opened as any book.
    BookDocument imported;
    imported.setRecords(book.book.records);
    for (int i = 0; i < records.size(); ++i)
        imported.setRecordData(i, read.data.value(i));
    const BookDocument::Saved written = imported.saveAs(path);
    if (!written.ok()) {
        m_ctx.platform.messages.show(written.error);
        return;
    }
    showBook(path, book.book, stampOf(path));
    m_ctx.platform.messages.show(
        (QStringList{tr("%1件を取り込みました。").arg(records.size())} +
         (book.duplicates.isEmpty() ? QStringList() : QStringList{duplicatesNote(book.duplicates)}))
            .join(u'\n'));
}

void MainWindow::exportBook() {
    m_dialog.filter = tr(ExportFilter);
    m_dialog.confirmOverwrite = true;
    m_dialog.fileName.clear();
    QString path = m_dialog.showSave();
    if (path.isEmpty())
        return;
    if (!exportsVCard(path))
        path += QStringLiteral(".csv");
    // Checked as the command line checks it: never over the open book.
    if (const QString failed = nvl::exportBook(m_ctx.book, path); !failed.isEmpty()) {
        m_ctx.platform.messages.show(failed);
        return;
    }
    m_ctx.platform.messages.show(
        tr("%1件を「%2」に書き出しました。").arg(book().recordCount()).arg(path));
}

} // namespace nvl
