// The list sheet, the reorder window, the version box and help.
#include "aboutbox.h"
#include "application.h"
#include "bookfile.h"
#include "cardeditor.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "listsheet.h"
#include "mainwindow.h"
#include "qtservices.h"
#include "recordsearch.h"
#include "widgetlookup.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

QString bookText(const QStringList &names, const QStringList &honorifics = {}) {
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i)
        text +=
            QStringLiteral("\"%1\",\"住所%2\",\"番地%2\",\"100-000%2\",\"c%2\",\"%3\",\"棟%2\"\r\n")
                .arg(names.at(i))
                .arg(i + 1)
                .arg(honorifics.value(i, QStringLiteral("0")));
    return text;
}

} // namespace

class TestSheets : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void gridFormat();
    void emptyBookShowsHeaderOnly();
    void honorificColumn_data();
    void honorificColumn();
    void fullVariantCaptionAndColumns();
    void fullVariantWithoutFile();
    void headerDrag_data();
    void headerDrag();
    void doubleClickOpensCard();
    void nameStaysInViewAcross();
    void closingRebuildsMain();
    void editorListCommandShowsSheet();

    void moves_data();
    void moves();
    void keystrokeChecks_data();
    void keystrokeChecks();
    void executeRefusals_data();
    void executeRefusals();
    void reorderLayoutHoldsStill();
    void reorderAsksBeforeOverwritingAnotherProgram();
    void reorderMissingOrBrokenFile_data();
    void reorderMissingOrBrokenFile();

    void versionBox();
    void helpPages_data();
    void helpPages();

private:
    MainWindow *openBook(const QStringList &names, const QStringList &honorifics = {});
    QTableView *sheetGrid();
    FormWindow *openReorder(int records);
    template <typename T> T *reorderCtl(const char *name) {
        return child<T>(m_desk->context.windows.existing(WindowId::Reorder), name);
    }
    void type(QLineEdit *edit, const QString &text);

    std::unique_ptr<FakeDesktop> m_desk;
    MainWindow *m_main = nullptr;
    QString m_book;
};

void TestSheets::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    m_book = m_desk->file(QStringLiteral("book.dat"));
}

void TestSheets::cleanup() {
    m_desk.reset();
}

MainWindow *TestSheets::openBook(const QStringList &names, const QStringList &honorifics) {
    writeBytes(m_book, cp932(bookText(names, honorifics)));
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    m_main->showForm();
    m_desk->fileDialogs.openAnswers = {m_book};
    child<QAbstractButton>(m_main, "cmdOpen")->click();
    return m_main;
}

QTableView *TestSheets::sheetGrid() {
    FormWindow *sheet = m_desk->context.windows.existing(WindowId::ListSheet);
    return sheet ? child<QTableView>(sheet, "fg1") : nullptr;
}

void TestSheets::gridFormat() {
    const QList<GridColumn> full = parseGridFormat(ListSheet::FullFormat);
    QCOMPARE(full.size(), 8);
    QCOMPARE(full.at(0).header, QStringLiteral("No "));
    QVERIFY(full.at(0).alignment & Qt::AlignHCenter);
    QCOMPARE(full.at(1).header, QStringLiteral("宛名") + QString(18, u' '));
    QCOMPARE(full.at(3).header, QStringLiteral("〒    　　　"));
    QCOMPARE(full.at(7).header, QStringLiteral("コード") + QString(9, QChar(0x3000)));
    const QList<GridColumn> brief = parseGridFormat(ListSheet::ShortFormat);
    QCOMPARE(brief.size(), 7);
    QCOMPARE(brief.at(2).header, QStringLiteral("敬称  "));
    QCOMPARE(brief.at(5).header, QStringLiteral("住所２  　　 "));
}

void TestSheets::emptyBookShowsHeaderOnly() {
    openBook({});
    child<QAction>(m_main, "mnuSheet")->trigger();
    QTableView *grid = sheetGrid();
    QVERIFY(grid && grid->isVisible());
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(grid->model()->columnCount(), 13); // the sheet's seven, 連名, フリガナ, タグ, marks
    QVERIFY(!m_main->isFormLoaded());
    QCOMPARE(m_desk->context.windows.existing(WindowId::ListSheet)->windowTitle(),
             QStringLiteral("住所一覧"));
}

