// Real faults against the real program: print-pdf run as a process, its
// output on a tiny tmpfs, and write/fsync/rename failures injected with strace.
#include "buildpaths.h"
#include "fakeplatform.h"
#include "pdftools.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace nvl::test;

class TestBatchFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void refusedOutputs_data();
    void refusedOutputs();
    void standardOutput();
    void specialInputs_data();
    void specialInputs();
    void injectedFaults_data();
    void injectedFaults();
    void fullDisk();
    void installedCopyReadsShippedSenders_data();
    void installedCopyReadsShippedSenders();
    void importAndExportFaults_data();
    void importAndExportFaults();
    void importOnAFullDisk();
    void outsideChangeWhileSaving();
    void lockNamingNoProcess();

private:
    struct Run {
        int exitCode = -1;
        QByteArray out;
        QString errors;
    };
    Run run(const QStringList &arguments, const QStringList &straceOptions = {},
            const QString &program = {}, const QString &home = {});
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QStringList files() const { return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_command = QStringLiteral("print-pdf");
};

namespace {

bool isRegular(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

const QByteArray OldPdf("%PDF-1.4 the previous print, which must survive\n");

} // namespace

void TestBatchFaults::init() {
    m_command = QStringLiteral("print-pdf");
    m_dir = std::make_unique<QTemporaryDir>();
    // NVL_PROGRAM_UNDER_TEST runs these against another build of the program.
    const QString program = builtProgram();
    QVERIFY(QFile::copy(program, path(QStringLiteral("nvl-hagaki"))));
    QString book;
    for (int i = 1; i <= 5; ++i)
        book += QStringLiteral(
                    "\"宛名%1\",\"住所%1\",\"千代田区番地%1\",\"100-000%1\",\"\",\"0\",\"\"\r\n")
                    .arg(i);
    writeBytes(path(QStringLiteral("book.dat")), cp932(book));
    writeBytes(path(QStringLiteral("Wolt.tds")),
               cp932(QStringLiteral("\"100-0001\",\"差出住所\",\"\",\"差出人\"\r\n")));
}

TestBatchFaults::Run TestBatchFaults::run(const QStringList &arguments,
                                          const QStringList &straceOptions, const QString &program,
                                          const QString &home) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    // LeakSanitizer cannot run in a traced process (sanitizer builds).
    if (!straceOptions.isEmpty())
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    if (!home.isEmpty()) {
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir->path());
    const QStringList command =
        QStringList{program.isEmpty() ? path(QStringLiteral("nvl-hagaki")) : program, m_command} +
        arguments;
    if (straceOptions.isEmpty())
        process.start(command.first(), command.mid(1));
    else
        process.start(QStringLiteral("strace"),
                      QStringList{"-f", "-qq", "-o", "/dev/null"} + straceOptions + command);
    Run result;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        result.errors = QStringLiteral("(hung)");
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void TestBatchFaults::refusedOutputs_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("the book itself") << "same";
    QTest::newRow("the book by another name") << "dots";
    QTest::newRow("a hard link to the book") << "link";
    QTest::newRow("a FIFO") << "fifo";
    QTest::newRow("a device node") << "device";
}

