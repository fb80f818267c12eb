// nvl-hagaki import and export as processes, no display: what they write,
// what they refuse, and what they say.
#include "bookdocument.h"
#include "bookfile.h"
#include "buildpaths.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "pdftools.h"
#include "testmain.h"
#include "yearmarks.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestExchangeCommand : public QObject {
    Q_OBJECT
private slots:
    void init();
    void imports_data();
    void imports();
    void roundTripThroughFiles_data();
    void roundTripThroughFiles();
    void overlappingAppendsKeepEveryRecord();
    void appendNeverPastTheReadersLimit();
    void sixDigitCodesAndDuplicates();
    void answersWithoutDisplay_data();
    void answersWithoutDisplay();
    void listFindsRecords_data();
    void listFindsRecords();
    void markStatuses_data();
    void markStatuses();
    void ownExportIsNoBook_data();
    void ownExportIsNoBook();
    void contactFilesReadInBoundedMemory();
    void folderNameNotText();
    void lineBreaksInFields();
    void exportReadByOtherReaders();
    void mapFromTheCommandLine();
    void honorificWordsPrintedAsWritten();

private:
    int run(const QStringList &arguments, QString *errors = nullptr);
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

// NVL_PROGRAM_UNDER_TEST runs these against another build of the program.
QString program() {
    return builtProgram();
}

QString card(const QString &name, const QString &street) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%1\r\nADR:;;%2;千代田区;東京都;"
                          "100-0001;\r\nEND:VCARD\r\n")
        .arg(name, street);
}

QString book(int records) {
    QString text;
    for (int i = 1; i <= records; ++i)
        text += QStringLiteral("\"宛名%1\",\"東京都\",\"一丁目\",\"100-0001\",\"\",\"0\",\"\"\r\n")
                    .arg(i);
    return text;
}

// What python's vobject (a reader this program did not write) prints for
// `script` run on `file`, given as sys.argv[1].
QString vobjectSays(const char *script, const QString &file) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, vobject; ") + QString::fromUtf8(script), file});
    python.waitForFinished(30000);
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

} // namespace

void TestExchangeCommand::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