void TestSheets::honorificColumn_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("1") << "1" << QStringLiteral("殿");
    QTest::newRow("9 as stored") << "9" << QStringLiteral("9");
    QTest::newRow("-1 as stored") << "-1" << QStringLiteral("-1");
    QTest::newRow("2.5 as stored") << "2.5" << QStringLiteral("2.5");
}

void TestSheets::honorificColumn() {
    QFETCH(QString, field);
    QFETCH(QString, shown);
    openBook({"甲", "乙"}, {"0", field});
    child<QAction>(m_main, "mnuSheet")->trigger();
    QTableView *grid = sheetGrid();
    QCOMPARE(cellText(grid, 0, 2), QStringLiteral("様"));
    QCOMPARE(cellText(grid, 1, 2), shown);
    QCOMPARE(cellText(grid, 1, 0), QStringLiteral("2"));
    QCOMPARE(cellText(grid, 1, 1), QStringLiteral("乙"));
    QCOMPARE(cellText(grid, 1, 6), QStringLiteral("c2")); // short variant: code
}

void TestSheets::fullVariantCaptionAndColumns() {
    openBook({"甲"});
    m_desk->context.book.setRecordData(
        0,
        withTags(withReading(withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")},
                                                 {QStringLiteral("健太"), QStringLiteral("くん")}}),
                             QStringLiteral("こう")),
                 {QStringLiteral("家族"), QStringLiteral("友人")}));
    m_desk->context.today = [] {
        return QDate(2026, 10, 1);
    };
    m_desk->context.book.setRecordData(
        0, withMark(withMark(withMark(m_desk->context.book.recordData(0), 2027, YearMark::Received,
                                      true),
                             2027, YearMark::Mourning, true),
                    2026, YearMark::Sent, true));
    // The main window's list shows the 連名 after the name.
    QCOMPARE(rowTexts(child<QListView>(m_main, "lstSet1")).value(0),
             QStringLiteral("甲・花子・健太"));
    // And so does the list chosen for printing.
    child<QListView>(m_main, "lstSet1")->selectAll();
    child<QAbstractButton>(m_main, "cmdAdd")->click();
    QCOMPARE(rowTexts(child<QListView>(m_main, "lstSet2")), QStringList{"甲・花子・健太"});
    child<QAbstractButton>(m_main, "cmdView")->click();
    FormWindow *sheet = m_desk->context.windows.existing(WindowId::ListSheet);
    QCOMPARE(sheet->windowTitle(), m_book + QStringLiteral("住所一覧　"));
    QTableView *grid = sheetGrid();
    QCOMPARE(grid->model()->columnCount(), 14);
    QCOMPARE(cellText(grid, 0, 6), QStringLiteral("棟1"));
    QCOMPARE(cellText(grid, 0, 7), QStringLiteral("c1"));
    QCOMPARE(cellText(grid, 0, 8), QStringLiteral("花子 様・健太 くん"));
    QCOMPARE(grid->model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("連名"));
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("宛名"));
    QCOMPARE(cellText(grid, 0, 9), QStringLiteral("こう"));
    QCOMPARE(cellText(grid, 0, 10), QStringLiteral("家族; 友人"));
    // This card year's marks, each in its column.
    QCOMPARE(grid->model()->headerData(12, Qt::Horizontal).toString(), QStringLiteral("受取2027"));
    QCOMPARE(cellText(grid, 0, 11), QString());
    QCOMPARE(cellText(grid, 0, 12), QStringLiteral("○"));
    QCOMPARE(cellText(grid, 0, 13), QStringLiteral("○"));
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 17); // 250 twips
    // Each header's trailing blanks widen its column.
    QVERIFY(grid->columnWidth(4) > grid->columnWidth(2) * 4);
    QVERIFY(grid->columnWidth(1) >
            grid->fontMetrics().horizontalAdvance(QStringLiteral("宛名")) * 3);
    // The year columns show their whole headers.
    for (int column = 11; column <= 13; ++column)
        QVERIFY2(grid->columnWidth(column) >
                     grid->horizontalHeader()->fontMetrics().horizontalAdvance(
                         grid->model()->headerData(column, Qt::Horizontal).toString()),
                 qPrintable(grid->model()->headerData(column, Qt::Horizontal).toString()));
}

