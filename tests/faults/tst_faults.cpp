// Faults from outside the program: every case shows what the user sees and
// that the data on disk is intact.
#include "application.h"
#include "bookdocument.h"
#include "bookfile.h"
#include "cardeditor.h"
#include "fakeplatform.h"
#include "mainwindow.h"
#include "printwindow.h"
#include "senderfile.h"
#include "testmain.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>
#include <cstdio>
#include <unistd.h>

using namespace nvl;
using namespace nvl::test;

namespace {

QByteArray bookBytes(int records, const QString &tag) {
    QString text;
    for (int i = 1; i <= records; ++i)
        text +=
            QStringLiteral(
                "\"%1%2\",\"東京都千代田区丸の内%2\",\"一丁目\",\"100-0001\",\"c\",\"0\",\"\"\r\n")
                .arg(tag)
                .arg(i);
    return cp932(text);
}

// Child mode: saves book 甲 (300 records) and then book 乙 (200) to one file.
int saveTwice(const QString &path) {
    AddressBook a, b;
    for (int i = 0; i < 300; ++i) {
        AddressRecord record;
        record.setField(AddressRecord::Name, QStringLiteral("甲%1").arg(i));
        a.records.append(record);
        record.setField(AddressRecord::Name, QStringLiteral("乙%1").arg(i));
        if (i < 200)
            b.records.append(record);
    }
    return writeBookFile(path, a).ok && writeBookFile(path, b).ok ? 0 : 1;
}

// For a child run under strace: LeakSanitizer cannot run under ptrace, and
// the sanitizer, whose own writes may be the ones failed, ends with a status
// of its own.
QProcessEnvironment tracedEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":detect_leaks=0:exitcode=86"));
    return environment;
}

// Child mode: renames the first card and gives it joint names, then saves
// the book and its companion.
int saveWithCompanion(const QString &path) {
    BookDocument document;
    if (!document.load(path).ok())
        return 2;
    AddressRecord first = document.record(1);
    first.setField(AddressRecord::Name, QStringLiteral("二回目さん"));
    document.setRecord(0, first);
    document.setRecordData(0, {{QStringLiteral("joint"), QStringLiteral("二回目")}});
    const BookDocument::Saved saved = document.save();
    if (!saved.ok())
        std::fprintf(stderr, "%s\n", qPrintable(saved.error));
    return saved.ok() ? 0 : 1;
}

// The first card's name and joint names as the book and its companion read
// back: always a pair from one save.
QString firstCard(const QString &path) {
    BookDocument document;
    if (!document.load(path).ok() || !document.companionProblem().isEmpty())
        return QStringLiteral("unreadable");
    return document.record(1).field(AddressRecord::Name) + u'/' +
           document.recordData(0).value(QStringLiteral("joint")).toString();
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void saveAsOntoWriteProtectedFile();
    void reorderOnWriteProtectedFile();
    void fullDiskDuringSave();
    void killedDuringSave_data();
    void killedDuringSave();
    void dataFileDeletedWhileEditing();
    void dataFileReplacedWhileEditing();
    void settingsFiles_data();
    void settingsFiles();
    void hugeBookRefused();
    void readOnlyDisk();
    void companionFaults_data();
    void companionFaults();
    void companionOnAFullDisk();

private:
    MainWindow *openBook(const QString &path);
    std::unique_ptr<FakeDesktop> m_desk;
    MainWindow *m_main = nullptr;
};

void TestFaults::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
}

void TestFaults::cleanup() {
    m_desk.reset();
}

MainWindow *TestFaults::openBook(const QString &path) {
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    m_main->showForm();
    m_desk->fileDialogs.openAnswers = {path};
    child<QAbstractButton>(m_main, "cmdOpen")->click();
    return m_main;
}

void TestFaults::saveAsOntoWriteProtectedFile() {
    const QString book = m_desk->file("book.dat");
    writeBytes(book, bookBytes(3, QStringLiteral("新")));
    const QString target = m_desk->file("old.dat");
    const QByteArray old = bookBytes(5, QStringLiteral("旧"));
    writeBytes(target, old);
    QFile::setPermissions(target, QFile::ReadOwner);
    openBook(book);
    m_desk->fileDialogs.saveAnswers = {target};
    child<QAbstractButton>(m_main, "cmdSave")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(target));
    QCOMPARE(readBytes(target), old);
    QCOMPARE(m_main->book().recordCount(), 3);
}