int TestExchangeCommand::run(const QStringList &arguments, QString *errors) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(env);
    process.start(program(), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestExchangeCommand::imports_data() {
    QTest::addColumn<QByteArray>("input"); // contacts.vcf or contacts.csv
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("existing"); // records already in OUT, -1 for none
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("records");  // in OUT afterwards
    QTest::addColumn<QString>("says"); // on standard error

    const QByteArray two = (card(QStringLiteral("一人目"), QStringLiteral("千代田1-1")) +
                            card(QStringLiteral("二人目"), QStringLiteral("千代田2-2")) +
                            QStringLiteral("BEGIN:VCARD\r\nFN:住所なし\r\nEND:VCARD\r\n"))
                               .toUtf8();
    QTest::newRow("a new book; a contact without address named")
        << two << "contacts.vcf" << -1 << false << 0 << 2 << "住所なし";
    QTest::newRow("an existing book without --append")
        << two << "contacts.vcf" << 3 << false << 1 << 3 << "--append";
    QTest::newRow("appended") << two << "contacts.vcf" << 3 << true << 0 << 5 << "住所なし";
    QTest::newRow("appended past 300: nothing")
        << two << "contacts.vcf" << 299 << true << 1 << 299 << "あと1件";
    QTest::newRow("broken vCard: nothing written")
        << QByteArray("BEGIN:VCARD\r\nFN:x\r\n") << "contacts.vcf" << -1 << false << 1 << -1
        << "END:VCARD";
    QTest::newRow("nothing with an address")
        << QByteArray("BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n") << "contacts.vcf" << -1 << false << 1
        << -1 << "取り込める連絡先がありません";
    // Text CP932 cannot hold: the book is saved as UTF-8 with a byte-order
    // mark, as every book is then, and the characters are named.
    QTest::newRow("beyond CP932")
        << card(QStringLiteral("𠮷田 鷗外"), QStringLiteral("岡崎1-1")).toUtf8() << "contacts.vcf"
        << -1 << false << 0 << 1 << "書けない文字があります：𠮷、鷗";
    QTest::newRow("CSV in CP932")
        << cp932(QStringLiteral(
               "氏名,郵便番号,住所\r\n山田 太郎,100-0001,東京都千代田区千代田1-1\r\n"))
        << "contacts.csv" << -1 << false << 0 << 1 << "";
    // Real exports carry photos: megabytes the import passes over.
    QByteArray photos;
    for (int i = 0; i < 2; ++i) {
        photos += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:写真" + QByteArray::number(i) +
                  "\r\nPHOTO;ENCODING=b;TYPE=JPEG:";
        for (int line = 0; line < 40000; ++line)
            photos += " " + QByteArray(74, 'Q') + "\r\n";
        photos += "ADR:;;千代田1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n";
    }
    QTest::newRow("a 6 MB vCard with photos")
        << photos << "contacts.vcf" << -1 << false << 0 << 2 << "";
    QTest::newRow("CSV with a NUL: read as a blank, the line named")
        << QByteArray("氏名,住所\r\n佐\0藤,大阪府\r\n", 34) << "contacts.csv" << -1 << false << 0
        << 1 << "2行目の NUL";
    // A CSV is read whole for its mapping: past 8 MB it is refused as a contact file.
    QTest::newRow("CSV past its size")
        << "氏名,住所\r\n" + QByteArray("山田,東京都\r\n").repeated(600000) << "contacts.csv" << -1
        << false << 1 << -1 << "連絡先ファイル";
    QTest::newRow("CSV without the columns")
        << QByteArray("a,b\r\n1,2\r\n") << "contacts.csv" << -1 << false << 1 << -1 << "氏名";
}

void TestExchangeCommand::imports() {
    QFETCH(QByteArray, input);
    QFETCH(QString, name);
    QFETCH(int, existing);
    QFETCH(bool, append);
    QFETCH(int, status);
    QFETCH(int, records);
    QFETCH(QString, says);
    writeBytes(path(name), input);
    const QString out = path(QStringLiteral("out.dat"));
    if (existing >= 0)
        writeBytes(out, cp932(book(existing)));
    const QByteArray before = existing >= 0 ? readBytes(out) : QByteArray();
    QStringList arguments{QStringLiteral("import"), path(name), out};
    if (append)
        arguments.append(QStringLiteral("--append"));
    QString errors;
    QCOMPARE(run(arguments, &errors), status);
    QVERIFY2(errors.contains(says), qPrintable(errors));
    if (status != 0 && existing >= 0)
        QCOMPARE(readBytes(out), before);
    if (records < 0) {
        QVERIFY(!QFile::exists(out));
        return;
    }
    const BookRead read = readBookFile(out);
    QVERIFY(read.ok());
    QCOMPARE(read.book.recordCount(), records);
    if (QTest::currentDataTag() == QByteArrayLiteral("beyond CP932")) {
        QVERIFY(readBytes(out).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(read.book.record(1).field(AddressRecord::Name), QStringLiteral("𠮷田 鷗外"));
    }
    if (status == 0 && existing > 0)
        QCOMPARE(read.book.record(1).field(AddressRecord::Name), QStringLiteral("宛名1"));
}

void TestExchangeCommand::roundTripThroughFiles_data() {
    QTest::addColumn<QString>("exported");
    QTest::newRow("CSV") << "book.csv";
    QTest::newRow("vCard") << "book.vcf";
}

void TestExchangeCommand::roundTripThroughFiles() {
    QFETCH(QString, exported);
    const QString original = path(QStringLiteral("original.dat"));
    writeBytes(original,
               cp932(QStringLiteral(
                   "\"山田 太郎\",\"東京都千代田区\",\"千代田1-1\",\"100-0001\",\"C1\",\"1\","
                   "\"グランハイツ101\"\r\n"
                   "\"株式会社ＮＶＬ\",\"大阪府大阪市北区\",\"梅田3-1\",\"5300001\",\"\",\"2\","
                   "\"\"\r\n")));
    // The first card's 連名, in the book's companion.
    const JointNames joint = {{QStringLiteral("花子"), QStringLiteral("様")},
                              {QStringLiteral("健太"), QStringLiteral("くん")}};
    {
        BookDocument document;
        QVERIFY(document.load(original).ok());
        document.setRecordData(0, withJointNames({}, joint));
        QVERIFY(document.save().ok());
    }
    QCOMPARE(run({QStringLiteral("export"), original, path(exported)}), 0);
    QCOMPARE(run({QStringLiteral("import"), path(exported), path(QStringLiteral("back.dat"))}), 0);
    const BookRead before = readBookFile(original);
    const BookRead after = readBookFile(path(QStringLiteral("back.dat")));
    QVERIFY(before.ok() && after.ok());
    QCOMPARE(after.book.recordCount(), 2);
    for (int n = 1; n <= 2; ++n) {
        for (const int field : {AddressRecord::Name, AddressRecord::Address1,
                                AddressRecord::Address2, AddressRecord::Address3})
            QCOMPARE(after.book.record(n).field(field), before.book.record(n).field(field));
        // A bare seven-digit code comes back as NNN-NNNN.
        QCOMPARE(QString(after.book.record(n).field(AddressRecord::PostalCode)).remove(u'-'),
                 QString(before.book.record(n).field(AddressRecord::PostalCode)).remove(u'-'));
        QCOMPARE(after.book.record(n).field(AddressRecord::PostalCode).size(), 8);
    }
    if (exported.endsWith(QLatin1String(".csv"))) {
        // Every field, the code as NNN-NNNN.
        QList<AddressRecord> expected = before.book.records;
        for (AddressRecord &record : expected)
            if (const QString code = record.field(AddressRecord::PostalCode); !code.contains(u'-'))
                record.setField(AddressRecord::PostalCode, code.left(3) + u'-' + code.mid(3));
        QCOMPARE(after.book.records, expected);
    }
    BookDocument back;
    QVERIFY(back.load(path(QStringLiteral("back.dat"))).ok());
    QCOMPARE(jointNamesOf(back.recordData(0)), joint);
    QVERIFY(jointNamesOf(back.recordData(1)).isEmpty());
    // Export refuses a name it cannot tell the format of.
    QString errors;
    QCOMPARE(run({QStringLiteral("export"), original, path(QStringLiteral("book.txt"))}, &errors),
             2);
    QVERIFY(errors.contains(QStringLiteral(".csv")));
}

void TestExchangeCommand::overlappingAppendsKeepEveryRecord() {
    const QString out = path(QStringLiteral("out.dat"));
    for (const char *who : {"a", "b"})
        writeBytes(path(QStringLiteral("%1.vcf").arg(QLatin1String(who))),
                   (card(QStringLiteral("%1一").arg(QLatin1String(who)), QStringLiteral("1-1")) +
                    card(QStringLiteral("%1二").arg(QLatin1String(who)), QStringLiteral("2-2")))
                       .toUtf8());
    for (int round = 1; round <= 30; ++round) {
        writeBytes(out, cp932(book(1)));
        // Both start before either is done: the second waits for the first's lock.
        QProcess a, b;
        for (QProcess *process : {&a, &b})
            process->start(program(),
                           {QStringLiteral("import"),
                            path(process == &a ? QStringLiteral("a.vcf") : QStringLiteral("b.vcf")),
                            out, QStringLiteral("--append")});
        for (QProcess *process : {&a, &b}) {
            QVERIFY(process->waitForFinished(30000));
            QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0,
                     process->readAllStandardError().constData());
        }
        const BookRead read = readBookFile(out);
        QVERIFY(read.ok());
        QStringList names;
        for (const AddressRecord &record : read.book.records)
            names.append(record.field(AddressRecord::Name));
        names.sort();
        QCOMPARE(names, (QStringList{"a一", "a二", "b一", "b二", "宛名1"}));
    }
}

void TestExchangeCommand::appendNeverPastTheReadersLimit() {
    // A book just under the size the reader accepts; two more contacts would
    // make a file that could never be opened again.
    const QString out = path(QStringLiteral("out.dat"));
    const QByteArray nearlyFull = "\"big\",\"" + QByteArray(MaxTextFileBytes - 40, 'x') +
                                  "\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n";
    writeBytes(out, nearlyFull);
    QVERIFY(readBookFile(out).ok());
    writeBytes(path(QStringLiteral("two.vcf")),
               (card(QStringLiteral("一人目"), QStringLiteral("1-1")) +
                card(QStringLiteral("二人目"), QStringLiteral("2-2")))
                   .toUtf8());
    QString errors;
    QCOMPARE(run({QStringLiteral("import"), path(QStringLiteral("two.vcf")), out,
                  QStringLiteral("--append")},
                 &errors),
             1);
    QVERIFY2(errors.contains(out) && errors.contains(QString::number(MaxTextFileBytes)),
             qPrintable(errors));
    QCOMPARE(readBytes(out), nearlyFull);
}

void TestExchangeCommand::sixDigitCodesAndDuplicates() {
    // Excel dropped the leading zero of 030-0861; the address gives it back.
    const QString excel = QFINDTESTDATA("../data/import/excel-six-digit.csv");
    QVERIFY(!excel.isEmpty());
    const QString out = path(QStringLiteral("out.dat"));
    QString errors;
    QCOMPARE(run({QStringLiteral("import"), excel, out}, &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("「300861」は6けたのため、住所から引いた「030-0861」")),
             qPrintable(errors));
    const AddressRecord first = readBookFile(out).book.record(1);
    QCOMPARE(first.field(AddressRecord::PostalCode), QStringLiteral("030-0861"));
    QCOMPARE(first.field(AddressRecord::Honorific), QStringLiteral("0")); // an empty 敬称 is 様
    // The same contact again: added, and named.
    QCOMPARE(run({QStringLiteral("import"), excel, out, QStringLiteral("--append")}, &errors), 0);
    QVERIFY2(errors.contains(QStringLiteral("同じ内容がすでにある連絡先（1件）: 山田 太郎")),
             qPrintable(errors));
    QCOMPARE(readBookFile(out).book.recordCount(), 2);
}

void TestExchangeCommand::answersWithoutDisplay_data() {
    QTest::addColumn<QString>("arguments"); // for sh, after the program
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says"); // on standard output or error
    QTest::newRow("--help") << "--help" << 0 << "nvl-hagaki export";
    QTest::newRow("a mistyped command") << "exprot a.dat b.csv" << 2 << "exprot";
    // Bytes that are not UTF-8 would come back as another name.
    QTest::newRow("import into a name that is not UTF-8")
        << "import \"$D/in.vcf\" \"$D/bad$(printf '\\377\\376').dat\" --append" << 1 << "UTF-8";
    QTest::newRow("export of a name that is not UTF-8")
        << "export \"$D/bad$(printf '\\377\\376').dat\" \"$D/out.csv\"" << 1 << "UTF-8";
}

void TestExchangeCommand::answersWithoutDisplay() {
    QFETCH(QString, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    writeBytes(path(QStringLiteral("in.vcf")),
               card(QStringLiteral("一人目"), QStringLiteral("千代田1-1")).toUtf8());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("D"), m_dir->path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec \"$0\" ") + arguments, program()});
    QVERIFY(process.waitForFinished(30000));
    const QString output =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(output.contains(says), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("display")), qPrintable(output));
    // Nothing was written under any name.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"in.vcf"});
}

