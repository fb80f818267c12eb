// The companion file beside a book: written in the same save, read back by
// the generation that matches the book or else by fingerprints, kept safe
// when damaged or changed by another program, and never touching the
// book's own bytes.
#include "bookdocument.h"
#include "fakeplatform.h"
#include "recordextras.h"
#include "recordsearch.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

AddressRecord person(const QString &name, const QString &code = QStringLiteral("100-0001")) {
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    record.setField(AddressRecord::PostalCode, code);
    record.setField(AddressRecord::Address1, QStringLiteral("東京都千代田区") + name);
    record.setField(AddressRecord::Honorific, QStringLiteral("0"));
    return record;
}

QJsonObject joint(const QString &names) {
    return {{QStringLiteral("joint"), QJsonArray{names}}};
}

// The data each record carries, by name, as "name=joint" in book order.
QStringList carried(const BookDocument &document) {
    QStringList list;
    for (int row = 0; row < document.recordCount(); ++row) {
        const QJsonArray names = document.recordData(row).value(QStringLiteral("joint")).toArray();
        list.append(document.record(row + 1).field(AddressRecord::Name) + u'=' +
                    names.first().toString());
    }
    return list;
}

QStringList unmatched(const BookDocument &document) {
    QStringList list;
    for (const CompanionEntry &entry : document.unmatchedEntries())
        list.append(entry.fingerprint.name + u'=' +
                    entry.data.value(QStringLiteral("joint")).toArray().first().toString());
    return list;
}

} // namespace

