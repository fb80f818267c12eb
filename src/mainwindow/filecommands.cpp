// New, Open, Save As, the old-format conversion and the exit of the main window.
#include "bookdocument.h"
#include "foreigncsv.h"
#include "mainwindow.h"

#include "bookquestions.h"
#include "companionentries.h"
#include "mainwindow_ui.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>

namespace nvl {

namespace {

const char *const OpenFilter =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "データファイル(*.dat)|*.dat|CSVファイル(*.csv)|*.csv");
const char *const SaveFilter = QT_TRANSLATE_NOOP(
    "nvl::MainWindow", "データ形式ファイル(*.dat)|*.dat|テキストファイル(*.csv)|*.csv");
const char *const ConvertMessage =
    QT_TRANSLATE_NOOP("nvl::MainWindow", "データーをNuvelkVer2. x  形式にコンバートします。");

QString describeBookFailure(const QString &path, const BookRead &read) {
    switch (read.status) {
    case BookRead::Status::Ok:
        return {};
    case BookRead::Status::FileError:
        return describeReadFailure(path, read.fileStatus);
    case BookRead::Status::TooManyRecords:
        return MainWindow::tr("ファイル「%1」には%2件を超えるデータがあるため開けません。\n"
                              "ファイルは変更していません。")
            .arg(path)
            .arg(AddressBook::Capacity);
    case BookRead::Status::NotABook:
        return notABookMessage(path);
    case BookRead::Status::EndInsideRecord:
        break;
    }
    return MainWindow::tr("ファイル「%1」は住所録の形式になっていないため開けません。\n"
                          "ファイルは変更していません。")
        .arg(path);
}

} // namespace

void MainWindow::newBook() {
    // The open book goes back to its file with everything it holds (its
    // companion too); one nobody changed is not written at all, and changes
    // another program made since are never overwritten.
    if (m_ctx.book.hasFile()) {
        const BookDocument::Saved written = m_ctx.book.save();
        if (!written.ok())
            m_ctx.platform.messages.show(written.error);
    }
    m_ctx.book.startNew();
    handOver(WindowId::CardEditor);
}

void MainWindow::openBook() {
    setListsEnabled(true);
    m_bookModel.setHidden(true);
    m_printModel.clear();
    updatePrintListCount();

    m_dialog.initialFolder = m_ctx.platform.programFolder;
    m_dialog.filter = tr(OpenFilter);
    m_dialog.confirmOverwrite = false;
    const QString path = m_dialog.showOpen();
    if (path.isEmpty())
        return;

    // Another program's CSV is not a book: it is offered for import.
    TextFileRead::Status status = TextFileRead::Status::Ok;
    if (isForeignCsv(readFileBytes(path, &status))) {
        if (m_ctx.platform.messages.show(
                tr("「%1」は住所録ではなく、ほかのプログラムの CSV ファイルです。\n"
                   "連絡先として取り込みますか？")
                    .arg(path),
                MessageButtons::YesNo) == MessageAnswer::Yes)
            importContacts(path);
        // The book still open is shown again, with what the import added.
        if (bookIsOpen())
            m_bookModel.setHidden(false);
        return;
    }

    BookRead read = readBookFile(path);
    if (!read.ok()) {
        // The book in memory and the current file stay as they were, and so
        // does the list: what the commands act on is what is shown.
        if (!convertOldBook(path, read)) {
            m_ctx.platform.messages.show(describeBookFailure(path, read));
            if (bookIsOpen())
                m_bookModel.setHidden(false);
        }
        return;
    }
    showBook(path, read.book, read.stamp);
}

void MainWindow::showBook(const QString &path, const AddressBook &book, const FileStamp &stamp) {
    setListsEnabled(true);
    // Shown before anything is said about it (Nuvel.ini that cannot be
    // written, the companion's entries).
    m_bookModel.setHidden(false);
    m_ctx.book.adopt(path, book, stamp);
    noticeCompanion();
    if (m_bookModel.rowCount() > 0)
        m_ui->bookList->setCurrentIndex(m_bookModel.index(0, 0));
    setBookCommandsEnabled(true);
}