void TestExchangeCommand::listFindsRecords_data() {
    QTest::addColumn<QStringList>("mark"); // run first, when given
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("output");
    const QString first = QStringLiteral("1\t山田 太郎\t100-0005\t東京都千代田区\n");
    const QString second = QStringLiteral("2\t佐藤 花子\t530-0001\t大阪府大阪市北区\n");
    const QStringList none;
    QTest::newRow("everything") << none << QStringList{} << first + second;
    QTest::newRow("--search by reading") << none << QStringList{"--search", "ﾔﾏﾀﾞ"} << first;
    QTest::newRow("--search a full-width code")
        << none << QStringList{"--search", "５３０００"} << second;
    QTest::newRow("--tag") << none << QStringList{"--tag", "仕事"} << second;
    QTest::newRow("both must hold")
        << none << QStringList{"--search", "山田", "--tag", "仕事"} << QString();
    const QStringList sent{"--records", "2", "--sent", "2027"};
    QTest::newRow("mark, then --sent") << sent << QStringList{"--sent", "2027"} << second;
    QTest::newRow("mark, then --not-sent") << sent << QStringList{"--not-sent", "2027"} << first;
    QTest::newRow("another year") << sent << QStringList{"--sent", "2026"} << QString();
    QTest::newRow("marked and cleared")
        << QStringList{"--records", "1-2", "--sent", "2027", "--clear"}
        << QStringList{"--not-sent", "2027"} << first + second;
    const QStringList mourning{"--records", "1", "--mourning", "2027", "--received", "2026"};
    QTest::newRow("--mourning") << mourning << QStringList{"--mourning", "2027"} << first;
    QTest::newRow("--received and --not-mourning")
        << mourning << QStringList{"--received", "2026", "--not-mourning", "2027"} << QString();
}