class TestCompanion : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void savedBesideTheBook();
    void editedElsewhere();
    void generationMatchingTheBook();
    void damagedCompanion();
    void changedByAnotherProgram();
    void followsEditsInMemory();
    void addressCorrectedElsewhere_data();
    void addressCorrectedElsewhere();
    void todaysCompanionKeptAsWritten();
    void newerBuildsKeysKept();
    void joinedHonorificsParted();
    void longestNamesKeepTheirCompanion();
    void extrasThroughTheCompanion_data();
    void extrasThroughTheCompanion();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // A book of 甲 乙 丙 丁, 乙 and 丁 with data, saved.
    void saveFour(BookDocument &document, const QString &file) {
        QVERIFY(document.setRecords({person(QStringLiteral("甲")), person(QStringLiteral("乙")),
                                     person(QStringLiteral("丙")), person(QStringLiteral("丁"))}));
        document.setRecordData(1, joint(QStringLiteral("乙子")));
        document.setRecordData(3, joint(QStringLiteral("丁子")));
        QVERIFY(document.saveAs(file).ok());
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCompanion::savedBesideTheBook() {
    // Nothing to keep: no companion, and the book's bytes as ever.
    const QString plain = path(QStringLiteral("plain.dat"));
    BookDocument without;
    QVERIFY(without.setRecords({person(QStringLiteral("甲")), person(QStringLiteral("乙")),
                                person(QStringLiteral("丙")), person(QStringLiteral("丁"))}));
    QVERIFY(without.saveAs(plain).ok());
    QVERIFY(!QFile::exists(plain + QStringLiteral(".nvl")));

    // Reached through a link: beside the file it names, and read back there.
    QVERIFY(QDir().mkdir(path(QStringLiteral("real"))));
    const QString target = path(QStringLiteral("real/年賀状.dat"));
    writeBytes(target, QByteArray());
    const QString link = path(QStringLiteral("年賀状.dat"));
    QVERIFY(QFile::link(target, link));
    BookDocument document;
    saveFour(document, link);
    QVERIFY(QFile::exists(target + QStringLiteral(".nvl")));
    QVERIFY(!QFile::exists(link + QStringLiteral(".nvl")));
    QCOMPARE(readBytes(target), readBytes(plain));

    BookDocument reopened;
    QVERIFY(reopened.load(link).ok());
    QCOMPARE(carried(reopened), QStringList({"甲=", "乙=乙子", "丙=", "丁=丁子"}));
    QVERIFY(reopened.companionProblem().isEmpty());

    // 名前をつけて保存: the companion goes with the book.
    const QString copy = path(QStringLiteral("写し.dat"));
    QVERIFY(reopened.saveAs(copy).ok());
    BookDocument again;
    QVERIFY(again.load(copy).ok());
    QCOMPARE(carried(again), carried(reopened));
}

void TestCompanion::editedElsewhere() {
    const QString file = path(QStringLiteral("book.dat"));
    {
        BookDocument document;
        saveFour(document, file);
    }
    // Another program reorders the book, renames 乙 and deletes 甲.
    AddressBook edited;
    edited.records = {person(QStringLiteral("丁")), person(QStringLiteral("乙山")),
                      person(QStringLiteral("丙"))};
    QVERIFY(writeBookFile(file, edited).ok);
    BookDocument document;
    QVERIFY(document.load(file).ok());
    QCOMPARE(carried(document), QStringList({"丁=丁子", "乙山=", "丙="}));
    QCOMPARE(unmatched(document), QStringList({"乙=乙子"}));

    // Kept through a save, until the user attaches it.
    document.setRecordData(2, joint(QStringLiteral("丙子")));
    QVERIFY(document.save().ok());
    BookDocument reopened;
    QVERIFY(reopened.load(file).ok());
    QCOMPARE(unmatched(reopened), QStringList({"乙=乙子"}));
    QVERIFY(reopened.attachEntry(0, 1));
    QCOMPARE(carried(reopened), QStringList({"丁=丁子", "乙山=乙子", "丙=丙子"}));
    QVERIFY(reopened.unmatchedEntries().isEmpty());
    QVERIFY(reopened.save().ok());
    BookDocument last;
    QVERIFY(last.load(file).ok());
    QCOMPARE(carried(last), carried(reopened));
    QVERIFY(last.discardEntry(0) == false);
}

void TestCompanion::generationMatchingTheBook() {
    // Two records alike: only the generation written for these bytes knows
    // which of them had the data.
    const QString file = path(QStringLiteral("book.dat"));
    BookDocument document;
    QVERIFY(document.setRecords({person(QStringLiteral("同名")), person(QStringLiteral("同名"))}));
    document.setRecordData(1, joint(QStringLiteral("一回目")));
    QVERIFY(document.saveAs(file).ok());
    const QByteArray firstBook = readBytes(file);
    QVERIFY(document.moveRecord(1, 0));
    document.setRecordData(0, joint(QStringLiteral("二回目")));
    QVERIFY(document.setRecords(document.book().records + QList{person(QStringLiteral("三"))}));
    QVERIFY(document.save().ok());
    const QJsonObject root =
        QJsonDocument::fromJson(readBytes(file + QStringLiteral(".nvl"))).object();
    QCOMPARE(root.value(QStringLiteral("generations")).toArray().size(), 2);

    // The book's save failed after the companion's: the older generation.
    writeBytes(file, firstBook);
    BookDocument failed;
    QVERIFY(failed.load(file).ok());
    QCOMPARE(carried(failed), QStringList({"同名=", "同名=一回目"}));
    QVERIFY(failed.unmatchedEntries().isEmpty());

    // The book saved by a program that knows no companion: fingerprints,
    // the nearest row among records alike.
    AddressBook other;
    other.records = {person(QStringLiteral("三")), person(QStringLiteral("同名")),
                     person(QStringLiteral("同名"))};
    QVERIFY(writeBookFile(file, other).ok);
    BookDocument fallback;
    QVERIFY(fallback.load(file).ok());
    QCOMPARE(carried(fallback), QStringList({"三=", "同名=二回目", "同名="}));
}

void TestCompanion::damagedCompanion() {
    const QString file = path(QStringLiteral("book.dat"));
    {
        BookDocument document;
        saveFour(document, file);
    }
    const QString companion = file + QStringLiteral(".nvl");
    const QByteArray damaged = "{\"format\": \"nvl-hagaki companion\", \"generations\": [{";
    writeBytes(companion, damaged);
    BookDocument document;
    QVERIFY(document.load(file).ok());
    QCOMPARE(document.recordCount(), 4);
    QVERIFY2(document.companionProblem().contains(companion),
             qPrintable(document.companionProblem()));

    // Not replaced until the user agrees.
    document.setRecordData(0, joint(QStringLiteral("甲子")));
    QStringList asked;
    bool agree = false;
    document.replaceDamagedCompanion = [&](const QString &named) {
        asked.append(named);
        return agree;
    };
    QVERIFY(document.save().ok());
    QCOMPARE(readBytes(companion), damaged);
    document.setRecordData(0, joint(QStringLiteral("甲男")));
    agree = true;
    QVERIFY(document.save().ok());
    QCOMPARE(asked, QStringList({companion, companion}));
    BookDocument reopened;
    QVERIFY(reopened.load(file).ok());
    QCOMPARE(carried(reopened).first(), QStringLiteral("甲=甲男"));
}

void TestCompanion::changedByAnotherProgram() {
    const QString file = path(QStringLiteral("book.dat"));
    BookDocument window;
    saveFour(window, file);
    // A command marks a record while the window has the book open.
    BookDocument command;
    QVERIFY(command.load(file).ok());
    command.setRecordData(0, joint(QStringLiteral("甲子")));
    QVERIFY(command.save().ok());
    const QByteArray marked = readBytes(file + QStringLiteral(".nvl"));

    window.setRecordData(2, joint(QStringLiteral("丙子")));
    const BookDocument::Saved refused = window.save();
    QCOMPARE(refused.outcome, BookDocument::Saved::Outcome::Failed);
    QVERIFY2(refused.error.contains(file + QStringLiteral(".nvl")), qPrintable(refused.error));
    QStringList asked;
    QCOMPARE(window
                 .save([&](const QString &changed, QString *) {
                     asked.append(changed);
                     return BookDocument::ConflictAnswer::Cancel;
                 })
                 .outcome,
             BookDocument::Saved::Outcome::Cancelled);
    QCOMPARE(asked, QStringList({file + QStringLiteral(".nvl")}));
    QCOMPARE(readBytes(file + QStringLiteral(".nvl")), marked);
}

void TestCompanion::followsEditsInMemory() {
    BookDocument document;
    saveFour(document, path(QStringLiteral("book.dat")));
    // Inserted, moved, edited in place (as the card editor hands back its
    // list), deleted: the data stays with its record.
    QVERIFY(document.insertRecord(0, person(QStringLiteral("新"))));
    QVERIFY(document.moveRecord(4, 1));
    QList<AddressRecord> records = document.book().records; // 新 丁 甲 乙 丙
    records[3] = person(QStringLiteral("乙川"));
    records.removeAt(4);
    QVERIFY(document.setRecords(records));
    QCOMPARE(carried(document), QStringList({"新=", "丁=丁子", "甲=", "乙川=乙子"}));
    QVERIFY(document.removeRecord(1));
    QCOMPARE(carried(document), QStringList({"新=", "甲=", "乙川=乙子"}));
    QVERIFY(document.unmatchedEntries().isEmpty());
}

QTEST_APPLESS_MAIN(TestCompanion)
void TestCompanion::addressCorrectedElsewhere_data() {
    QTest::addColumn<int>("row");      // where 乙 is afterwards
    QTest::addColumn<QString>("name"); // 乙's fields afterwards
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("reattached"); // else left for 付属データの整理
    QTest::newRow("address corrected") << 1 << "乙"
                                       << "100-0001" << true;
    QTest::newRow("address and postal code") << 1 << "乙"
                                             << "530-0001" << false;
    QTest::newRow("renamed too") << 1 << "乙野"
                                 << "100-0001" << false;
    QTest::newRow("address corrected, moved") << 2 << "乙"
                                              << "100-0001" << false;
}

// Another program corrects 乙's address (and perhaps more): its data goes
// back to it only while its row, name and postal code are as they were.
void TestCompanion::addressCorrectedElsewhere() {
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QString, code);
    QFETCH(bool, reattached);
    const QString file = path(QStringLiteral("book.dat"));
    {
        BookDocument document;
        saveFour(document, file);
    }
    AddressBook edited;
    edited.records = {person(QStringLiteral("甲")), person(QStringLiteral("丙")),
                      person(QStringLiteral("丁"))};
    AddressRecord moved = person(name, code);
    moved.setField(AddressRecord::Address1, QStringLiteral("大阪府大阪市北区梅田1"));
    edited.records.insert(row, moved);
    QVERIFY(writeBookFile(file, edited).ok);
    BookDocument document;
    QVERIFY(document.load(file).ok());
    QCOMPARE(document.reattachedRows(), reattached ? QList<int>{row} : QList<int>{});
    QCOMPARE(document.recordData(row).isEmpty(), !reattached);
    QCOMPARE(unmatched(document),
             reattached ? QStringList() : QStringList{QStringLiteral("乙=乙子")});
}