void TestBatchFaults::refusedOutputs() {
    QFETCH(QString, kind);
    const QString book = path(QStringLiteral("book.dat"));
    const QByteArray bookBefore = readBytes(book);
    QString output = book;
    if (kind == QLatin1String("dots")) {
        output = QStringLiteral("./././book.dat");
    } else if (kind == QLatin1String("link")) {
        output = path(QStringLiteral("link.dat"));
        QCOMPARE(::link(QFile::encodeName(book).constData(), QFile::encodeName(output).constData()),
                 0);
    } else if (kind == QLatin1String("fifo")) {
        output = path(QStringLiteral("fifo.pdf"));
        QCOMPARE(::mkfifo(QFile::encodeName(output).constData(), 0600), 0);
    } else if (kind == QLatin1String("device")) {
        // A private node for /dev/full, so a fault here harms no real device.
        output = path(QStringLiteral("full"));
        if (::mknod(QFile::encodeName(output).constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
            NVL_SKIP_UNLESS_CI("device nodes cannot be made here");
    }
    const Run result = run({book, output});
    QVERIFY2(result.exitCode > 0, qPrintable(result.errors));
    QVERIFY(result.errors.contains(output));
    QCOMPARE(readBytes(book), bookBefore);
    if (kind == QLatin1String("fifo") || kind == QLatin1String("device"))
        QVERIFY(!isRegular(output));
}

void TestBatchFaults::standardOutput() {
    const Run result = run({QStringLiteral("book.dat"), QStringLiteral("-")});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(result.out.startsWith("%PDF-"));
    QVERIFY(result.out.trimmed().endsWith("%%EOF"));
    QVERIFY(!QFile::exists(path(QStringLiteral("-"))));
}

void TestBatchFaults::specialInputs_data() {
    QTest::addColumn<QString>("fifo");
    QTest::addColumn<bool>("refused");
    QTest::newRow("book") << "book.dat" << true;
    QTest::newRow("Wolt.tds") << "Wolt.tds" << true;
    QTest::newRow("Nuvel.opt") << "Nuvel.opt" << false;
}

void TestBatchFaults::specialInputs() {
    QFETCH(QString, fifo);
    QFETCH(bool, refused);
    QFile::remove(path(fifo));
    QCOMPARE(::mkfifo(QFile::encodeName(path(fifo)).constData(), 0600), 0);
    const Run result = run({path(QStringLiteral("book.dat")), path(QStringLiteral("out.pdf"))});
    QVERIFY2(result.errors != QLatin1String("(hung)"), "print-pdf blocked on a FIFO");
    QVERIFY(result.errors.contains(path(fifo)));
    QCOMPARE(result.exitCode != 0, refused);
}

void TestBatchFaults::injectedFaults_data() {
    QTest::addColumn<QString>("inject");
    QTest::newRow("write: disk full") << "write:error=ENOSPC";
    QTest::newRow("fsync: I/O error") << "fsync,fdatasync:error=EIO";
    QTest::newRow("rename: cross-device") << "rename,renameat,renameat2:error=EXDEV";
}

void TestBatchFaults::injectedFaults() {
    QFETCH(QString, inject);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    const QString out = path(QStringLiteral("out.pdf"));
    writeBytes(out, OldPdf);
    const QStringList before = files();
    const QStringList args{path(QStringLiteral("book.dat")), out};

    QString when;
    if (inject.startsWith(QLatin1String("write:"))) {
        // Only the write of the PDF fails: its number among the main thread's
        // writes comes from a trace of the same run.
        const QString trace = path(QStringLiteral("trace.txt"));
        QProcess strace;
        strace.start(QStringLiteral("strace"),
                     {"-f", "-qq", "-e", "trace=openat,write", "-o", trace,
                      path(QStringLiteral("nvl-hagaki")), "print-pdf", args.at(0), args.at(1)});
        QVERIFY(strace.waitForFinished(30000));
        const QStringList lines = QString::fromUtf8(readBytes(trace)).split(u'\n');
        QFile::remove(trace);
        // strace counts each thread's calls; the first line is the main thread's.
        const QString mainThread = lines.value(0).section(u' ', 0, 0) + u' ';
        // The program's temporary beside it: .nvl-HASH-PID-XXXXXX.
        const QRegularExpression open(
            QStringLiteral("/\\.nvl-[0-9a-f]{8}-\\d+-\\w{6}\".* = (\\d+)$"));
        QString pdfWrite;
        int writes = 0;
        for (const QString &line : lines) {
            if (!line.startsWith(mainThread))
                continue;
            if (const auto match = open.match(line); match.hasMatch())
                pdfWrite = QStringLiteral(" write(%1,").arg(match.captured(1));
            if (!line.contains(QLatin1String(" write(")))
                continue;
            ++writes;
            if (!pdfWrite.isEmpty() && line.contains(pdfWrite)) {
                when = QString::number(writes);
                break;
            }
        }
        QVERIFY2(!when.isEmpty(), "the PDF's write was not found in the trace");
    }
    writeBytes(out, OldPdf); // the traced run printed
    const Run result =
        run(args,
            {"-e", QStringLiteral("inject=%1%2")
                       .arg(inject, when.isEmpty() ? QString() : QStringLiteral(":when=") + when)});
    QVERIFY2(result.exitCode > 0, qPrintable(result.errors));
    QVERIFY(result.errors.contains(out));
    QCOMPARE(readBytes(out), OldPdf);
    QCOMPARE(files(), before); // no temporary file left behind
}

void TestBatchFaults::fullDisk() {
    const SmallDisk disk("64k");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    const QString out = disk.filePath(QStringLiteral("out.pdf"));
    writeBytes(out, OldPdf);
    // The rest of the disk is taken: the new PDF finds no room.
    QFile filler(disk.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    const Run result = run({path(QStringLiteral("book.dat")), out});
    QVERIFY2(result.exitCode > 0, qPrintable(result.errors));
    QVERIFY(result.errors.contains(out));
    QCOMPARE(readBytes(out), OldPdf);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"filler", "out.pdf"}));
}