// `list` prints the records every condition holds for; none is no failure.
void TestExchangeCommand::listFindsRecords() {
    QFETCH(QStringList, mark);
    QFETCH(QStringList, options);
    QFETCH(QString, output);
    const QString book = path(QStringLiteral("list.dat"));
    writeBytes(
        book,
        cp932(QStringLiteral(
            "\"山田 太郎\",\"東京都千代田区\",\"丸の内1\",\"100-0005\",\"\",\"0\",\"\"\r\n"
            "\"佐藤 花子\",\"大阪府大阪市北区\",\"梅田1\",\"530-0001\",\"\",\"0\",\"\"\r\n")));
    {
        BookDocument document;
        QVERIFY(document.load(book).ok());
        document.setRecordData(0, {{QStringLiteral("reading"), QStringLiteral("やまだ たろう")}});
        document.setRecordData(1, {{QStringLiteral("tags"), QJsonArray{QStringLiteral("仕事")}}});
        QVERIFY(document.save().ok());
    }
    if (!mark.isEmpty()) {
        // Only the companion changes.
        const QByteArray before = readBytes(book);
        QString errors;
        QCOMPARE(run(QStringList{"mark", book} + mark, &errors), 0);
        QCOMPARE(errors, QString());
        QCOMPARE(readBytes(book), before);
    }
    QProcess process;
    process.start(builtProgram(), QStringList{"list", book} + options);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), output);
}