void TestSheets::fullVariantWithoutFile() {
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    m_main->showForm();
    // A book chosen in the dialog but no current file: enable by hand.
    child<QWidget>(m_main, "cmdView")->setEnabled(true);
    child<QAbstractButton>(m_main, "cmdView")->click();
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("表示するデータがありません。")});
    QVERIFY(m_main->isFormLoaded());
}

void TestSheets::headerDrag_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("postalCodeAt");
    QTest::newRow("3 onto 5") << 3 << 5 << 5;
    QTest::newRow("from 0") << 0 << 5 << 3;
    QTest::newRow("onto 0") << 3 << 0 << 3;
}

void TestSheets::headerDrag() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, postalCodeAt);
    openBook({"甲"});
    child<QAbstractButton>(m_main, "cmdView")->click();
    QTableView *grid = sheetGrid();
    QHeaderView *header = grid->horizontalHeader();
    const auto centre = [header](int visual) {
        const int logical = header->logicalIndex(visual);
        return QPoint(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                      header->height() / 2);
    };
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, centre(from));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, centre(to));
    QCOMPARE(header->visualIndex(3), postalCodeAt);
    QCOMPARE(header->visualIndex(0), 0);
}

// Scrolled across and down, the number and the name stay at the left, on
// the rows shown; a click there chooses the row; the columns kept follow a drag.
void TestSheets::nameStaysInViewAcross() {
    QStringList names;
    for (int i = 1; i <= 60; ++i)
        names.append(QStringLiteral("名%1").arg(i));
    openBook(names);
    child<QAction>(m_main, "mnuSheet")->trigger();
    FormWindow *sheet = m_desk->context.windows.existing(WindowId::ListSheet);
    QTableView *grid = sheetGrid();
    auto *kept = child<QTableView>(sheet, "fg1Frozen");
    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
    grid->verticalScrollBar()->setValue(20);
    QVERIFY(grid->columnViewportPosition(1) < 0);
    QVERIFY(kept->isVisible());
    QCOMPARE(kept->x(), grid->viewport()->x());
    QCOMPARE(kept->columnAt(kept->viewport()->width() - 1), 1);
    QCOMPARE(kept->rowAt(1), grid->rowAt(1));
    QVERIFY(kept->rowAt(1) > 0);
    const int row = kept->rowAt(kept->viewport()->height() / 2);
    const QRect name = kept->visualRect(kept->model()->index(row, 1));
    QTest::mouseClick(kept->viewport(), Qt::LeftButton, {}, name.center());
    QCOMPARE(qobject_cast<ListSheet *>(sheet)->chosenNumber(), row + 1);
    QCOMPARE(grid->currentIndex().row(), row);

    grid->horizontalScrollBar()->setValue(0);
    QHeaderView *header = grid->horizontalHeader();
    const auto centre = [](QHeaderView *on, int logical) {
        return QPoint(on->sectionViewportPosition(logical) + on->sectionSize(logical) / 2,
                      on->height() / 2);
    };
    QTest::mousePress(kept->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      centre(kept->horizontalHeader(), 1));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, centre(header, 4));
    QCOMPARE(header->visualIndex(1), 4);
    QVERIFY(kept->isColumnHidden(1));
    QVERIFY(!kept->isColumnHidden(header->logicalIndex(1)));
}