namespace {

// Each record's data and the book's settings as the newest generation of
// the companion beside `book` holds them.
QJsonObject newestData(const QString &book) {
    const QJsonObject root =
        QJsonDocument::fromJson(readBytes(book + QStringLiteral(".nvl"))).object();
    QJsonObject held{{QStringLiteral("(settings)"), root.value(QStringLiteral("settings"))}};
    const QJsonArray entries = root.value(QStringLiteral("generations"))
                                   .toArray()
                                   .first()
                                   .toObject()
                                   .value(QStringLiteral("entries"))
                                   .toArray();
    for (const QJsonValue entry : entries)
        held.insert(entry.toObject().value(QStringLiteral("name")).toString(),
                    entry.toObject().value(QStringLiteral("data")));
    return held;
}

// A save that writes the companion anew, leaving the data as it was.
void saveAgain(BookDocument &document) {
    const QJsonObject data = document.recordData(1);
    QVERIFY(document
                .commit([&] {
                    document.setRecordData(1, withTags(data, {QStringLiteral("一時")}));
                    return true;
                })
                .ok());
    QVERIFY(document
                .commit([&] {
                    document.setRecordData(1, data);
                    return true;
                })
                .ok());
}

} // namespace

// A book and companion this program wrote before its extras had a type of
// their own (joint names, reading, tags, marks, sync links and settings):
// read and written back, every record's data and the settings are the same.
void TestCompanion::todaysCompanionKeptAsWritten() {
    const QString book = path(QStringLiteral("today.dat"));
    for (const QString suffix : {"", ".nvl"})
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/companion/today.dat" + suffix), book + suffix));
    const QJsonObject before = newestData(book);
    QCOMPARE(before.size(), 4);
    BookDocument document;
    QVERIFY(document.load(book).ok());
    for (int row = 0; row < document.recordCount(); ++row)
        QCOMPARE(RecordExtras::fromJson(document.recordData(row)).toJson(),
                 document.recordData(row));
    saveAgain(document);
    QCOMPARE(newestData(book), before);
}