bool MainWindow::convertOldBook(const QString &path, const BookRead &failedRead) {
    if (!mayBeOldFormat(failedRead))
        return false;
    const TextFileRead file = readTextFile(path);
    if (!file.ok())
        return false;
    const OldBookRead old = parseOldBook(file.content.text);
    // Only a file that reads cleanly as whole six-field records is converted.
    if (!old.ok || old.records.isEmpty())
        return false;

    m_ctx.platform.messages.show(tr(ConvertMessage));

    const QString backup = path + QStringLiteral(".bak");
    QFile::remove(backup);
    if (!QFile::copy(path, backup)) {
        m_ctx.platform.messages.show(tr("バックアップ「%1」を作れないため、変換を中止しました。\n"
                                        "ファイルは変更していません。")
                                         .arg(backup));
        return true;
    }
    const BookDocument::Saved written =
        BookDocument::saveCopy(path, convertOldRecords(old.records));
    if (!written.ok()) {
        m_ctx.platform.messages.show(written.error +
                                     tr("\n変換を中止しました。ファイルは変更していません。"));
        return true;
    }

    const BookRead converted = readBookFile(path);
    if (!converted.ok()) {
        m_ctx.platform.messages.show(describeBookFailure(path, converted));
        return true;
    }
    showBook(path, converted.book, converted.stamp);
    return true;
}

void MainWindow::saveBookAs(bool fromToolbar) {
    m_dialog.filter = tr(SaveFilter);
    m_dialog.confirmOverwrite = true;
    if (fromToolbar)
        m_dialog.fileName = m_ctx.book.filePath();
    const QString path = m_dialog.showSave();
    if (path.isEmpty())
        return;
    // The open book's own name is a save of it, not a copy over it.
    const BookDocument::Saved written = m_ctx.book.holds(path)
                                            ? m_ctx.book.save(askAboutChangedBook(m_ctx.platform))
                                            : m_ctx.book.saveCopyAs(path);
    if (written.outcome == BookDocument::Saved::Outcome::Failed)
        m_ctx.platform.messages.show(written.error);
}

void MainWindow::openCardEditor() {
    handOver(WindowId::CardEditor);
}

void MainWindow::noticeCompanion() {
    const auto names = [this](const QList<int> &rows) {
        QStringList list;
        for (const int row : rows)
            list.append(m_ctx.book.record(row + 1).field(AddressRecord::Name));
        return list.join(u'、');
    };
    if (const QList<int> rows = m_ctx.book.reattachedRows(); !rows.isEmpty())
        m_ctx.platform.messages.show(
            tr("ほかのプログラムで住所が直された宛名（%1）にも、これまでの付属データ"
               "（連名など）をそのまま付けました。")
                .arg(names(rows)));
    if (const QList<int> rows = m_ctx.book.repairedRows(); !rows.isEmpty())
        m_ctx.platform.messages.show(
            tr("同期先のサーバーで敬称と一つになっていた連名（%1）を、名前と敬称に分け直しました。"
               "次の保存で付属ファイルにも残ります。")
                .arg(names(rows)));
    if (const QString problem = m_ctx.book.companionProblem(); !problem.isEmpty())
        m_ctx.platform.messages.show(
            problem + u'\n' +
            tr("住所録は開きます。付属ファイルは、置き換えてよいかを保存のときに確かめるまで、"
               "そのまま残します。"));
    if (const qsizetype left = m_ctx.book.unmatchedEntries().size(); left > 0)
        m_ctx.platform.messages.show(
            tr("付属データ（連名など）のうち%n件が、住所録のどの宛名とも合いません。"
               "住所録がほかのプログラムで変更されたためです。\n"
               "［編集］の［付属データの整理］で、宛名に付けるか捨ててください。",
               nullptr, static_cast<int>(left)));
}

void MainWindow::showCompanionEntries() {
    const auto apply = [this](const std::function<bool()> &edit) {
        const BookDocument::Saved saved =
            m_ctx.book.commit(edit, askAboutChangedBook(m_ctx.platform));
        if (saved.outcome == BookDocument::Saved::Outcome::Failed)
            m_ctx.platform.messages.show(saved.error);
        return saved.ok();
    };
    const auto ask = [this](const QString &question, MessageButtons buttons) {
        return m_ctx.platform.messages.show(question, buttons);
    };
    CompanionEntriesDialog dialog(m_ctx.book, apply, ask, this);
    dialog.exec();
}

} // namespace nvl