void TestFaults::reorderOnWriteProtectedFile() {
    const QString book = m_desk->file("book.dat");
    const QByteArray bytes = bookBytes(4, QStringLiteral("名"));
    writeBytes(book, bytes);
    openBook(book);
    QFile::setPermissions(book, QFile::ReadOwner);
    child<QAbstractButton>(m_main, "cmdReorder")->click();
    FormWindow *reorder = m_desk->context.windows.existing(WindowId::Reorder);
    auto *list = child<QListView>(reorder, "lstName");
    emit list->clicked(list->model()->index(3, 0));
    child<QLineEdit>(reorder, "txt2")->setText(QStringLiteral("1"));
    child<QAbstractButton>(reorder, "Command1")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(book));
    QCOMPARE(readBytes(book), bytes);
    QCOMPARE(rowTexts(list).at(0), QStringLiteral("1  名1")); // the list shows the file
}

void TestFaults::fullDiskDuringSave() {
    const SmallDisk disk("24k");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    const QString book = disk.filePath(QStringLiteral("book.dat"));
    const QByteArray bytes = bookBytes(300, QStringLiteral("名"));
    QVERIFY(bytes.size() > 12 * 1024); // the disk cannot hold two copies
    writeBytes(book, bytes);
    QCOMPARE(readBytes(book), bytes);

    // The card editor's 戻る needs room for the new copy beside the old one.
    openBook(book);
    child<QAbstractButton>(m_main, "cmdCard")->click();
    auto *editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    child<QLineEdit>(editor, "txtName")->setText(QStringLiteral("変更した名前"));
    child<QAbstractButton>(editor, "cmdAdd")->click();
    child<QAbstractButton>(editor, "Command1")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(book));
    QVERIFY(editor->isFormLoaded());
    QCOMPARE(editor->card(1).field(AddressRecord::Name), QStringLiteral("変更した名前"));
    QCOMPARE(readBytes(book), bytes);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files), QStringList{"book.dat"});
    // Closing anyway, and choosing not to lose it: still open.
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::No};
    editor->close();
    QVERIFY(editor->isFormLoaded());
    QCOMPARE(readBytes(book), bytes);
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::Yes};
    editor->close();
}

void TestFaults::killedDuringSave_data() {
    QTest::addColumn<QString>("syscall");
    QTest::newRow("while writing") << "write";
    QTest::newRow("before the rename") << "rename";
}

void TestFaults::killedDuringSave() {
    QFETCH(QString, syscall);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    const QString path = m_desk->file("book.dat");
    const QStringList saveTwice{QCoreApplication::applicationFilePath(), "--save-twice", path};
    // The second save makes the program's last such call (a sanitizer makes
    // writes of its own): counted in a run without faults.
    const QProcessEnvironment environment = tracedEnvironment();
    QProcess dryRun;
    dryRun.setProcessEnvironment(environment);
    dryRun.start(QStringLiteral("strace"),
                 QStringList{"-qq", "-o", "/dev/stdout", "-e", "trace=" + syscall} + saveTwice);
    QVERIFY(dryRun.waitForFinished(30000));
    const qsizetype calls = dryRun.readAllStandardOutput().count(syscall.toLatin1() + '(');
    QVERIFY(calls >= 2);
    QFile::remove(path);
    // The second save is killed at that call; the first book must stay whole.
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(
        QStringLiteral("strace"),
        QStringList{"-qq", "-o", "/dev/null", "-e",
                    QStringLiteral("inject=%1:signal=SIGKILL:when=%2").arg(syscall).arg(calls)} +
            saveTwice);
    QVERIFY(child.waitForFinished(30000));
    QVERIFY2(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0,
             "the second save was killed");
    const BookRead read = readBookFile(path);
    QVERIFY2(read.ok(), "the file is a complete book");
    QCOMPARE(read.book.recordCount(), 300);
    QCOMPARE(read.book.record(300).field(AddressRecord::Name), QStringLiteral("甲299"));

    // The killed save's temporary goes with the next save; files that only
    // look like the program's stay.
    const QDir folder(m_desk->folder());
    const QStringList hidden{".book.dat.Ab12Cd", ".nvl-00000000-1-Ab12Cd"};
    for (const QString &name : hidden)
        writeBytes(folder.filePath(name), "not ours");
    const auto temporaries = [&folder] {
        return folder.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".nvl-"));
    };
    QCOMPARE(temporaries().size(), 2);
    QVERIFY(writeBookFile(path, read.book).ok);
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden),
             QStringList({hidden.at(0), hidden.at(1), "book.dat"}));
}

