// Every command that reads a book, run as its own process over a book whose
// companion cannot be read, in each way a companion can be damaged: it says
// so naming the file, refuses what would store in it or choose by it, and
// changes nothing it is not for.
#include "buildpaths.h"
#include "fakeplatform.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <sys/stat.h>

using namespace nvl::test;

namespace {

const QString Book =
    QStringLiteral("\"山田 太郎\",\"東京都千代田区\",\"1-1\",\"100-0001\",\"\",\"0\","
                   "\"\"\r\n\"佐藤 花子\",\"東京都港区\",\"2-2\",\"108-0075\","
                   "\"\",\"0\",\"\"\r\n");

QByteArray companionWith(const std::function<void(QJsonObject &entry, QJsonObject &root)> &spoil) {
    QJsonObject entry{
        {"name", "山田 太郎"},
        {"postalCode", "100-0001"},
        {"address1", "東京都千代田区"},
        {"position", 0},
        {"data", QJsonObject{{"history", QJsonObject{{"2026", QJsonArray{"sent"}}}}}}};
    QJsonObject root{{"format", "nvl-hagaki companion"}, {"version", 1}};
    spoil(entry, root);
    root.insert("generations", QJsonArray{QJsonObject{{"bookSha256", QString(64, u'0')},
                                                      {"entries", QJsonArray{entry}}}});
    return QJsonDocument(root).toJson();
}

} // namespace

class TestDamagedCompanion : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyCommand_data();
    void everyCommand();
    void manyGenerationsStillRead();

private:
    QTemporaryDir m_dir;
};

void TestDamagedCompanion::initTestCase() {
    writeBytes(m_dir.filePath(QStringLiteral("in.vcf")),
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:鈴木 一郎\r\nADR;TYPE=HOME:;;3-3;中野区;東京都;"
               "164-0001;\r\nX-NVL-RENMEI:花子\\;様\r\nEND:VCARD\r\n");
    writeBytes(m_dir.filePath(QStringLiteral("plain.vcf")),
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:高橋 恵\r\nADR;TYPE=HOME:;;4-4;中野区;東京都;"
               "164-0001;\r\nEND:VCARD\r\n");
}

// Each kind of damage, as the companion's path is made.
void TestDamagedCompanion::everyCommand_data() {
    QTest::addColumn<QString>("damage");
    for (const char *damage :
         {"truncated", "random bytes", "fifo", "folder", "link to a system file",
          "link to a device", "180 MB", "3 GiB sparse", "deep nesting", "version 2",
          "negative position", "wrong types"})
        QTest::newRow(damage) << QString::fromLatin1(damage);
}

