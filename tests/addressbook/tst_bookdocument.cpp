// The open book without widgets: edits, the one save path, the stamp and
// the lock, also against a second process.
#include "bookdocument.h"
#include "fakeplatform.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

using namespace nvl;
using namespace nvl::test;

namespace {

AddressRecord named(const QString &name) {
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    record.setField(AddressRecord::Honorific, QStringLiteral("0"));
    return record;
}

QStringList names(const BookDocument &document) {
    QStringList list;
    for (const AddressRecord &record : document.book().records)
        list.append(record.field(AddressRecord::Name));
    return list;
}

AddressBook bookOf(const QStringList &list) {
    AddressBook book;
    for (const QString &name : list)
        book.records.append(named(name));
    return book;
}

// Child mode: holds the book's lock for half a second.
int holdLock(const QString &path) {
    BookDocument document;
    if (!document.lock(path, 0).ok)
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    QThread::msleep(500);
    return 0;
}

} // namespace

class TestBookDocument : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void edits_data();
    void edits();
    void savesOnlyChanges();
    void askedOnceBeforeUtf8();
    void changedOnDisk_data();
    void changedOnDisk();
    void refusesWhatItsReaderWouldRefuse_data();
    void refusesWhatItsReaderWouldRefuse();
    void oneLockForEveryNameOfTheBook();
    void longestNamesSaveAndLock();
    void commitUndoneWhenNotWritten();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeBook(const QString &name, const QStringList &list) {
        writeBookFile(path(name), bookOf(list));
        return path(name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBookDocument::edits_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("changed");
    // The reorder window's examples: card 4 to place 1, card 1 to place 4.
    QTest::newRow("move 4 to 1") << "move" << 3 << 0 << QStringList{"D", "A", "B", "C"} << true;
    QTest::newRow("move 1 to 4") << "move" << 0 << 3 << QStringList{"B", "C", "D", "A"} << true;
    QTest::newRow("move 2 to 3") << "move" << 1 << 2 << QStringList{"A", "C", "B", "D"} << true;
    QTest::newRow("move in place") << "move" << 2 << 2 << QStringList{"A", "B", "C", "D"} << false;
    QTest::newRow("move past the end")
        << "move" << 0 << 4 << QStringList{"A", "B", "C", "D"} << false;
    QTest::newRow("insert first") << "insert" << 0 << 0 << QStringList{"N", "A", "B", "C", "D"}
                                  << true;
    QTest::newRow("insert last") << "insert" << 4 << 0 << QStringList{"A", "B", "C", "D", "N"}
                                 << true;
    QTest::newRow("remove 2") << "remove" << 1 << 0 << QStringList{"A", "C", "D"} << true;
    QTest::newRow("set 3") << "set" << 2 << 0 << QStringList{"A", "B", "N", "D"} << true;
    QTest::newRow("set 3 to itself")
        << "same" << 2 << 0 << QStringList{"A", "B", "C", "D"} << false;
}

void TestBookDocument::edits() {
    QFETCH(QString, edit);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, after);
    QFETCH(bool, changed);
    BookDocument document;
    QVERIFY(document.load(writeBook(QStringLiteral("book.dat"), {"A", "B", "C", "D"})).ok());
    QVERIFY(!document.isModified());
    QSignalSpy moved(&document, &QAbstractItemModel::rowsMoved);
    if (edit == QLatin1String("move"))
        document.moveRecord(from, to);
    else if (edit == QLatin1String("insert"))
        QVERIFY(document.insertRecord(from, named(QStringLiteral("N"))));
    else if (edit == QLatin1String("remove"))
        QVERIFY(document.removeRecord(from));
    else if (edit == QLatin1String("set"))
        document.setRecord(from, named(QStringLiteral("N")));
    else
        document.setRecord(from, document.book().records.at(from));
    QCOMPARE(names(document), after);
    QCOMPARE(document.isModified(), changed);
    // Views follow the model: a move is announced as one.
    QCOMPARE(moved.size(), edit == QLatin1String("move") && changed ? 1 : 0);
    QCOMPARE(document.rowCount(), after.size());
    QCOMPARE(document.index(0, 0).data().toString(), after.first());
}