void TestBatchFaults::installedCopyReadsShippedSenders_data() {
    QTest::addColumn<bool>("ownCopy");
    QTest::newRow("only the shipped Wolt.tds") << false;
    QTest::newRow("the user's own copy wins") << true;
}

void TestBatchFaults::installedCopyReadsShippedSenders() {
    // Installed under a prefix (the desktop file beside it marks it so), in
    // a folder the program does not write to.
    QFETCH(bool, ownCopy);
    const QDir prefix(path(QStringLiteral("prefix")));
    QVERIFY(prefix.mkpath(QStringLiteral("bin")) &&
            prefix.mkpath(QStringLiteral("share/applications")));
    const QString program = prefix.filePath(QStringLiteral("bin/nvl-hagaki"));
    QVERIFY(QFile::copy(path(QStringLiteral("nvl-hagaki")), program));
    writeBytes(
        prefix.filePath(QStringLiteral("share/applications/org.nvlhagaki.NvlHagaki.desktop")),
        "[Desktop Entry]\n");
    writeBytes(prefix.filePath(QStringLiteral("bin/Wolt.tds")),
               cp932(QStringLiteral("\"100-0001\",\"同梱住所\",\"\",\"同梱差出人\"\r\n")));
    const QString home = path(QStringLiteral("home"));
    const QString userFolder = home + QStringLiteral("/.local/share/nvl-hagaki");
    if (ownCopy) {
        QVERIFY(QDir().mkpath(userFolder));
        writeBytes(userFolder + QStringLiteral("/Wolt.tds"),
                   cp932(QStringLiteral("\"100-0002\",\"自分の住所\",\"\",\"自分の名前\"\r\n")));
    }
    const QString out = path(QStringLiteral("installed.pdf"));
    const Run result = run({path(QStringLiteral("book.dat")), out}, {}, program, home);
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
    QStringList words;
    for (const PdfWord &word : pdfWords(out))
        words.append(word.text);
    QCOMPARE(words.contains(QStringLiteral("同梱差出人")), !ownCopy);
    QCOMPARE(words.contains(QStringLiteral("自分の名前")), ownCopy);
    // Nothing is written beside the installed program.
    QStringList shipped = QDir(prefix.filePath(QStringLiteral("bin"))).entryList(QDir::Files);
    shipped.sort();
    QCOMPARE(shipped, (QStringList{"Wolt.tds", "nvl-hagaki"}));
}

const QByteArray Contacts("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:新しい人\r\n"
                          "ADR:;;丸の内1-1;千代田区;東京都;100-0005;\r\nEND:VCARD\r\n");

void TestBatchFaults::importAndExportFaults_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("inject");
    for (const char *command : {"import", "export"}) {
        QTest::addRow("%s, fsync: I/O error", command) << command << "fsync,fdatasync:error=EIO";
        QTest::addRow("%s, rename: cross-device", command)
            << command << "rename,renameat,renameat2:error=EXDEV";
    }
}

// The book an import appends to, and the file an export replaces, stay as
// they were when the disk fails, and the user is told which file.
void TestBatchFaults::importAndExportFaults() {
    QFETCH(QString, command);
    QFETCH(QString, inject);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    m_command = command;
    writeBytes(path(QStringLiteral("contacts.vcf")), Contacts);
    const QString target = command == QLatin1String("import") ? path(QStringLiteral("book.dat"))
                                                              : path(QStringLiteral("old.csv"));
    if (command == QLatin1String("export"))
        writeBytes(target, "the previous export\r\n");
    const QByteArray before = readBytes(target);
    const QStringList files = this->files();
    const QStringList args =
        command == QLatin1String("import")
            ? QStringList{path(QStringLiteral("contacts.vcf")), target, QStringLiteral("--append")}
            : QStringList{path(QStringLiteral("book.dat")), target};
    const Run result = run(args, {"-e", QStringLiteral("inject=%1").arg(inject)});
    QVERIFY2(result.exitCode > 0, qPrintable(result.errors));
    QVERIFY2(result.errors.contains(target), qPrintable(result.errors));
    QCOMPARE(readBytes(target), before);
    QCOMPARE(this->files(), files);
    // Without the fault the same command goes through.
    QCOMPARE(run(args).exitCode, 0);
    QVERIFY(readBytes(target) != before);
}