void TestDamagedCompanion::everyCommand() {
    QFETCH(QString, damage);
    const QString folder = m_dir.filePath(damage);
    QVERIFY(QDir().mkpath(folder));
    const QString book = folder + QStringLiteral("/book.dat");
    const QString companion = book + QStringLiteral(".nvl");
    writeBytes(book, cp932(Book));
    const QByteArray valid = companionWith([](QJsonObject &, QJsonObject &) {});
    if (damage == QLatin1String("truncated"))
        writeBytes(companion, valid.left(valid.size() / 2));
    else if (damage == QLatin1String("random bytes"))
        writeBytes(companion, QByteArray::fromHex("8f3a00ffe1c2d3b4a5968778695a4b3c"));
    else if (damage == QLatin1String("fifo"))
        QCOMPARE(mkfifo(companion.toLocal8Bit().constData(), 0600), 0);
    else if (damage == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(companion));
    else if (damage == QLatin1String("link to a system file"))
        QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), companion));
    else if (damage == QLatin1String("link to a device"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), companion));
    else if (damage == QLatin1String("180 MB"))
        writeBytes(companion, valid + QByteArray(180 << 20, ' ') + "x");
    else if (damage == QLatin1String("3 GiB sparse")) {
        QFile file(companion);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qint64(3) << 30));
    } else if (damage == QLatin1String("deep nesting"))
        writeBytes(companion, QByteArray(100000, '[') + QByteArray(100000, ']'));
    else if (damage == QLatin1String("version 2"))
        writeBytes(companion, companionWith([](QJsonObject &, QJsonObject &root) {
                       root.insert("version", 2);
                   }));
    else if (damage == QLatin1String("negative position"))
        writeBytes(companion, companionWith([](QJsonObject &entry, QJsonObject &) {
                       entry.insert("position", -5);
                   }));
    else if (damage == QLatin1String("wrong types"))
        writeBytes(companion, companionWith([](QJsonObject &entry, QJsonObject &) {
                       entry.insert("name", 12);
                       entry.insert("data", QJsonArray{1, 2});
                   }));
    const QByteArray bookBefore = readBytes(book);
    const QFileInfo companionBefore(companion);

    struct Run {
        QStringList arguments;
        int status;
        bool bookChanges;
    };
    const QString pdf = folder + QStringLiteral("/out.pdf");
    const QString csv = folder + QStringLiteral("/out.csv");
    const QList<Run> runs{
        {{"list", book}, 0, false},
        {{"list", book, "--sent", "2026"}, 1, false},
        {{"list", book, "--tag", "家族"}, 1, false},
        {{"print-pdf", book, pdf, "--not-sent", "2026"}, 1, false},
        {{"print-pdf", book, pdf}, 0, false},
        {{"export", book, csv}, 0, false},
        {{"mark", book, "--records", "1", "--sent", "2026"}, 1, false},
        {{"sync", book, "http://127.0.0.1:9/ab/"}, 1, false},
        {{"import", m_dir.filePath(QStringLiteral("in.vcf")), book, "--append"}, 1, false},
        {{"import", m_dir.filePath(QStringLiteral("plain.vcf")), book, "--append"}, 0, true},
    };
    for (const Run &run : runs) {
        QProcess process;
        process.start(builtProgram(), run.arguments);
        QVERIFY(process.waitForFinished(60000));
        const QString said = QString::fromUtf8(process.readAllStandardError());
        const QString what = run.arguments.join(u' ') + QStringLiteral(": ") + said;
        QVERIFY2(process.exitCode() == run.status, qPrintable(what));
        QVERIFY2(said.contains(companion), qPrintable(what));
        if (!run.bookChanges)
            QVERIFY2(readBytes(book) == bookBefore, qPrintable(what));
        const QFileInfo now(companion);
        QVERIFY2(now.size() == companionBefore.size() &&
                     now.lastModified() == companionBefore.lastModified() &&
                     now.isDir() == companionBefore.isDir() &&
                     now.isSymLink() == companionBefore.isSymLink(),
                 qPrintable(what));
    }
    QVERIFY(readBytes(book).contains(cp932(QStringLiteral("高橋 恵"))));
}

// 5,000 generations are more than the program writes, not damage: the
// first two are read, the marks they hold choose, a new mark is stored.
void TestDamagedCompanion::manyGenerationsStillRead() {
    const QString book = m_dir.filePath(QStringLiteral("generations.dat"));
    writeBytes(book, cp932(Book));
    QJsonObject root =
        QJsonDocument::fromJson(companionWith([](QJsonObject &, QJsonObject &) {})).object();
    QJsonArray generations;
    for (int i = 0; i < 5000; ++i)
        generations.append(root.value("generations").toArray().first());
    root.insert("generations", generations);
    writeBytes(book + QStringLiteral(".nvl"), QJsonDocument(root).toJson());
    // Said in full when it fails: the program's status and its errors.
    const auto run = [](const QStringList &arguments) {
        QProcess process;
        process.start(builtProgram(), arguments);
        const bool ended = process.waitForFinished(60000);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        return std::pair{out, QStringLiteral("ended %1, status %2, %3")
                                  .arg(ended)
                                  .arg(process.exitCode())
                                  .arg(QString::fromUtf8(process.readAllStandardError()))};
    };
    const auto listed = [&run, &book](qsizetype lines) {
        const auto [out, how] = run({"list", book, "--sent", "2026"});
        QVERIFY2(out.count(u'\n') == lines, qPrintable(out + u'\n' + how));
    };
    listed(1);
    const auto [out, how] = run({"mark", book, "--records", "2", "--sent", "2026"});
    QVERIFY2(how.startsWith(QStringLiteral("ended 1, status 0")), qPrintable(how));
    listed(2);
}

QTEST_GUILESS_MAIN(TestDamagedCompanion)
#include "tst_damagedcompanion.moc"