void TestFaults::dataFileDeletedWhileEditing() {
    const QString book = m_desk->file("book.dat");
    writeBytes(book, bookBytes(3, QStringLiteral("名")));
    openBook(book);
    child<QAbstractButton>(m_main, "cmdCard")->click();
    QFile::remove(book);
    auto *editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    child<QAbstractButton>(editor, "Command1")->click();
    QVERIFY(m_desk->messages.shown.isEmpty());
    // The editor's copy is the book: it is written back in full.
    QCOMPARE(readBookFile(book).book.recordCount(), 3);
    QCOMPARE(rowCount(child<QListView>(m_main, "lstSet1")), 3);
}

void TestFaults::dataFileReplacedWhileEditing() {
    const QString book = m_desk->file("book.dat");
    writeBytes(book, bookBytes(3, QStringLiteral("名")));
    openBook(book);
    child<QAbstractButton>(m_main, "cmdCard")->click();
    auto *editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    child<QLineEdit>(editor, "txtName")->setText(QStringLiteral("直した名前"));
    child<QAbstractButton>(editor, "cmdAdd")->click();
    const QByteArray theirs = bookBytes(1, QStringLiteral("他"));
    writeBytes(book, theirs);
    // Asked first; 「はい」 keeps what the user edited, the book the editor shows.
    m_desk->messages.answers.push_back(MessageAnswer::Yes);
    child<QAbstractButton>(editor, "Command1")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(QStringLiteral("ほかのプログラムに変更")));
    const BookRead read = readBookFile(book);
    QCOMPARE(read.book.recordCount(), 3);
    QCOMPARE(read.book.record(1).field(AddressRecord::Name), QStringLiteral("直した名前"));
    QCOMPARE(read.book.record(3).field(AddressRecord::Name), QStringLiteral("名3"));

    // Unchanged, the editor leaves the other program's book as it is.
    writeBytes(book, theirs);
    m_desk->messages.shown.clear();
    child<QAbstractButton>(m_main, "cmdCard")->click();
    writeBytes(book, bookBytes(2, QStringLiteral("他")));
    child<QAbstractButton>(editor, "Command1")->click();
    QVERIFY(m_desk->messages.shown.isEmpty());
    QCOMPARE(readBytes(book), bookBytes(2, QStringLiteral("他")));
}

void TestFaults::settingsFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("present");
    const QByteArray huge(10 * 1024 * 1024, 'x');
    const QByteArray binary("\x00\xff\xfe\x01\x02", 5);
    for (const char *file : {"Nuvel.ini", "Nuvel.opt", "Wolt.tds"}) {
        const QString name = QLatin1String(file);
        QTest::addRow("%s missing", file) << name << QByteArray() << false;
        QTest::addRow("%s empty", file) << name << QByteArray() << true;
        QTest::addRow("%s short", file) << name << QByteArray("\"1\"") << true;
        QTest::addRow("%s binary", file) << name << binary << true;
        QTest::addRow("%s 10 MB", file) << name << huge << true;
    }
}