void TestSheets::doubleClickOpensCard() {
    QStringList names;
    for (int i = 1; i <= 9; ++i)
        names.append(QStringLiteral("名%1").arg(i));
    openBook(names);
    child<QAction>(m_main, "mnuSheet")->trigger();
    QTableView *grid = sheetGrid();
    const QRect cell = cellRect(grid, 6, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    FormWindow *sheet = m_desk->context.windows.existing(WindowId::ListSheet);
    QCOMPARE(qobject_cast<ListSheet *>(sheet)->chosenNumber(), 7);
    auto *editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    QVERIFY(editor->isVisible());
    QCOMPARE(child<QLabel>(editor, "lblRec")->text(), QStringLiteral("7/9"));
    QCOMPARE(child<QLineEdit>(editor, "txtName")->text(), QStringLiteral("名7"));
    QVERIFY(sheet->isVisible());
}

void TestSheets::closingRebuildsMain() {
    openBook({"甲", "乙"});
    child<QAction>(m_main, "mnuSheet")->trigger();
    // Another program's write is not what the main window shows: it shows
    // the one book, without reading the file again.
    writeBytes(m_book, cp932(bookText({"甲", "乙", "丙"})));
    m_desk->context.windows.existing(WindowId::ListSheet)->close();
    QVERIFY(m_main->isVisible());
    QCOMPARE(rowTexts(child<QListView>(m_main, "lstSet1")), (QStringList{"甲", "乙"}));
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
}

void TestSheets::editorListCommandShowsSheet() {
    openBook({"甲", "乙"});
    child<QAbstractButton>(m_main, "cmdCard")->click();
    auto *editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    child<QLineEdit>(editor, "txtName")->setText(QStringLiteral("甲改"));
    m_desk->messages.answers = {MessageAnswer::Yes};
    child<QAbstractButton>(editor, "Command3")->click();
    QVERIFY(!editor->isFormLoaded());
    QTableView *grid = sheetGrid();
    QVERIFY(grid && grid->isVisible());
    QCOMPARE(grid->model()->columnCount(), 13);
    QCOMPARE(cellText(grid, 0, 1), QStringLiteral("甲改"));
    QVERIFY(!m_main->isFormLoaded());
}

FormWindow *TestSheets::openReorder(int records) {
    QStringList names;
    for (int i = 0; i < records; ++i)
        names.append(QString(QChar(u'A' + i % 26)) + (i >= 26 ? QString::number(i) : QString()));
    openBook(names);
    child<QAbstractButton>(m_main, "cmdReorder")->click();
    return m_desk->context.windows.existing(WindowId::Reorder);
}

void TestSheets::type(QLineEdit *edit, const QString &text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void TestSheets::moves_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("order");
    QTest::newRow("4 to 2") << 4 << "2"
                            << "ADBCE";
    QTest::newRow("2 to 4") << 2 << "4"
                            << "ACDBE";
    QTest::newRow("5 to 1") << 5 << "1"
                            << "EABCD";
    QTest::newRow("1 to 5") << 1 << "5"
                            << "BCDEA";
    QTest::newRow("leading zero, same place") << 3 << "03"
                                              << "ABCDE";
}

void TestSheets::moves() {
    QFETCH(int, source);
    QFETCH(QString, destination);
    QFETCH(QString, order);
    FormWindow *reorder = openReorder(5);
    QVERIFY(reorder && reorder->isVisible());
    QCOMPARE(reorder->windowTitle(), QStringLiteral("Order Set"));
    auto *list = reorderCtl<QListView>("lstName");
    QCOMPARE(rowTexts(list).at(1), QStringLiteral("2  B"));
    QCOMPARE(reorderCtl<QLineEdit>("txt4")->text(), QStringLiteral("5"));
    const QByteArray before = readBytes(m_book);
    QVERIFY(!reorderCtl<QLineEdit>("txt2")->isVisibleTo(reorder));
    emit list->clicked(list->model()->index(source - 1, 0));
    QVERIFY(reorderCtl<QLineEdit>("txt2")->isVisibleTo(reorder));
    QCOMPARE(reorderCtl<QLabel>("lblName")->text(), rowTexts(list).at(source - 1));
    type(reorderCtl<QLineEdit>("txt2"), destination);
    reorderCtl<QAbstractButton>("Command1")->click();
    QVERIFY(m_desk->messages.shown.isEmpty());

    // The file holds the same record lines, in the new order.
    const BookRead read = readBookFile(m_book);
    QString names;
    for (const AddressRecord &r : read.book.records)
        names += r.field(AddressRecord::Name);
    QCOMPARE(names, order);
    QList<QByteArray> oldLines = before.split('\n');
    QList<QByteArray> newLines = readBytes(m_book).split('\n');
    std::sort(oldLines.begin(), oldLines.end());
    std::sort(newLines.begin(), newLines.end());
    QCOMPARE(newLines, oldLines);
    QCOMPARE(rowTexts(list).at(0), QStringLiteral("1  ") + order.at(0));
    QVERIFY(!reorderCtl<QLineEdit>("txt2")->isVisibleTo(reorder));
    QCOMPARE(reorderCtl<QLabel>("lblName")->text(), QString());

    reorderCtl<QAbstractButton>("Command2")->click();
    QVERIFY(m_main->isVisible());
    QCOMPARE(cellText(child<QListView>(m_main, "lstSet1"), 0), QString(order.at(0)));
}

void TestSheets::reorderAsksBeforeOverwritingAnotherProgram() {
    openReorder(3);
    // Another program adds a record after the window read the book.
    writeBookFile(m_book, [] {
        AddressBook theirs;
        for (const char *name : {"A", "B", "C", "D"}) {
            AddressRecord record;
            record.setField(AddressRecord::Name, QLatin1String(name));
            theirs.records.append(record);
        }
        return theirs;
    }());
    const QByteArray theirs = readBytes(m_book);
    auto *list = reorderCtl<QListView>("lstName");
    emit list->clicked(list->model()->index(0, 0));
    type(reorderCtl<QLineEdit>("txt2"), QStringLiteral("3"));
    m_desk->messages.answers = {MessageAnswer::Cancel};
    reorderCtl<QAbstractButton>("Command1")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QCOMPARE(m_desk->messages.shown.first().buttons, MessageButtons::YesNoCancel);
    QCOMPARE(readBytes(m_book), theirs);
    QCOMPARE(rowTexts(list).at(0), QStringLiteral("1  A"));
}

void TestSheets::keystrokeChecks_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("source 1 of 15 typing 12")
        << 15 << 1 << "12" << QStringLiteral("移動元と移動先が同じです！");
    QTest::newRow("source 3 of 9 typing 10")
        << 9 << 3 << "10" << QStringLiteral("指定に誤りがあります。");
    QTest::newRow("count accepted") << 9 << 3 << "9" << QString();
}

