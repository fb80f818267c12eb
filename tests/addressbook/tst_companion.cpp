// The companion file beside a book: written in the same save, read back by
// the generation that matches the book or else by fingerprints, kept safe
// when damaged or changed by another program, and never touching the
// book's own bytes.
#include "bookdocument.h"
#include "fakeplatform.h"

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

#include "tst_companion.moc"