// What a newer build wrote (a key beside the companion's own, a record
// field, a detail of the sync link, a setting) stays through edits of the
// fields around it.
void TestCompanion::newerBuildsKeysKept() {
    const QString book = path(QStringLiteral("today.dat"));
    QVERIFY(QFile::copy(QFINDTESTDATA("../data/companion/today.dat"), book));
    QJsonObject root =
        QJsonDocument::fromJson(readBytes(QFINDTESTDATA("../data/companion/today.dat.nvl")))
            .object();
    root.insert(QStringLiteral("future"), QJsonObject{{QStringLiteral("a"), 1}});
    QJsonObject settings = root.value(QStringLiteral("settings")).toObject();
    settings.insert(QStringLiteral("printer"), QStringLiteral("年賀"));
    root.insert(QStringLiteral("settings"), settings);
    QJsonArray generations = root.value(QStringLiteral("generations")).toArray();
    QJsonObject newest = generations.first().toObject();
    QJsonArray entries = newest.value(QStringLiteral("entries")).toArray();
    QJsonObject first = entries.first().toObject();
    QJsonObject data = first.value(QStringLiteral("data")).toObject();
    data.insert(QStringLiteral("honorificWords"), QJsonArray{QStringLiteral("殿")});
    QJsonObject sync = data.value(QStringLiteral("sync")).toObject();
    sync.insert(QStringLiteral("source"), QStringLiteral("server"));
    data.insert(QStringLiteral("sync"), sync);
    first.insert(QStringLiteral("data"), data);
    entries.replace(0, first);
    newest.insert(QStringLiteral("entries"), entries);
    generations.replace(0, newest);
    root.insert(QStringLiteral("generations"), generations);
    writeBytes(book + QStringLiteral(".nvl"), QJsonDocument(root).toJson());

    BookDocument document;
    QVERIFY(document.load(book).ok());
    QVERIFY(document.companionProblem().isEmpty());
    QVERIFY(document
                .commit([&] {
                    RecordExtras edited = RecordExtras::fromJson(document.recordData(0));
                    edited.reading = QStringLiteral("ヤマダ");
                    edited.sync.etag = QStringLiteral("\"new\"");
                    document.setRecordData(0, edited.toJson());
                    BookExtras place = BookExtras::fromJson(document.bookSettings());
                    place.syncCollection = QStringLiteral("https://x/ab/");
                    place.syncUser = QStringLiteral("bob");
                    document.setBookSettings(place.toJson());
                    return true;
                })
                .ok());
    const QJsonObject written =
        QJsonDocument::fromJson(readBytes(book + QStringLiteral(".nvl"))).object();
    QCOMPARE(written.value(QStringLiteral("future")).toObject().value(QStringLiteral("a")).toInt(),
             1);
    QCOMPARE(written.value(QStringLiteral("settings")).toObject().value(QStringLiteral("printer")),
             QJsonValue(QStringLiteral("年賀")));
    const QJsonObject saved = newestData(book).value(QStringLiteral("山田 太郎")).toObject();
    QCOMPARE(saved.value(QStringLiteral("honorificWords")),
             QJsonValue(QJsonArray{QStringLiteral("殿")}));
    QCOMPARE(saved.value(QStringLiteral("sync")).toObject().value(QStringLiteral("source")),
             QJsonValue(QStringLiteral("server")));
    QCOMPARE(saved.value(QStringLiteral("sync")).toObject().value(QStringLiteral("etag")),
             QJsonValue(QStringLiteral("\"new\"")));
    QCOMPARE(RecordExtras::fromJson(saved).reading, QStringLiteral("ヤマダ"));
}