void TestFaults::settingsFiles() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    const QString path = m_desk->file(kind);
    if (present)
        writeBytes(path, bytes);
    const QString book = m_desk->file("book.dat");
    writeBytes(book, bookBytes(2, QStringLiteral("名")));
    // Start, open a book, go on to the print window and cancel a print job:
    // every settings file is read on the way.
    openBook(book);
    QVERIFY(m_main->isVisible());
    child<QListView>(m_main, "lstSet1")->selectAll();
    child<QAbstractButton>(m_main, "cmdAdd")->click();
    child<QAbstractButton>(m_main, "cmdPrint")->click();
    auto *print = m_desk->context.windows.get<PrintWindow>(WindowId::Print);
    QVERIFY(print->isVisible());
    m_desk->printerDialog.answers = {false};
    child<QAbstractButton>(print, "cmdPrint")->click();
    // A damaged sender or offset file is named to the user (once as the
    // print window opens, once for each print job); the rest goes unsaid.
    const bool damaged = kind != QLatin1String("Nuvel.ini") && bytes.size() > 3;
    if (damaged) {
        QCOMPARE(m_desk->messages.shown.size(), 1);
        QVERIFY(m_desk->messages.shown.first().text.contains(path));
    } else {
        QVERIFY(m_desk->messages.shown.isEmpty());
    }
    const SheetOffsets offsets = print->settings().offsets;
    if (kind == QLatin1String("Nuvel.opt") && bytes == "\"1\"")
        QCOMPARE(offsets.x, -71.95); // the one value it holds: X 1
    else
        QCOMPARE(QPointF(offsets.x, offsets.y), QPointF());
    QCOMPARE(child<QLabel>(print, "lbltx")->text(), QStringLiteral("1/ 4 "));
    const QString senderCode = print->currentJob().sender.postalCode;
    if (kind == QLatin1String("Wolt.tds") && bytes == "\"1\"")
        QCOMPARE(senderCode, QStringLiteral("1"));
    else
        QCOMPARE(senderCode, QString());
    // Wolt.tds and Nuvel.opt are left as they were (Nuvel.ini is rewritten
    // whenever the main window steps aside).
    if (present && kind != QLatin1String("Nuvel.ini"))
        QCOMPARE(QFileInfo(path).size(), bytes.size());
}

void TestFaults::hugeBookRefused() {
    const QString path = m_desk->file("huge.dat");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(50LL * 1024 * 1024));
    }
    const QString good = m_desk->file("good.dat");
    writeBytes(good, bookBytes(2, QStringLiteral("名")));
    openBook(good);
    m_desk->fileDialogs.openAnswers = {path};
    child<QAbstractButton>(m_main, "cmdOpen")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(QStringLiteral("大きすぎる")));
    QCOMPARE(m_main->book().recordCount(), 2);
    QCOMPARE(QFileInfo(path).size(), 50LL * 1024 * 1024);
}

void TestFaults::readOnlyDisk() {
    SmallDisk disk("1m");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    const QString book = disk.filePath(QStringLiteral("book.dat"));
    writeBytes(book, bookBytes(2, QStringLiteral("名")));
    QVERIFY(disk.makeReadOnly());
    // No lock can be made there: the book opens for reading, and that is said.
    BookDocument document;
    const BookDocument::Locked locked = document.lock(book, 0);
    QVERIFY(locked.ok && locked.warning.contains(QStringLiteral("鍵ファイル")));
    const BookDocument::Saved saved = BookDocument::saveCopy(book, readBookFile(book).book);
    QVERIFY(!saved.ok());
    QVERIFY2(saved.error.contains(book) &&
                 saved.error.contains(QStringLiteral("読み取り専用のディスク")),
             qPrintable(saved.error));
}

void TestFaults::companionFaults_data() {
    QTest::addColumn<QString>("syscalls");
    QTest::addColumn<QString>("fault");
    QTest::newRow("write: disk full") << "write"
                                      << "error=ENOSPC";
    QTest::newRow("fsync: I/O error") << "fsync,fdatasync"
                                      << "error=EIO";
    QTest::newRow("rename: I/O error") << "rename,renameat,renameat2"
                                       << "error=EIO";
    QTest::newRow("killed at a write") << "write"
                                       << "signal=SIGKILL";
    QTest::newRow("killed at a rename") << "rename,renameat,renameat2"
                                        << "signal=SIGKILL";
}