void TestExchangeCommand::markStatuses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("no mark") << QStringList{"mark", "book.dat", "--records", "1"} << 2
                             << QStringLiteral("usage");
    QTest::newRow("no records") << QStringList{"mark", "book.dat", "--sent", "2027"} << 2
                                << QStringLiteral("usage");
    QTest::newRow("not a year") << QStringList{"mark", "book.dat", "--records", "1", "--sent", "27"}
                                << 2 << QStringLiteral("--sent");
    QTest::newRow("no such record")
        << QStringList{"mark", "book.dat", "--records", "4", "--mourning", "2027"} << 2
        << QStringLiteral("--records");
    QTest::newRow("no such book") << QStringList{"mark", "none.dat", "--records",
                                                 "1",    "--sent",   "2027"}
                                  << 1 << QStringLiteral("none.dat");
    QTest::newRow("list: not a year") << QStringList{"list", "book.dat", "--not-mourning", "next"}
                                      << 2 << QStringLiteral("--not-mourning");
}

// What mark and list say when they cannot do what is asked; nothing is written.
void TestExchangeCommand::markStatuses() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    writeBytes(path(QStringLiteral("book.dat")), cp932(book(3)));
    for (QString &argument : arguments)
        if (argument.endsWith(QLatin1String(".dat")))
            argument = path(argument);
    QString errors;
    QCOMPARE(run(arguments, &errors), status);
    QVERIFY2(errors.contains(says), qPrintable(errors));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"book.dat"});
}