void TestBatchFaults::importOnAFullDisk() {
    const SmallDisk disk("64k");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    m_command = QStringLiteral("import");
    const QString book = disk.filePath(QStringLiteral("book.dat"));
    QVERIFY(QFile::copy(path(QStringLiteral("book.dat")), book));
    const QByteArray before = readBytes(book);
    writeBytes(path(QStringLiteral("contacts.vcf")), Contacts);
    QFile filler(disk.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    const Run result =
        run({path(QStringLiteral("contacts.vcf")), book, QStringLiteral("--append")});
    QVERIFY2(result.exitCode > 0, qPrintable(result.errors));
    QVERIFY(result.errors.contains(book));
    QCOMPARE(readBytes(book), before);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"book.dat", "filler"}));
}

NVL_TEST_MAIN(TestBatchFaults)
#include "tst_batchfaults.moc"

// A program that ignores the lock rewrites the book while an import is
// saving it (each fsync held back 1.5 s by strace): the change is found
// right before the rename, the import fails saying so, and the other
// program's book stays.
void TestBatchFaults::outsideChangeWhileSaving() {
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    const QString book = path(QStringLiteral("book.dat"));
    const QString vcf = path(QStringLiteral("in.vcf"));
    writeBytes(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:新しい人\r\nADR;TYPE=HOME:;;1-1;港区;東京都;"
                    "108-0075;\r\nEND:VCARD\r\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // LeakSanitizer cannot run in a traced process (sanitizer builds).
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("strace"),
                  {"-f", "-qq", "-o", "/dev/null", "-e", "inject=fsync:delay_enter=1500000",
                   path(QStringLiteral("nvl-hagaki")), "import", vcf, book, "--append"});
    // The save has begun once its first temporary file is there.
    QTRY_VERIFY_WITH_TIMEOUT(files().join(u' ').contains(QStringLiteral(".nvl-")), 20000);
    const QByteArray outside =
        readBytes(book) + cp932(QStringLiteral("\"外から\",\"東京都\",\"1\",\"100-0001\",\"\","
                                               "\"0\",\"\"\r\n"));
    writeBytes(book, outside);
    QVERIFY(process.waitForFinished(60000));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(errors.contains(QStringLiteral("ほかのプログラムが変更しました")), qPrintable(errors));
    QCOMPARE(readBytes(book), outside);
}

// A lock file a killed process left empty: fresh, it may be being written,
// and a command waits, then names the file and how to remove it; older
// than 10 seconds it is nobody's, and every command that writes goes on.
void TestBatchFaults::lockNamingNoProcess() {
    const QString book = path(QStringLiteral("book.dat"));
    const QString lock = path(QStringLiteral(".book.dat.lock"));
    writeBytes(lock, {});
    writeBytes(lock + QStringLiteral(".rmlock"), {});
    m_command = QStringLiteral("mark");
    const QStringList mark{book, "--records", "1", "--sent", "2026"};
    Run refused = run(mark);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.errors.contains(lock) && refused.errors.contains(QStringLiteral("削除")),
             qPrintable(refused.errors));
    for (const QString &file : {lock, lock + QStringLiteral(".rmlock")}) {
        QFile stale(file);
        QVERIFY(stale.open(QIODevice::ReadWrite) &&
                stale.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime));
    }
    const QString vcf = path(QStringLiteral("in.vcf"));
    writeBytes(vcf, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:新しい人\r\nADR;TYPE=HOME:;;1-1;港区;東京都;"
                    "108-0075;\r\nEND:VCARD\r\n");
    for (const QStringList &command :
         {QStringList{"mark"} + mark, QStringList{"import", vcf, book, "--append"}}) {
        m_command = command.first();
        const Run done = run(command.mid(1));
        QVERIFY2(done.exitCode == 0, qPrintable(done.errors));
    }
    QVERIFY(readBytes(book).contains(cp932(QStringLiteral("新しい人"))));
    QVERIFY(!QFile::exists(lock + QStringLiteral(".rmlock")));
}