void TestBookDocument::savesOnlyChanges() {
    const QString book = writeBook(QStringLiteral("book.dat"), {"A", "B"});
    BookDocument document;
    QVERIFY(document.load(book).ok());
    // Unchanged: nothing is written, not even over a write-protected file.
    QFile::setPermissions(book, QFile::ReadOwner);
    QCOMPARE(document.save().outcome, BookDocument::Saved::Outcome::Unchanged);
    QFile::setPermissions(book, QFile::ReadOwner | QFile::WriteOwner);
    document.setRecord(1, named(QStringLiteral("C")));
    QSignalSpy modified(&document, &BookDocument::modifiedChanged);
    QCOMPARE(document.save().outcome, BookDocument::Saved::Outcome::Written);
    QCOMPARE(modified.size(), 1);
    QVERIFY(!document.isModified());
    QCOMPARE(readBookFile(book).book.records, document.book().records);
    QCOMPARE(document.stamp(), stampOf(book));
    // The full book cannot grow, and nothing half-appended stays.
    QList<AddressRecord> full(AddressBook::Capacity - 2, named(QStringLiteral("x")));
    QVERIFY(document.appendRecords(full));
    QVERIFY(!document.appendRecords({named(QStringLiteral("y"))}));
    QVERIFY(!document.insertRecord(0, named(QStringLiteral("y"))));
    QCOMPARE(document.recordCount(), AddressBook::Capacity);
}

// The first save that must write the book as UTF-8 asks, naming the
// characters CP932 lacks; no keeps the file as it was, yes writes it, and a
// book that is UTF-8 already is not asked about again.
void TestBookDocument::askedOnceBeforeUtf8() {
    const QString book = writeBook(QStringLiteral("book.dat"), {"A", "B"});
    const QByteArray before = readBytes(book);
    BookDocument document;
    QList<QStringList> asked;
    bool answer = false;
    document.approveUtf8 = [&](const QString &path, const QStringList &characters) {
        asked.append(QStringList{path} + characters);
        return answer;
    };
    QVERIFY(document.load(book).ok());
    document.setRecord(0, named(QStringLiteral("𠮷田 鷗外 𠮷")));
    QCOMPARE(document.save().outcome, BookDocument::Saved::Outcome::Cancelled);
    QCOMPARE(readBytes(book), before);
    answer = true;
    QCOMPARE(document.save().outcome, BookDocument::Saved::Outcome::Written);
    QVERIFY(readBytes(book).startsWith("\xEF\xBB\xBF"));
    document.setRecord(1, named(QStringLiteral("😀")));
    QCOMPARE(document.save().outcome, BookDocument::Saved::Outcome::Written);
    QCOMPARE(asked, (QList<QStringList>{{book, "𠮷", "鷗"}, {book, "𠮷", "鷗"}}));
    // Opened again, the UTF-8 book is not asked about either.
    BookDocument again;
    again.approveUtf8 = document.approveUtf8;
    QVERIFY(again.load(book).ok());
    again.setRecord(1, named(QStringLiteral("鷗")));
    QCOMPARE(again.save().outcome, BookDocument::Saved::Outcome::Written);
    QCOMPARE(asked.size(), 2);
}

void TestBookDocument::changedOnDisk_data() {
    QTest::addColumn<int>("answer"); // -1: no one to ask (the command line)
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("fileHolds");
    using A = BookDocument::ConflictAnswer;
    using O = BookDocument::Saved::Outcome;
    QTest::newRow("command line") << -1 << int(O::Failed) << "other";
    QTest::newRow("キャンセル") << int(A::Cancel) << int(O::Cancelled) << "other";
    QTest::newRow("上書き") << int(A::Overwrite) << int(O::Written) << "mine";
    QTest::newRow("別の名前で保存") << int(A::SaveElsewhere) << int(O::Written) << "other";
}

void TestBookDocument::changedOnDisk() {
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(QString, fileHolds);
    const QString book = writeBook(QStringLiteral("book.dat"), {"A"});
    BookDocument document;
    QVERIFY(document.load(book).ok());
    document.setRecord(0, named(QStringLiteral("mine")));
    writeBook(QStringLiteral("book.dat"), {"other"}); // another program's save
    const QString elsewhere = path(QStringLiteral("elsewhere.dat"));
    QStringList asked;
    BookDocument::ConflictHandler handler;
    if (answer >= 0)
        handler = [&](const QString &file, QString *other) {
            asked.append(file);
            *other = elsewhere;
            return static_cast<BookDocument::ConflictAnswer>(answer);
        };
    const BookDocument::Saved saved = document.save(handler);
    QCOMPARE(int(saved.outcome), outcome);
    const QString canonical = QFileInfo(book).canonicalFilePath();
    if (answer < 0)
        QVERIFY(saved.error.contains(canonical));
    else
        QCOMPARE(asked, QStringList{canonical});
    QCOMPARE(readBookFile(book).book.record(1).field(AddressRecord::Name), fileHolds);
    if (answer == int(BookDocument::ConflictAnswer::SaveElsewhere)) {
        QCOMPARE(readBookFile(elsewhere).book.record(1).field(AddressRecord::Name),
                 QStringLiteral("mine"));
        QCOMPARE(document.filePath(), QFileInfo(elsewhere).canonicalFilePath());
    }
}