void TestSheets::keystrokeChecks() {
    QFETCH(int, records);
    QFETCH(int, source);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    openReorder(records);
    auto *list = reorderCtl<QListView>("lstName");
    emit list->clicked(list->model()->index(source - 1, 0));
    type(reorderCtl<QLineEdit>("txt2"), typed);
    if (message.isEmpty()) {
        QVERIFY(m_desk->messages.shown.isEmpty());
        QCOMPARE(reorderCtl<QLineEdit>("txt2")->text(), typed);
    } else {
        QCOMPARE(m_desk->messages.texts().first(), message);
        QCOMPARE(m_desk->messages.shown.first().buttons, MessageButtons::Ok);
    }
}

void TestSheets::executeRefusals_data() {
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing chosen") << false << "" << QStringLiteral("移動先が指定されていません");
    QTest::newRow("zero") << true << "0" << QStringLiteral("指定に誤りがあります。");
    QTest::newRow("below 1") << true << "-2" << QStringLiteral("指定に誤りがあります。");
    QTest::newRow("not whole") << true << "2.5" << QStringLiteral("指定に誤りがあります。");
}

void TestSheets::executeRefusals() {
    QFETCH(bool, choose);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    openReorder(5);
    const QByteArray before = readBytes(m_book);
    if (choose) {
        auto *list = reorderCtl<QListView>("lstName");
        emit list->clicked(list->model()->index(3, 0));
        reorderCtl<QLineEdit>("txt2")->setText(typed);
    }
    reorderCtl<QAbstractButton>("Command1")->click();
    QCOMPARE(m_desk->messages.texts().last(), message);
    QCOMPARE(readBytes(m_book), before);
}

void TestSheets::reorderLayoutHoldsStill() {
    FormWindow *reorder = openReorder(5);
    // The two number boxes are named by their captions.
    for (const auto &[name, caption] :
         {std::pair{"txt3", "移動元の番号"}, std::pair{"txt4", "件数"}}) {
        QAccessibleInterface *box =
            QAccessible::queryAccessibleInterface(reorderCtl<QLineEdit>(name));
        QCOMPARE(box->text(QAccessible::Name), QString::fromUtf8(caption));
    }
    auto *run = reorderCtl<QWidget>("Command1");
    const QRect before = run->geometry();
    auto *list = reorderCtl<QListView>("lstName");
    emit list->clicked(list->model()->index(2, 0));
    QVERIFY(reorderCtl<QLineEdit>("txt2")->isVisibleTo(reorder));
    QCoreApplication::processEvents();
    QCOMPARE(run->geometry(), before);
}