QTEST_MAIN(TestExchangeCommand)

void TestExchangeCommand::ownExportIsNoBook_data() {
    QTest::addColumn<int>("years"); // of marks: 2 gives 21 columns, three books' worth
    QTest::addColumn<QStringList>("command");
    for (int years = 0; years <= 3; ++years)
        for (const QStringList &command :
             {QStringList{"list", "@"},
              QStringList{"mark", "@", "--records", "1", "--sent", "2027"},
              QStringList{"print-pdf", "@", "out.pdf"},
              QStringList{"import", "in.vcf", "@", "--append"}})
            QTest::addRow("%d years, %s", years, qPrintable(command.first())) << years << command;
}

// The program's own export is another program's CSV for every command that
// reads a book: refused, named, and left as it was.
void TestExchangeCommand::ownExportIsNoBook() {
    QFETCH(int, years);
    QFETCH(QStringList, command);
    writeBytes(path("book.dat"), cp932(book(40)));
    {
        BookDocument document;
        QVERIFY(document.load(path("book.dat")).ok());
        for (int row = 0; row < 40; ++row)
            for (int y = 0; y < years; ++y)
                document.setRecordData(
                    row, withMark(document.recordData(row), 2025 + y, YearMark::Sent, true));
        QVERIFY(document.save().ok());
    }
    QCOMPARE(run({"export", path("book.dat"), path("export.csv")}), 0);
    writeBytes(path("in.vcf"),
               card(QStringLiteral("一人目"), QStringLiteral("千代田1-1")).toUtf8());
    const QByteArray before = readBytes(path("export.csv"));
    for (QString &argument : command)
        argument = argument == u'@'          ? path("export.csv")
                   : argument.contains(u'.') ? path(argument)
                                             : argument;
    QString errors;
    QCOMPARE(run(command, &errors), 1);
    QVERIFY2(errors.contains(QStringLiteral("ほかのプログラムの CSV ファイルです")) &&
                 errors.contains(path("export.csv")),
             qPrintable(errors));
    QCOMPARE(readBytes(path("export.csv")), before);
    QVERIFY(!QFile::exists(path("export.csv.nvl")));
    QVERIFY(!QFile::exists(path("out.pdf")));
}

#include "tst_exchangecommand.moc"

// A 2 GiB file named .vcf without a line break is refused after its first
// megabyte; a kept line of 20 MB is passed over; a 64 MB quoted-printable
// note passes with its contact.
void TestExchangeCommand::contactFilesReadInBoundedMemory() {
    const QString huge = path(QStringLiteral("huge.vcf"));
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(2) << 30));
    }
    QByteArray note = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:長い人\r\nFN:" + QByteArray(20 << 20, 'x') +
                      "\r\nADR;HOME:;;1-1;港区;東京都;108-0075;\r\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE:";
    const QByteArray line = QByteArray("=41").repeated(25) + "=\r\n";
    note += line.repeated((64 << 20) / line.size()) + "=41\r\nEND:VCARD\r\n";
    writeBytes(path(QStringLiteral("note.vcf")), note);
    // The 2 GiB file in a few megabytes (sanitizers or not); the note's
    // memory is bench_import's to measure.
    struct Case {
        QString file;
        int status;
        bool bounded;
    };
    for (const Case &each :
         {Case{huge, 1, true}, Case{path(QStringLiteral("note.vcf")), 0, false}}) {
        const QString book = each.file + QStringLiteral(".dat");
        QProcess process;
        process.start(QStringLiteral("/usr/bin/time"),
                      {"-f", "%M", "-o", path(QStringLiteral("resident")), program(), "import",
                       each.file, book});
        QVERIFY(process.waitForFinished(60000));
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(process.exitCode() == each.status, qPrintable(errors));
        const qint64 residentKb =
            readBytes(path(QStringLiteral("resident"))).trimmed().toLongLong();
        QVERIFY2(!each.bounded || residentKb < 100 * 1024, qPrintable(QString::number(residentKb)));
    }
    QVERIFY(
        readBytes(path(QStringLiteral("note.vcf.dat"))).contains(cp932(QStringLiteral("長い人"))));
}