void TestCompanion::extrasThroughTheCompanion_data() {
    QTest::addColumn<QString>("field");
    for (const char *field : {"jointNames", "reading", "tags", "history", "sync"})
        QTest::newRow(field) << QString::fromLatin1(field);
}

// Each typed field set on a record comes back from the companion file as
// it was set, and alone: no other field appears.
void TestCompanion::extrasThroughTheCompanion() {
    QFETCH(QString, field);
    RecordExtras extras;
    if (field == QLatin1String("jointNames"))
        extras.jointNames = {{QStringLiteral("次郎"), QStringLiteral("くん")}};
    else if (field == QLatin1String("reading"))
        extras.reading = QStringLiteral("コウ");
    else if (field == QLatin1String("tags"))
        extras.tags = {QStringLiteral("家族"), QStringLiteral("友人")};
    else if (field == QLatin1String("history"))
        extras.history = {{2026, int(YearMark::Sent) | int(YearMark::Mourning)}};
    else
        extras.sync = {QStringLiteral("u"),
                       QStringLiteral("/ab/u.vcf"),
                       QStringLiteral("\"1\""),
                       "abc",
                       true,
                       "def"};
    const QString file = path(QStringLiteral("book.dat"));
    {
        BookDocument document;
        QVERIFY(document.setRecords({person(QStringLiteral("甲"))}));
        document.setRecordData(0, extras.toJson());
        QVERIFY(document.saveAs(file).ok());
    }
    BookDocument reread;
    QVERIFY(reread.load(file).ok());
    const QJsonObject data = reread.recordData(0);
    QCOMPARE(data.keys(), QStringList{field});
    const RecordExtras back = RecordExtras::fromJson(data);
    QCOMPARE(back.jointNames, extras.jointNames);
    QCOMPARE(back.reading, extras.reading);
    QCOMPARE(back.tags, extras.tags);
    QCOMPARE(back.history, extras.history);
    QVERIFY(back.sync == extras.sync);
}

#include "tst_companion.moc"

// 連名 that a server's escaping made into "恵子;様" with no honorific are
// parted again when read, said once, and kept so by the next save; a name
// that merely holds a ';' before no honorific word stays as it is.
void TestCompanion::joinedHonorificsParted() {
    const QString book = path(QStringLiteral("joined.dat"));
    BookDocument document;
    QVERIFY(document.insertRecord(0, person(QStringLiteral("山田 太郎"))));
    const auto joint = [](const QString &name, const QString &honorific) {
        return QJsonObject{{QStringLiteral("name"), name},
                           {QStringLiteral("honorific"), honorific}};
    };
    document.setRecordData(
        0, {{QStringLiteral("jointNames"), QJsonArray{joint(QStringLiteral("恵子;様"), {}),
                                                      joint(QStringLiteral("健太;くん"), {}),
                                                      joint(QStringLiteral("A;B"), {})}}});
    QVERIFY(document.saveAs(book).ok());
    QVERIFY(document.load(book).ok());
    QCOMPARE(document.repairedRows(), QList<int>{0});
    QCOMPARE(jointNamesText(jointNamesOf(document.recordData(0))),
             QStringLiteral("恵子 様・健太 くん・A;B"));
    QVERIFY(document.save().ok());
    QVERIFY(document.load(book).ok());
    QVERIFY(document.repairedRows().isEmpty());
    QCOMPARE(jointNamesOf(document.recordData(0)).first(),
             (JointName{QStringLiteral("恵子"), QStringLiteral("様")}));
}

// A book name of 253 bytes leaves no room for ".nvl": its companion takes a
// short name of its own, and the 連名 come back with the book.
void TestCompanion::longestNamesKeepTheirCompanion() {
    const QString book = path(QString(83, u'あ') + QStringLiteral(".dat"));
    QCOMPARE(QFile::encodeName(QFileInfo(book).fileName()).size(), 253);
    BookDocument document;
    QVERIFY(document.insertRecord(0, person(QStringLiteral("山田 太郎"))));
    document.setRecordData(0, withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")}}));
    QVERIFY2(document.saveAs(book).ok(), qPrintable(document.saveAs(book).error));
    QVERIFY(QFileInfo(document.companionPath()).fileName().startsWith(QStringLiteral(".nvl-")));
    BookDocument again;
    QVERIFY(again.load(book).ok());
    QVERIFY(again.companionProblem().isEmpty());
    QCOMPARE(jointNamesText(jointNamesOf(again.recordData(0))), QStringLiteral("花子 様"));
}