void TestSheets::reorderMissingOrBrokenFile_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << false << QStringLiteral("指定ファイルがありません。");
    // Another program's book in its place: the window shows the book it
    // holds, and a move asks before it would write over the other one.
    QTest::newRow("replaced by 301 records")
        << true << QStringLiteral("ほかのプログラムに変更されています");
}

void TestSheets::reorderMissingOrBrokenFile() {
    QFETCH(bool, exists);
    QFETCH(QString, message);
    openBook({"A", "B"});
    QStringList many;
    for (int i = 0; i < 301; ++i)
        many.append(QStringLiteral("n%1").arg(i));
    const QByteArray broken = cp932(bookText(many));
    if (exists)
        writeBytes(m_book, broken);
    else
        QFile::remove(m_book);
    child<QAbstractButton>(m_main, "cmdReorder")->click();
    FormWindow *reorder = m_desk->context.windows.existing(WindowId::Reorder);
    QVERIFY(reorder->isVisible());
    QCOMPARE(rowCount(reorderCtl<QListView>("lstName")), exists ? 2 : 0);
    if (exists)
        emit reorderCtl<QListView>("lstName")->clicked(
            reorderCtl<QListView>("lstName")->model()->index(0, 0));
    reorderCtl<QLineEdit>("txt2")->setText(QStringLiteral("2"));
    reorderCtl<QLineEdit>("txt3")->setText(QStringLiteral("1"));
    reorderCtl<QLineEdit>("txt4")->setText(QStringLiteral("2"));
    m_desk->messages.answers = {MessageAnswer::Cancel};
    reorderCtl<QAbstractButton>("Command1")->click();
    QVERIFY2(m_desk->messages.texts().join(u'\n').contains(message),
             qPrintable(m_desk->messages.texts().join(u'\n')));
    QCOMPARE(QFile::exists(m_book), exists);
    if (exists)
        QCOMPARE(readBytes(m_book), broken);
}

void TestSheets::versionBox() {
    openBook({"A"});
    for (int round = 0; round < 2; ++round) {
        child<QAction>(m_main, "mnuVer")->trigger();
        FormWindow *about = m_desk->context.windows.existing(WindowId::About);
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowModality(), Qt::ApplicationModal);
        QCOMPARE(about->windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(child<QLabel>(about, "lblApplication")->text(),
                 QStringLiteral("ＮＶＬはがき宛名プリント "));
        QCOMPARE(child<QLabel>(about, "lblVer")->text(), QStringLiteral("Ver 2.0"));
        QCOMPARE(child<QLabel>(about, "lblHeading")->text(),
                 QStringLiteral(" ******   Orbek   *****        "));
        const QString notice = child<QLabel>(about, "lblCopyright")->text();
        QVERIFY(notice.startsWith(AboutBox::NoticePrefix + AboutBox::MakerNotice));
        QVERIFY(m_main->isVisible());
        child<QAbstractButton>(about, "cmdOK")->click();
        QVERIFY(!about->isFormLoaded());
    }
}

void TestSheets::helpPages_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    QTest::newRow("contents") << int(HelpCommand::Contents) << 0 << ":/help/contents.html";
    QTest::newRow("print window") << int(HelpCommand::Topic) << 8 << ":/help/context-8.html";
    QTest::newRow("font window") << int(HelpCommand::Topic) << 9 << ":/help/context-9.html";
    QTest::newRow("list sheet") << int(HelpCommand::Topic) << 12 << ":/help/context-12.html";
    QTest::newRow("card editor") << int(HelpCommand::Topic) << 26 << ":/help/context-26.html";
    QTest::newRow("unknown topic") << int(HelpCommand::Topic) << 77 << ":/help/contents.html";
}

void TestSheets::helpPages() {
    QFETCH(int, command);
    QFETCH(int, context);
    QFETCH(QString, page);
    QCOMPARE(helpPageFor(HelpCommand(command), context), page);
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(file.readAll()).contains(QStringLiteral("<h2>")));
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