// Inside a folder whose name is not UTF-8, a relative name would be acted
// on under another: every command refuses it up front, naming the folder.
void TestExchangeCommand::folderNameNotText() {
    writeBytes(path(QStringLiteral("in.vcf")),
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:甲\r\nADR:;;1-1;港区;東京都;108-0075;\r\n"
               "END:VCARD\r\n");
    for (const QString &command : {QStringLiteral("\"$0\" import ../in.vcf book.dat"),
                                   QStringLiteral("\"$0\" list book.dat")}) {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(QStringLiteral("/bin/sh"),
                      {"-c",
                       QStringLiteral("mkdir -p \"$(printf 'bad\\377')\" && "
                                      "cd \"$(printf 'bad\\377')\" && exec ") +
                           command,
                       program()});
        QVERIFY(process.waitForFinished(30000));
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(process.exitCode() == 1 && errors.contains(QStringLiteral("UTF-8")),
                 qPrintable(errors));
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"in.vcf"});
}

// A field holding CR, LF or CRLF (as another program may write a book):
// exported as \\n, which python's vobject reads back as the break, and
// listed on one line.
void TestExchangeCommand::lineBreaksInFields() {
    const QString book = path(QStringLiteral("breaks.dat"));
    writeBytes(book, cp932(QStringLiteral("\"改行 さん\",\"東京都港区\",\"1-1\\r2-2\\r\\n3-3\\n4\","
                                          "\"108-0075\",\"\",\"0\",\"\"\r\n"))
                         .replace("\\r", "\r")
                         .replace("\\n", "\n"));
    const QString vcf = path(QStringLiteral("breaks.vcf"));
    QCOMPARE(run({"export", book, vcf}), 0);
    QCOMPARE(vobjectSays("card = next(vobject.readComponents(open(sys.argv[1], "
                         "encoding='utf-8').read())); print(repr(card.adr.value.street))",
                         vcf),
             QStringLiteral("'1-1\\n2-2\\n3-3\\n4'"));
    QProcess list;
    list.start(program(), {"list", book});
    QVERIFY(list.waitForFinished(30000));
    QCOMPARE(list.readAllStandardOutput().count('\n'), 1);
}

// The exported vCard as two readers this program did not write read it:
// python's vobject the whole file, khard each card in a folder of its own
// (it keeps contacts by UID). Every card is there, named as in the book.
void TestExchangeCommand::exportReadByOtherReaders() {
    const QString book = path(QStringLiteral("readers.dat"));
    QString text;
    for (int i = 1; i <= 5; ++i)
        text += QStringLiteral(
                    "\"宛名%1 さん\",\"東京都港区\",\"%1-1\",\"108-0075\",\"\",\"0\",\"\"\r\n")
                    .arg(i);
    writeBytes(book, cp932(text));
    const QString vcf = path(QStringLiteral("readers.vcf"));
    QCOMPARE(run({"export", book, vcf}), 0);
    QCOMPARE(vobjectSays("print(len([c.fn.value for c in vobject.readComponents("
                         "open(sys.argv[1], encoding='utf-8').read())]))",
                         vcf),
             QStringLiteral("5"));
    if (QStandardPaths::findExecutable(QStringLiteral("khard")).isEmpty())
        NVL_SKIP_UNLESS_CI("khard is not installed");
    QDir folder(path(QStringLiteral("vdir")));
    QVERIFY(folder.mkpath(QStringLiteral(".")));
    int n = 0;
    const QByteArray all = readBytes(vcf);
    for (qsizetype at = all.indexOf("BEGIN:VCARD"); at >= 0;) {
        const qsizetype end = all.indexOf("END:VCARD", at) + 11;
        writeBytes(folder.filePath(QStringLiteral("%1.vcf").arg(++n)), all.mid(at, end - at));
        at = all.indexOf("BEGIN:VCARD", end);
    }
    writeBytes(
        path(QStringLiteral("khard.conf")),
        QStringLiteral("[addressbooks]\n[[book]]\npath = %1/\n").arg(folder.path()).toUtf8());
    QProcess khard;
    khard.start(QStringLiteral("khard"),
                {"-c", path(QStringLiteral("khard.conf")), "list", "--parsable"});
    QVERIFY(khard.waitForFinished(30000));
    const QString listed = QString::fromUtf8(khard.readAllStandardOutput());
    QCOMPARE(listed.count(u'\n'), 5);
    for (int i = 1; i <= 5; ++i)
        QVERIFY2(listed.contains(QStringLiteral("宛名%1").arg(i)), qPrintable(listed));
}

