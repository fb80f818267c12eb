#include "listsheet.h"
#include "recordlistmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace nvl;

namespace {

AddressRecord person(const QString &name, const QString &honorific = QStringLiteral("0")) {
    AddressRecord entry;
    entry.setField(AddressRecord::Name, name);
    entry.setField(AddressRecord::PostalCode, QStringLiteral("100-0001"));
    entry.setField(AddressRecord::Honorific, honorific);
    entry.setField(AddressRecord::Address3, name + QStringLiteral("棟"));
    return entry;
}

QList<AddressRecord> people(const QStringList &names) {
    QList<AddressRecord> list;
    for (const QString &name : names)
        list.append(person(name));
    return list;
}

QStringList names(const RecordListModel &model) {
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.append(model.index(row).data().toString());
    return shown;
}

} // namespace

class TestRecordModels : public QObject {
    Q_OBJECT
private slots:
    void removeRows_data();
    void removeRows();
    void appendKeepsOrderAndWholeRecords();
    void bookTableColumns();
};

void TestRecordModels::removeRows_data() {
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("countSignals");

    QTest::newRow("adjacent, in order") << QList<int>{0, 1, 2} << QStringList{"d", "e"} << 1;
    QTest::newRow("any order") << QList<int>{4, 0, 2} << QStringList{"b", "d"} << 1;
    QTest::newRow("a row twice") << QList<int>{1, 1} << QStringList{"a", "c", "d", "e"} << 1;
    QTest::newRow("out of range ignored")
        << QList<int>{-1, 5, 3} << QStringList{"a", "b", "c", "e"} << 1;
    QTest::newRow("nothing") << QList<int>{} << QStringList{"a", "b", "c", "d", "e"} << 0;
}

void TestRecordModels::removeRows() {
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, left);
    QFETCH(int, countSignals);
    RecordListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRecords(people({"a", "b", "c", "d", "e"}));
    QSignalSpy counts(&model, &RecordListModel::countChanged);
    model.removeRowList(rows);
    QCOMPARE(names(model), left);
    QCOMPARE(counts.size(), countSignals);
    if (countSignals > 0)
        QCOMPARE(counts.last().at(0).toInt(), left.size());
}

void TestRecordModels::appendKeepsOrderAndWholeRecords() {
    RecordListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.append(people({"甲", "乙"}));
    model.append(people({"甲"}));
    QCOMPARE(names(model), QStringList({"甲", "乙", "甲"}));
    const auto entry = model.index(1).data(RecordListModel::RecordRole).value<AddressRecord>();
    QCOMPARE(entry, person(QStringLiteral("乙")));
    QCOMPARE(model.record(2).field(AddressRecord::Address3), QStringLiteral("甲棟"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.index(0).data().isValid());
}

void TestRecordModels::bookTableColumns() {
    BookDocument book;
    BookTableModel model;
    auto tester = std::make_unique<QAbstractItemModelTester>(
        &model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QList<GridColumn> columns = parseGridFormat(ListSheet::ShortFormat);
    const QList<int> fields = {AddressRecord::Name,       0,
                               AddressRecord::PostalCode, AddressRecord::Address1,
                               AddressRecord::Address2,   AddressRecord::Code};
    book.setRecords({person(QStringLiteral("甲"), QStringLiteral("2")),
                     person(QStringLiteral("乙"), QStringLiteral("9"))});
    model.setBook(&book, columns, fields);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 7);
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("2"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("甲"));
    // The honorific column shows the word; a value naming none, as stored.
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("御中"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("9"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("No"));
    QVERIFY(model.index(0, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
            Qt::AlignHCenter);
    // A view of the book: its moves, insertions and removals show at once,
    // renumbered. (The tester expects the rows after an insertion to keep
    // their data, which numbered rows cannot.)
    tester.reset();
    QSignalSpy numbered(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(book.moveRecord(1, 0));
    QCOMPARE(numbered.size(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("乙"));
    QVERIFY(book.insertRecord(1, person(QStringLiteral("丙"), QStringLiteral("0"))));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("3"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("様"));
    QVERIFY(book.removeRecord(0));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("丙"));
    book.clear();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_MAIN(TestRecordModels)
#include "tst_recordmodels.moc"