void TestBookDocument::refusesWhatItsReaderWouldRefuse_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("fieldLength");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("300 records") << 300 << 10 << true;
    QTest::newRow("301 records") << 301 << 10 << false;
    // About 4 MiB of text: the reader's limit, in bytes as written.
    QTest::newRow("just under the size limit") << 1 << int(MaxTextFileBytes) - 40 << true;
    QTest::newRow("over the size limit") << 1 << int(MaxTextFileBytes) << false;
    QTest::newRow("300 long records over it") << 300 << int(MaxTextFileBytes / 300) << false;
}

void TestBookDocument::refusesWhatItsReaderWouldRefuse() {
    QFETCH(int, records);
    QFETCH(int, fieldLength);
    QFETCH(bool, accepted);
    AddressBook book;
    AddressRecord record = named(QStringLiteral("n"));
    record.setField(AddressRecord::Address3, QString(fieldLength, u'x'));
    book.records = QList<AddressRecord>(records, record);
    const QString file = path(QStringLiteral("book.dat"));
    QString error;
    const std::optional<QByteArray> bytes = BookDocument::bookBytes(book, file, &error);
    QCOMPARE(bytes.has_value(), accepted);
    if (!accepted) {
        QVERIFY(error.contains(file));
        return;
    }
    // What it accepts, its reader reads back whole.
    writeBytes(file, *bytes);
    const BookRead read = readBookFile(file);
    QVERIFY(read.ok());
    QCOMPARE(read.book.records, book.records);
}

void TestBookDocument::oneLockForEveryNameOfTheBook() {
    const QString book = writeBook(QStringLiteral("book.dat"), {"A"});
    const QString link = path(QStringLiteral("link.dat"));
    QVERIFY(QFile::link(book, link));
    BookDocument editing, second;
    QVERIFY(editing.lock(book, 0).ok);
    QVERIFY(editing.load(book).ok());
    const BookDocument::Locked refused = second.lock(link, 0);
    QVERIFY(!refused.ok);
    QVERIFY(refused.error.contains(QString::number(QCoreApplication::applicationPid())));
    // A save of the book it holds reuses its own lock.
    editing.setRecord(0, named(QStringLiteral("B")));
    QVERIFY(editing.save().ok());
    editing.unlock();
    QVERIFY(second.lock(link, 0).ok);
    second.unlock();

    // Another process holds it: a writer waits, and gets it once it is free.
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), link});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readAllStandardOutput(), QByteArray("locked\n"));
    QVERIFY(!second.lock(book, 0).ok);
    QVERIFY(second.load(book).ok());
    second.setRecord(0, named(QStringLiteral("C")));
    QVERIFY(second.lock(book, BookDocument::WriterWaitMs).ok);
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(holder.exitCode(), 0);
    QVERIFY(second.save().ok());
}

void TestBookDocument::longestNamesSaveAndLock() {
    // 255 bytes: as long as a file name may be.
    const QString name = QString(251, u'a') + QStringLiteral(".dat");
    const QString book = writeBook(name, {"A"});
    BookDocument document;
    const BookDocument::Locked locked = document.lock(book, 0);
    QVERIFY(locked.ok && locked.warning.isEmpty() && document.holdsLock());
    QVERIFY(document.load(book).ok());
    document.setRecord(0, named(QStringLiteral("B")));
    const BookDocument::Saved saved = document.save();
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QCOMPARE(readBookFile(book).book.record(1).field(AddressRecord::Name), QStringLiteral("B"));
}

void TestBookDocument::commitUndoneWhenNotWritten() {
    const QString book = writeBook(QStringLiteral("book.dat"), {"A", "B"});
    BookDocument document;
    QVERIFY(document.load(book).ok());
    // Another program wrote the file: the append is not written, nor kept.
    writeBook(QStringLiteral("book.dat"), {"X"});
    const BookDocument::Saved refused =
        document.commit([&] { return document.appendRecords({named(QStringLiteral("C"))}); });
    QCOMPARE(refused.outcome, BookDocument::Saved::Outcome::Failed);
    QCOMPARE(names(document), (QStringList{"A", "B"}));
    QVERIFY(!document.isModified());
    QCOMPARE(names(document).size(), document.rowCount());
}

int main(int argc, char *argv[]) {
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestBookDocument test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bookdocument.moc"