// Columns the program cannot guess are named on the command line: by the
// field's name and the column's header or number.
void TestExchangeCommand::mapFromTheCommandLine() {
    const QString csv = path(QStringLiteral("odd.csv"));
    writeBytes(csv,
               QStringLiteral("Who,Zip,Pref,Rest\r\n山田 太郎,1000001,東京都千代田区,千代田1-1\r\n")
                   .toUtf8());
    const QString book = path(QStringLiteral("odd.dat"));
    QString errors;
    QCOMPARE(run({"import", csv, book}, &errors), 1);
    QCOMPARE(run({"import", csv, book, "--map", "宛名=Who"}, &errors), 1);
    QVERIFY2(errors.contains(QStringLiteral("郵便番号")), qPrintable(errors)); // the fields listed
    QCOMPARE(run({"import", csv, book, "--map", "氏名=Who", "--map", "郵便番号=2", "--map",
                  "住所１=pref", "--map", "住所２=Rest"},
                 &errors),
             0);
    QVERIFY(readBytes(book).contains(
        cp932(QStringLiteral("\"山田 太郎\",\"東京都千代田区\",\"千代田1-1\",\"100-0001\""))));
}

// Honorifics beyond the six (各位, ちゃん, 御一同様) print as written, once;
// the book's field keeps 様's index, which other programs read, and the
// word goes back out through both exports.
void TestExchangeCommand::honorificWordsPrintedAsWritten() {
    const QString csv = path(QStringLiteral("words.csv"));
    writeBytes(csv, QStringLiteral("氏名,郵便番号,住所1,住所2,敬称\r\n"
                                   "一の会,100-0001,東京都千代田区,千代田1-1,各位\r\n"
                                   "二 花子,100-0001,東京都千代田区,千代田1-2,ちゃん\r\n"
                                   "三 家,100-0001,東京都千代田区,千代田1-3,御一同様\r\n")
                        .toUtf8());
    const QString book = path(QStringLiteral("words.dat"));
    QCOMPARE(run({"import", csv, book}), 0);
    const QString bytes = QString::fromUtf8(readBytes(book));
    QCOMPARE(bytes.count(QStringLiteral("\"0\",\"\"")), 3);
    const QString pdf = path(QStringLiteral("words.pdf"));
    QCOMPARE(run({"print-pdf", book, pdf}), 0);
    const QString text = pdfDrawnText(pdf);
    for (const QString &word :
         {QStringLiteral("各位"), QStringLiteral("ちゃん"), QStringLiteral("御一同様")})
        QVERIFY2(text.contains(word) && !text.contains(word + QStringLiteral("様")) &&
                     !text.contains(word + QStringLiteral(" 様")),
                 qPrintable(text));
    QCOMPARE(text.count(u'様'), 1); // 御一同様's own
    const QString vcf = path(QStringLiteral("words.vcf"));
    QCOMPARE(run({"export", book, vcf}), 0);
    QVERIFY(readBytes(vcf).contains(QStringLiteral("X-NVL-HONORIFIC:各位").toUtf8()));
    const QString out = path(QStringLiteral("words-out.csv"));
    QCOMPARE(run({"export", book, out}), 0);
    QVERIFY(readBytes(out).contains(QStringLiteral("\"ちゃん\"").toUtf8()));
}