// Each call of the save that can fail, failed in turn, the program killed
// at each: the book and its companion always read back as one save's pair,
// and a save that failed says so, naming the file.
void TestFaults::companionFaults() {
    QFETCH(QString, syscalls);
    QFETCH(QString, fault);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    const QString path = m_desk->file("book.dat");
    writeBytes(path, bookBytes(3, QStringLiteral("一回目さん")));
    {
        BookDocument document;
        QVERIFY(document.load(path).ok());
        document.setRecordData(0, {{QStringLiteral("joint"), QStringLiteral("一回目")}});
        QVERIFY(document.save().ok());
    }
    const QString companion = path + QStringLiteral(".nvl");
    const QByteArray book = readBytes(path);
    const QByteArray data = readBytes(companion);
    const QString before = firstCard(path);
    QCOMPARE(before, QStringLiteral("一回目さん1/一回目"));
    const QStringList save{QCoreApplication::applicationFilePath(), "--save-companion", path};
    const QProcessEnvironment environment = tracedEnvironment();
    QProcess dryRun;
    dryRun.setProcessEnvironment(environment);
    dryRun.start(QStringLiteral("strace"),
                 QStringList{"-qq", "-o", "/dev/stdout", "-e", "trace=" + syscalls} + save);
    QVERIFY(dryRun.waitForFinished(30000));
    const QString trace = QString::fromUtf8(dryRun.readAllStandardOutput());
    qsizetype calls = 0;
    for (const QString &name : syscalls.split(u','))
        calls += trace.count(QRegularExpression(QStringLiteral("^%1\\(").arg(name),
                                                QRegularExpression::MultilineOption));
    QVERIFY2(calls >= 2, qPrintable(trace));
    const QString after = firstCard(path);
    QCOMPARE(after, QStringLiteral("二回目さん/二回目"));
    for (qsizetype when = 1; when <= calls; ++when) {
        writeBytes(path, book);
        writeBytes(companion, data);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(
            QStringLiteral("strace"),
            QStringList{"-qq", "-o", "/dev/null", "-e",
                        QStringLiteral("inject=%1:%2:when=%3").arg(syscalls, fault).arg(when)} +
                save);
        QVERIFY(child.waitForFinished(30000));
        const bool failed = child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0;
        const QString read = firstCard(path);
        const QString where = QStringLiteral("call %1 of %2: %3").arg(when).arg(calls).arg(read);
        QVERIFY2(read == before || read == after, qPrintable(where));
        // The save's own failure (status 1) tells the user, naming the file.
        if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 1)
            QVERIFY2(
                QString::fromLocal8Bit(child.readAllStandardError()).contains(m_desk->folder()),
                qPrintable(where));
        if (!failed)
            QCOMPARE(read, after);
    }
}

void TestFaults::companionOnAFullDisk() {
    const SmallDisk disk("64k");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    const QString path = disk.filePath(QStringLiteral("book.dat"));
    writeBytes(path, bookBytes(3, QStringLiteral("一回目さん")));
    BookDocument document;
    QVERIFY(document.load(path).ok());
    document.setRecordData(0, {{QStringLiteral("joint"), QStringLiteral("一回目")}});
    QVERIFY(document.save().ok());
    const QByteArray book = readBytes(path);
    const QByteArray data = readBytes(path + QStringLiteral(".nvl"));
    // The rest of the disk is taken; the data grows past what is left.
    QFile filler(disk.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    document.setRecordData(0, {{QStringLiteral("joint"), QString(8192, u'次')}});
    const BookDocument::Saved saved = document.save();
    QVERIFY(!saved.ok());
    QVERIFY2(saved.error.contains(path), qPrintable(saved.error));
    QCOMPARE(readBytes(path), book);
    QCOMPARE(readBytes(path + QStringLiteral(".nvl")), data);
    QCOMPARE(firstCard(path), QStringLiteral("一回目さん1/一回目"));
}

int main(int argc, char *argv[]) {
    if (argc == 3 && qstrcmp(argv[1], "--save-twice") == 0)
        return saveTwice(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--save-companion") == 0)
        return saveWithCompanion(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    TestFaults test;
    return runTests(test, argc, argv);
}

#include "tst_faults.moc"
