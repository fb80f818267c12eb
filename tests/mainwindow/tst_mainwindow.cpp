#include "companionentries.h"
#include "fakeplatform.h"
#include "formwindow.h"
#include "jointnames.h"
#include "mainwindow.h"
#include "recordsearch.h"
#include "syncquestionsdialog.h"
#include "yearmarks.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

// Stands in for a window the main window hands over to.
class OtherWindow : public FormWindow {
public:
    using FormWindow::FormWindow;
    int loads = 0;

protected:
    void buildControls(QWidget *) override {}
    void afterLoad() override { ++loads; }
};

QByteArray bookBytes(const QStringList &names, bool finalLineEnd = true) {
    QString text;
    for (qsizetype i = 0; i < names.size(); ++i) {
        text +=
            QStringLiteral("\"%1\",\"住所%2\",\"番地 %2\",\"123-456%2\",\"c%2\",\"%3\",\"棟%2\"")
                .arg(names.at(i))
                .arg(i + 1)
                .arg(i % 6);
        if (finalLineEnd || i + 1 < names.size())
            text += QStringLiteral("\r\n");
    }
    return cp932(text);
}

// One field of every record of a list, in list order.
QStringList fieldTexts(const QList<AddressRecord> &records, int field) {
    QStringList texts;
    for (const AddressRecord &entry : records)
        texts.append(entry.field(field));
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startupNeverReopensLastFile();
    void startupWithBadSettings_data();
    void startupWithBadSettings();
    void openFillsBookAndSettings();
    void openTwiceShowsEachRecordOnce();
    void cancelledOpenEmptiesListsButKeepsBook();
    void openFailuresLeaveEverything_data();
    void openFailuresLeaveEverything();
    void oldFormatIsConvertedWithBackup();
    void sevenOldRecordsReadAsSixCurrent();
    void saveAsWritesCopy();
    void saveAsFailureIsReported();
    void newWritesBackOnlyInBookMode3_data();
    void newWritesBackOnlyInBookMode3();
    void handOverAndRebuild();
    void rebuildWithoutReadableFileShowsEmptyBook();
    void helpAndHomePage();
    void closeBoxBeforeHandOverEndsProgram();
    void printListSelection();
    void printListLimit();
    void syncSettingsKeptPerBook_data();
    void syncSettingsKeptPerBook();
    void syncQuestionsSettledAllOneWay();
    void searchAndTagFilterSelect();
    void companionEntriesAskBeforeReplacing_data();
    void companionEntriesAskBeforeReplacing();

private:
    MainWindow *start();
    void openFile(const QString &path);
    template <typename T> T *ctl(const char *name) { return child<T>(m_main, name); }
    void click(const char *name) { ctl<QAbstractButton>(name)->click(); }
    QString writeBook(const char *name, const QByteArray &bytes);

    std::unique_ptr<FakeDesktop> m_desk;
    MainWindow *m_main = nullptr;
    OtherWindow *m_editor = nullptr;
};

void TestMainWindow::init() {
    m_desk = std::make_unique<FakeDesktop>();
    m_editor = nullptr;
    m_desk->context.windows.setFactory(WindowId::Main,
                                       [](AppContext &c) { return new MainWindow(c); });
    m_desk->context.windows.setFactory(WindowId::CardEditor, [this](AppContext &c) {
        m_editor = new OtherWindow(c, WindowId::CardEditor);
        return m_editor;
    });
}

void TestMainWindow::cleanup() {
    m_desk.reset();
    m_main = nullptr;
}

MainWindow *TestMainWindow::start() {
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    m_main->showForm();
    return m_main;
}

void TestMainWindow::openFile(const QString &path) {
    m_desk->fileDialogs.openAnswers.push_back(path);
    click("cmdOpen");
}

QString TestMainWindow::writeBook(const char *name, const QByteArray &bytes) {
    const QString path = m_desk->file(QLatin1String(name));
    writeBytes(path, bytes);
    return path;
}

void TestMainWindow::startupNeverReopensLastFile() {
    const QString book = writeBook("last.dat", bookBytes({"甲", "乙"}));
    writeBytes(m_desk->file("Nuvel.ini"), cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(book)));
    start();
    QCOMPARE(m_main->windowTitle(), QStringLiteral("NVL  ﾊｶﾞｷ  Print"));
    QCOMPARE(rowCount(ctl<QListView>("lstSet1")), 0);
    QVERIFY(!ctl<QListView>("lstSet1")->isEnabled());
    for (const char *name : {"cmdAdd", "cmdDel", "cmdClear", "cmdPrint", "cmdSave", "cmdCard",
                             "cmdView", "cmdReorder"})
        QVERIFY2(!ctl<QWidget>(name)->isEnabled(), name);
    QVERIFY(ctl<QWidget>("cmdOpen")->isEnabled());
    QCOMPARE(m_desk->context.rememberedBook().currentFile, book);
    QCOMPARE(m_desk->context.rememberedBook().bookMode, QStringLiteral("3"));
    QCOMPARE(m_desk->context.book.origin(), BookDocument::Origin::None);
    QVERIFY(m_desk->context.state.endOnMainUnload);
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("0"));
}

void TestMainWindow::startupWithBadSettings_data() {
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("missing") << false << QByteArray();
    QTest::newRow("empty") << true << QByteArray();
    QTest::newRow("binary") << true << QByteArray("\0\xFF\x01", 3);
}

void TestMainWindow::startupWithBadSettings() {
    QFETCH(bool, present);
    QFETCH(QByteArray, bytes);
    if (present)
        writeBytes(m_desk->file("Nuvel.ini"), bytes);
    start();
    QCOMPARE(m_desk->context.rememberedBook().currentFile, QString());
    QCOMPARE(m_desk->context.rememberedBook().bookMode, QString());
    QVERIFY(m_desk->messages.shown.isEmpty());
}

void TestMainWindow::openFillsBookAndSettings() {
    const QString path = writeBook("three.dat", bookBytes({"山田", "佐藤", "鈴木"}));
    start();
    openFile(path);
    QCOMPARE(m_desk->fileDialogs.openRequests.size(), 1);
    QCOMPARE(m_desk->fileDialogs.openRequests.at(0).initialFolder, m_desk->folder());
    QCOMPARE(m_desk->fileDialogs.openRequests.at(0).filter,
             QStringLiteral("データファイル(*.dat)|*.dat|CSVファイル(*.csv)|*.csv"));
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"山田", "佐藤", "鈴木"}));
    QCOMPARE(fieldTexts(m_main->book().records, AddressRecord::Honorific),
             QStringList({"0", "1", "2"}));
    QCOMPARE(fieldTexts(m_main->book().records, AddressRecord::Address1).at(2),
             QStringLiteral("住所3"));
    QCOMPARE(fieldTexts(m_main->book().records, AddressRecord::Address3).at(1),
             QStringLiteral("棟2"));
    QCOMPARE(ctl<QListView>("lstSet1")->currentIndex().row(), 0);
    QCOMPARE(m_desk->context.book.filePath(), path);
    QCOMPARE(m_desk->context.rememberedBook().bookMode, QStringLiteral("3"));
    for (const char *name : {"cmdSave", "cmdCard", "cmdAdd", "lstSet1", "lstSet2"})
        QVERIFY2(ctl<QWidget>(name)->isEnabled(), name);

    click("cmdTexit");
    QCOMPARE(m_desk->endCalls, 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")),
             cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(path)));
}

void TestMainWindow::openTwiceShowsEachRecordOnce() {
    const QString path = writeBook("two.dat", bookBytes({"一", "二"}));
    start();
    openFile(path);
    openFile(path);
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"一", "二"}));
    QCOMPARE(fieldTexts(m_main->book().records, AddressRecord::Honorific), QStringList({"0", "1"}));
}

void TestMainWindow::cancelledOpenEmptiesListsButKeepsBook() {
    const QString path = writeBook("three.dat", bookBytes({"a", "b", "c"}));
    start();
    openFile(path);
    openFile(QString()); // cancelled
    QCOMPARE(rowCount(ctl<QListView>("lstSet1")), 0);
    QCOMPARE(m_main->book().recordCount(), 3);
    const QString copy = m_desk->file("copy.dat");
    m_desk->fileDialogs.saveAnswers.push_back(copy);
    click("cmdSave");
    QCOMPARE(readBytes(copy), bookBytes({"a", "b", "c"}));
}

void TestMainWindow::openFailuresLeaveEverything_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("create");

    QStringList many;
    for (int i = 0; i < 301; ++i)
        many.append(QStringLiteral("名%1").arg(i));
    QTest::newRow("missing file") << "none.dat" << QByteArray() << false;
    QTest::newRow("301 records") << "many.dat" << bookBytes(many) << true;
    QTest::newRow("binary") << "bin.dat" << QByteArray("\x01\x00\xFF\xFE", 4) << true;
    QTest::newRow("broken current file")
        << "broken.dat" << QByteArray("\"a\",\"1\",\"2\",\"3\",\"4\",\"0\",\"5\",\"123\",\"x\"\r\n")
        << true;
}

void TestMainWindow::openFailuresLeaveEverything() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, create);
    const QString good = writeBook("good.dat", bookBytes({"残る"}));
    const QString path = m_desk->file(name);
    if (create)
        writeBytes(path, bytes);
    start();
    openFile(good);
    openFile(path);
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY2(m_desk->messages.shown.at(0).text.contains(path),
             qPrintable(m_desk->messages.shown.at(0).text));
    QCOMPARE(m_desk->messages.shown.at(0).buttons, MessageButtons::Ok);
    QCOMPARE(readBytes(path), bytes);
    QVERIFY(!QFile::exists(path + ".bak"));
    // The current book and file are still the good ones, and shown.
    QCOMPARE(m_desk->context.rememberedBook().currentFile, good);
    QCOMPARE(m_desk->context.book.filePath(), good);
    QCOMPARE(m_main->book().recordCount(), 1);
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList{"残る"});
}

void TestMainWindow::oldFormatIsConvertedWithBackup() {
    QString oldText;
    for (int i = 1; i <= 5; ++i)
        oldText += QStringLiteral("\"旧%1\",\"住所%1\",\"番地%1\",\"100-000%1\",\"k%1\",\"%2\"\r\n")
                       .arg(i)
                       .arg(i % 3);
    const QByteArray original = cp932(oldText);
    const QString path = writeBook("old.dat", original);
    start();
    openFile(path);
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("データーをNuvelkVer2. x  形式にコンバートします。")});
    QString expected;
    for (int i = 1; i <= 5; ++i)
        expected +=
            QStringLiteral("\"旧%1\",\"住所%1\",\"番地%1\",\"100-000%1\",\"k%1\",\"%2\",\" \"\r\n")
                .arg(i)
                .arg(i % 3);
    QCOMPARE(readBytes(path), cp932(expected));
    QCOMPARE(readBytes(path + ".bak"), original);
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"旧1", "旧2", "旧3", "旧4", "旧5"}));
    QCOMPARE(m_desk->context.rememberedBook().currentFile, path);
    QCOMPARE(m_desk->context.rememberedBook().bookMode, QStringLiteral("3"));
    QVERIFY(ctl<QWidget>("cmdSave")->isEnabled());
}

void TestMainWindow::sevenOldRecordsReadAsSixCurrent() {
    QString oldText;
    for (int i = 1; i <= 7; ++i)
        oldText += QStringLiteral("\"旧%1\",\"a\",\"b\",\"c\",\"d\",\"0\"\r\n").arg(i);
    const QByteArray original = cp932(oldText);
    const QString path = writeBook("old7.dat", original);
    start();
    openFile(path);
    QVERIFY(m_desk->messages.shown.isEmpty());
    QCOMPARE(rowCount(ctl<QListView>("lstSet1")), 6);
    QCOMPARE(readBytes(path), original);
}

void TestMainWindow::saveAsWritesCopy() {
    const QString path = writeBook("three.dat", bookBytes({"a", "b", "c"}));
    start();
    openFile(path);
    const QString copy = m_desk->file("copy.csv");
    m_desk->fileDialogs.saveAnswers = {copy, QString()};
    click("cmdSave");
    const FileDialogRequest request = m_desk->fileDialogs.saveRequests.at(0);
    QCOMPARE(request.fileName, path);
    QVERIFY(request.confirmOverwrite);
    QCOMPARE(request.filter,
             QStringLiteral("データ形式ファイル(*.dat)|*.dat|テキストファイル(*.csv)|*.csv"));
    QCOMPARE(readBytes(copy), bookBytes({"a", "b", "c"}));
    // The current file does not change.
    QCOMPARE(m_desk->context.rememberedBook().currentFile, path);
    QCOMPARE(m_desk->context.book.filePath(), path);

    // The menu entry keeps the name of the dialog's last use.
    ctl<QAction>("mnuSave")->trigger();
    QCOMPARE(m_desk->fileDialogs.saveRequests.at(1).fileName, copy);
}

void TestMainWindow::saveAsFailureIsReported() {
    const QString path = writeBook("one.dat", bookBytes({"a"}));
    start();
    openFile(path);
    const QString target = m_desk->file("no-such-folder/copy.dat");
    m_desk->fileDialogs.saveAnswers = {target};
    click("cmdSave");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(target));
}

void TestMainWindow::newWritesBackOnlyInBookMode3_data() {
    QTest::addColumn<bool>("changedSince");
    QTest::newRow("after Open") << false;
    QTest::newRow("changed by another program since") << true;
}

// New leaves the book as its file holds it: nothing changed is rewritten,
// the companion keeps every entry, and another program's changes stay.
void TestMainWindow::newWritesBackOnlyInBookMode3() {
    QFETCH(bool, changedSince);
    QByteArray original = bookBytes({"a", "b"}, false);
    const QString path = writeBook("book.dat", original);
    start();
    openFile(path);
    QVERIFY(m_desk->context.book
                .commit([&] {
                    m_desk->context.book.setRecordData(1, withReading({}, QStringLiteral("ビー")));
                    return true;
                })
                .ok());
    // The companion's save also wrote the book's last line end.
    original = readBytes(path);
    const QByteArray companion = readBytes(path + ".nvl");
    QVERIFY(companion.contains("ビー"));
    if (changedSince) {
        original = bookBytes({"a", "b", "c"}, false);
        writeBytes(path, original);
    }
    click("cmdNew");
    QCOMPARE(readBytes(path), original);
    QCOMPARE(readBytes(path + ".nvl"), companion);
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")), cp932(QStringLiteral("\"新規作成\",\"2\"\r\n")));
    QVERIFY(!m_main->isFormLoaded());
    QVERIFY(m_editor && m_editor->isFormLoaded() && m_editor->isVisible());
    QCOMPARE(m_desk->context.book.origin(), BookDocument::Origin::New);
    QVERIFY(!m_desk->context.state.endOnMainUnload);
    QCOMPARE(m_main->book().recordCount(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
}

void TestMainWindow::handOverAndRebuild() {
    const QString path = writeBook("book.dat", bookBytes({"a", "b"}));
    start();
    openFile(path);
    selectRows(ctl<QListView>("lstSet1"), {1});
    click("cmdAdd");
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("1"));

    ctl<QAction>("mnuSet")->trigger();
    QVERIFY(!m_main->isFormLoaded());
    QVERIFY(!m_main->isVisible());
    QVERIFY(m_editor && m_editor->isVisible());
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")),
             cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(path)));

    // The other window changes the one book and hands back; the main window
    // shows it without reading the file (another program's copy there).
    AddressRecord c;
    c.setField(AddressRecord::Name, QStringLiteral("c"));
    QVERIFY(m_desk->context.book.appendRecords({c}));
    writeBytes(path, bookBytes({"x"}));
    m_editor->unloadForm();
    m_main->showForm();
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"a", "b", "c"}));
    QCOMPARE(rowCount(ctl<QListView>("lstSet2")), 0);
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("0"));
    QVERIFY(ctl<QWidget>("cmdCard")->isEnabled());
    QVERIFY(ctl<QWidget>("lstSet1")->isEnabled());

    // Back from another window, the list still shows what the search says.
    ctl<QLineEdit>("txtSearch")->setText(QStringLiteral("b"));
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"b"}));
    ctl<QAction>("mnuSet")->trigger();
    m_editor->unloadForm();
    m_main->showForm();
    QCoreApplication::processEvents();
    QCOMPARE(ctl<QLineEdit>("txtSearch")->text(), QStringLiteral("b"));
    QCOMPARE(rowTexts(ctl<QListView>("lstSet1")), QStringList({"b"}));
}

void TestMainWindow::rebuildWithoutReadableFileShowsEmptyBook() {
    writeBytes(m_desk->file("Nuvel.ini"), cp932(QStringLiteral("\"新規作成\",\"2\"\r\n")));
    start();
    m_main->unloadForm();
    m_desk->context.book.startNew();
    m_main->showForm();
    QCOMPARE(rowCount(ctl<QListView>("lstSet1")), 0);
    QVERIFY(!ctl<QWidget>("lstSet1")->isEnabled());
    QVERIFY(!ctl<QWidget>("cmdCard")->isEnabled());
    QVERIFY(m_desk->messages.shown.isEmpty());
}

void TestMainWindow::helpAndHomePage() {
    start();
    click("cmdHlp");
    QCOMPARE(m_desk->help.calls.size(), 1);
    QCOMPARE(m_desk->help.calls.at(0).file, QStringLiteral("Nuvelk.hlp"));
    QCOMPARE(m_desk->help.calls.at(0).command, HelpCommand::Contents);
    ctl<QAction>("mnuHome")->trigger();
    QCOMPARE(m_desk->shell.opened.size(), 1);
    QVERIFY(m_desk->shell.opened.at(0).startsWith(QLatin1String("http")));
    QVERIFY(m_main->isFormLoaded());
}

void TestMainWindow::closeBoxBeforeHandOverEndsProgram() {
    const QString path = writeBook("x.dat", bookBytes({"a"}));
    start();
    openFile(path);
    m_main->close();
    QCOMPARE(m_desk->endCalls, 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")),
             cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(path)));
}

void TestMainWindow::printListSelection() {
    const QString path = writeBook("five.dat", bookBytes({"a", "b", "c", "d", "e"}));
    start();
    openFile(path);
    QListView *book = ctl<QListView>("lstSet1");
    QListView *chosen = ctl<QListView>("lstSet2");
    // Ctrl-selected in another order: added in book order, twice.
    selectRows(book, {3, 1});
    click("cmdAdd");
    click("cmdAdd");
    QCOMPARE(rowTexts(chosen), QStringList({"b", "d", "b", "d"}));
    QCOMPARE(fieldTexts(m_main->printListModel().records(), AddressRecord::PostalCode),
             QStringList({"123-4562", "123-4564", "123-4562", "123-4564"}));
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("4"));

    // A double click adds the whole selection, in book order, and enables クリアー.
    click("cmdClear");
    selectRows(book, {4, 0});
    emit book->doubleClicked(book->model()->index(4, 0));
    QCOMPARE(rowTexts(chosen), QStringList({"a", "e"}));
    QVERIFY(ctl<QWidget>("cmdClear")->isEnabled());
    click("cmdClear");
    selectRows(book, {3, 1});
    click("cmdAdd");
    click("cmdAdd");

    // Three adjacent items go in one pass, from every list.
    QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
    selectRows(chosen, {0, 1, 2});
    chosen->selectionModel()->setCurrentIndex(chosen->model()->index(2, 0),
                                              QItemSelectionModel::NoUpdate);
    emit chosen->clicked(chosen->model()->index(2, 0));
    QVERIFY(ctl<QWidget>("cmdDel")->isEnabled());
    click("cmdDel");
    QCOMPARE(rowTexts(chosen), QStringList({"d"}));
    QCOMPARE(fieldTexts(m_main->printListModel().records(), AddressRecord::Honorific),
             QStringList({"3"}));
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("1"));

    // Nothing selected: nothing removed.
    chosen->clearSelection();
    click("cmdDel");
    QCOMPARE(rowCount(chosen), 1);

    click("cmdClear");
    QCOMPARE(rowCount(chosen), 0);
    QVERIFY(m_main->printListModel().records().isEmpty());
    QVERIFY(!ctl<QWidget>("cmdClear")->isEnabled());
    QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("0"));
}

void TestMainWindow::printListLimit() {
    QStringList names;
    for (int i = 0; i < 150; ++i)
        names.append(QStringLiteral("n%1").arg(i));
    const QString path = writeBook("many.dat", bookBytes(names));
    m_desk->context.windows.setFactory(
        WindowId::Print, [](AppContext &c) { return new OtherWindow(c, WindowId::Print); });
    start();
    openFile(path);
    ctl<QListView>("lstSet1")->selectAll();
    click("cmdAdd");
    click("cmdAdd");
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("300"));
    QVERIFY(ctl<QWidget>("cmdPrint")->isEnabled());
    QVERIFY(m_desk->messages.shown.isEmpty());

    selectRows(ctl<QListView>("lstSet1"), {0});
    click("cmdAdd");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("選択は300件までです。")});
    QVERIFY(!ctl<QWidget>("cmdPrint")->isEnabled());
    QCOMPARE(rowCount(ctl<QListView>("lstSet2")), 301);

    selectRow(ctl<QListView>("lstSet2"), 300);
    click("cmdDel");
    QVERIFY(ctl<QWidget>("cmdPrint")->isEnabled());

    // Clearing enables 次へ, which then refuses the empty list.
    click("cmdClear");
    QVERIFY(ctl<QWidget>("cmdPrint")->isEnabled());
    click("cmdPrint");
    QCOMPARE(m_desk->messages.texts().last(), QStringLiteral("リストが選択されていません。"));
}

// Typing in the search box or choosing a tag narrows the book list to what
// matches and selects it, so 一括選択 takes it, within the 300 limit.
void TestMainWindow::searchAndTagFilterSelect() {
    m_desk->context.today = [] {
        return QDate(2026, 12, 8);
    };
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names.append(i % 2 ? QStringLiteral("山田 %1").arg(i) : QStringLiteral("佐藤 %1").arg(i));
    const QString path = writeBook("search.dat", bookBytes(names));
    start();
    openFile(path);
    BookDocument &document = m_desk->context.book;
    for (int row = 0; row < 300; ++row)
        document.setRecordData(
            row,
            withTags(withReading({}, row % 2 ? QStringLiteral("ヤマダ") : QStringLiteral("サトウ")),
                     row < 200 ? QStringList{"家族"} : QStringList{"仕事"}));
    auto *search = ctl<QLineEdit>("txtSearch");
    QListView *book = ctl<QListView>("lstSet1");
    const auto selected = [book] {
        return book->selectionModel()->selectedRows().size();
    };

    search->setText(QStringLiteral("ﾔﾏﾀﾞ"));
    QCOMPARE(rowCount(book), 150);
    QCOMPARE(rowTexts(book).first(), QStringLiteral("山田 1"));
    QCOMPARE(selected(), 150);
    // A record changed meanwhile is searched as it is now.
    const QJsonObject first = document.recordData(0);
    document.setRecordData(0, withReading(first, QStringLiteral("やまだ")));
    QCOMPARE(rowCount(book), 151);
    document.setRecordData(0, first);
    QCOMPARE(rowCount(book), 150);

    QMenu *filters = ctl<QToolButton>("cmdTags")->menu();
    QStringList entries;
    const auto choose = [filters, &entries](const QString &text) {
        emit filters->aboutToShow();
        entries.clear();
        for (QAction *action : filters->actions()) {
            entries.append(action->text());
            if (action->text() == text)
                action->trigger();
        }
    };
    choose(QStringLiteral("仕事"));
    QCOMPARE(entries, QStringList({"2027年の年賀状", "すべて", "今年送る（2027年）",
                                   "まだ送っていない", "返事がまだ", "去年もらった人", "喪中",
                                   "去年喪中", "タグ", "すべてのタグ", "家族", "仕事"}));
    QCOMPARE(rowCount(book), 50); // 山田 at work
    search->clear();
    QCOMPARE(rowCount(book), 100);
    QCOMPARE(ctl<QToolButton>("cmdTags")->text(), QStringLiteral("絞り込み: 仕事"));
    QCOMPARE(selected(), 100);
    click("cmdAdd");
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("100"));

    choose(QStringLiteral("家族")); // 200 more make 300
    QCOMPARE(selected(), 200);
    click("cmdAdd");
    QCOMPARE(ctl<QLabel>("lblCount")->text(), QStringLiteral("300"));
    QVERIFY(m_desk->messages.shown.isEmpty());

    choose(QStringLiteral("すべてのタグ"));
    QCOMPARE(rowCount(book), 300);
    QCOMPARE(selected(), 0);
    search->setText(QStringLiteral("やまだ"));
    click("cmdAdd");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("選択は300件までです。")});

    // The December list: received for last year's cards, not yet sent for this year's.
    search->clear();
    for (int row = 0; row < 10; ++row)
        document.setRecordData(row, withMark(withMark({}, 2026, YearMark::Received, true), 2027,
                                             YearMark::Sent, row < 4));
    choose(QStringLiteral("去年もらった人"));
    QCOMPARE(rowTexts(book).first(), QStringLiteral("佐藤 4"));
    QCOMPARE(selected(), 6);
    QCOMPARE(ctl<QToolButton>("cmdTags")->text(), QStringLiteral("絞り込み: 去年もらった人"));
    QCOMPARE(ctl<QToolButton>("cmdTags")->accessibleName(),
             QStringLiteral("絞り込み: 去年もらった人"));
    // A second batch: this year's not yet sent, the four sent left out; and
    // last year's 喪中, who get a 寒中見舞い.
    choose(QStringLiteral("まだ送っていない"));
    QCOMPARE(rowCount(book), 296);
    document.setRecordData(20, withMark({}, 2026, YearMark::Mourning, true));
    choose(QStringLiteral("去年喪中"));
    QCOMPARE(rowTexts(book), QStringList{QStringLiteral("佐藤 20")});
    // The same filters in the 編集 menu, where menus are reachable.
    auto *editMenu = ctl<QMenu>("mnuFilter");
    emit editMenu->aboutToShow();
    for (QAction *action : editMenu->actions())
        if (action->text() == QStringLiteral("まだ送っていない"))
            action->trigger();
    QCOMPARE(rowCount(book), 296);
    QCOMPARE(ctl<QToolButton>("cmdTags")->text(), QStringLiteral("絞り込み: まだ送っていない"));
    choose(QStringLiteral("すべて"));
    QCOMPARE(rowCount(book), 300);
}

void TestMainWindow::syncSettingsKeptPerBook_data() {
    QTest::addColumn<bool>("keyring");
    QTest::newRow("keyring") << true;
    QTest::newRow("no keyring") << false;
}

// 同期の設定: the URL and the user in the book's companion, the password in
// the keyring or nowhere; another address book unlinks the records.
void TestMainWindow::syncSettingsKeptPerBook() {
    QFETCH(bool, keyring);
    m_desk->secrets.keyring = keyring;
    const QString path = writeBook("sync.dat", bookBytes({"甲", "乙"}));
    start();
    openFile(path);
    BookDocument &book = m_desk->context.book;
    book.setRecordData(0, {{"sync", QJsonObject{{"href", "/old/a.vcf"}, {"etag", "1"}}}});
    book.setBookSettings({{"sync", QJsonObject{{"collection", "https://old.example/ab/"}}}});
    const QString password = QStringLiteral("pässwörd-42");
    QStringList shown;
    const auto fill = [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        shown.append(child<QLabel>(dialog, "lblKeyring")->text());
        child<QLineEdit>(dialog, "txtSyncUrl")->setText(QStringLiteral("ftp://new.example/"));
        child<QLineEdit>(dialog, "txtSyncUser")->setText(QStringLiteral("alice"));
        child<QLineEdit>(dialog, "txtSyncPassword")->setText(password);
        const auto ok = [dialog] {
            for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
                if (button->text() == QStringLiteral("OK"))
                    button->click();
        };
        ok();
        // Not an address a sync can use: said, and the window stays.
        QVERIFY(dialog->isVisible());
        shown.append(child<QLabel>(dialog, "lblSyncTest")->text());
        child<QLineEdit>(dialog, "txtSyncUrl")->setText(QStringLiteral("https://new.example/ab"));
        ok();
    };
    QTimer::singleShot(0, this, fill);
    m_main->findChild<QAction *>(QStringLiteral("mnuSyncSettings"))->trigger();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown.at(0).contains(keyring ? "キーリングに保存されます" : "保存されません"),
             qPrintable(shown.at(0)));
    QVERIFY2(shown.at(1).contains("https://"), qPrintable(shown.at(1)));

    const QByteArray companion = readBytes(book.companionPath());
    QVERIFY(companion.contains("https://new.example/ab/"));
    QVERIFY(companion.contains("\"alice\""));
    QVERIFY(!companion.contains(password.toUtf8()));
    QVERIFY(!companion.contains("/old/a.vcf"));
    QCOMPARE(m_desk->secrets.stored.values(), keyring ? QStringList{password} : QStringList());
    if (keyring)
        return;
    // 同期 asks for the password alone again: the cursor waits in its box.
    QString focused;
    QTimer::singleShot(0, this, [&focused] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        if (QWidget *box = dialog->focusWidget())
            focused = box->objectName();
        dialog->close();
    });
    m_main->findChild<QAction *>(QStringLiteral("mnuSync"))->trigger();
    QCOMPARE(focused, QStringLiteral("txtSyncPassword"));
}

// すべてサーバーの内容にする answers every change on both sides that the
// server can answer; a contact without an address stays for the user.
void TestMainWindow::syncQuestionsSettledAllOneWay() {
    SyncQuestion withServer;
    withServer.record = AddressRecord::fromList({"甲", "", "", "", "", "0", ""});
    withServer.server = ServerContact{withServer.record, {}, QStringLiteral("uid"), {}};
    SyncQuestion withoutAddress = withServer;
    withoutAddress.server.reset();
    SyncQuestion deleted;
    deleted.kind = SyncQuestion::Kind::DeletedOnServer;
    SyncQuestionsDialog dialog({withServer, deleted, withoutAddress});
    for (QAbstractButton *button : dialog.findChildren<QAbstractButton *>())
        if (button->text() == QStringLiteral("すべてサーバーの内容にする"))
            button->click();
    dialog.accept();
    QList<SyncChoice> choices;
    for (const SyncAnswer &answer : dialog.answers())
        choices.append(answer.choice);
    QCOMPARE(choices, QList<SyncChoice>(
                          {SyncChoice::Server, SyncChoice::Unanswered, SyncChoice::Unanswered}));
}

QTEST_MAIN(TestMainWindow)
void TestMainWindow::companionEntriesAskBeforeReplacing_data() {
    QTest::addColumn<int>("answer"); // to replace (Yes) or merge (No)
    QTest::addColumn<QStringList>("joint");
    QTest::newRow("replace") << int(MessageAnswer::Yes) << QStringList{"次郎"};
    QTest::newRow("merge") << int(MessageAnswer::No) << QStringList{"花子", "次郎"};
    QTest::newRow("cancel") << int(MessageAnswer::Cancel) << QStringList{"花子"};
}

// 付属データの整理 after another program renamed and moved 甲: nothing is
// offered, Enter attaches nothing, and a record with data of its own is
// asked about; what it holds is said in Japanese.
void TestMainWindow::companionEntriesAskBeforeReplacing() {
    QFETCH(int, answer);
    QFETCH(QStringList, joint);
    const QString path = writeBook("book.dat", bookBytes({"甲", "乙"}));
    start();
    openFile(path);
    BookDocument &book = m_desk->context.book;
    QVERIFY(book.commit([&] {
                    QJsonObject data = withJointNames({}, {{QStringLiteral("次郎"), {}}});
                    data = withMark(withReading(data, QStringLiteral("コウ")), 2027, YearMark::Sent,
                                    true);
                    book.setRecordData(0, data);
                    book.setRecordData(1, withJointNames({}, {{QStringLiteral("花子"), {}}}));
                    return true;
                })
                .ok());
    QByteArray edited = bookBytes({"甲野", "乙"});
    edited.replace("123-4561", "999-9999");
    writeBytes(path, edited);
    openFile(path);
    QCOMPARE(book.unmatchedEntries().size(), 1);
    QStringList asked;
    const auto apply = [&book](const std::function<bool()> &edit) {
        return book.commit(edit).ok();
    };
    const auto ask = [&](const QString &question, MessageButtons) {
        asked.append(question);
        return MessageAnswer(answer);
    };
    {
        CompanionEntriesDialog dialog(book, apply, ask);
        dialog.show();
        const QString entry = child<QListWidget>(&dialog, "lstEntries")->item(0)->text();
        QVERIFY2(entry.contains(QStringLiteral("連名 次郎")) &&
                     entry.contains(QStringLiteral("フリガナ コウ")) &&
                     entry.contains(QStringLiteral("2027年 送った")),
                 qPrintable(entry));
        for (const char *code : {"{", "\"", "joint", "reading", "history", "sent"})
            QVERIFY2(!entry.contains(QLatin1String(code)), qPrintable(entry));
        QCOMPARE(child<QComboBox>(&dialog, "cboRecord")->currentData().toInt(), -1);
        QVERIFY(!child<QWidget>(&dialog, "cmdAttach")->isEnabled());
        QTest::keyClick(&dialog, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(book.unmatchedEntries().size(), 1);
    }
    CompanionEntriesDialog dialog(book, apply, ask);
    dialog.show();
    auto *records = child<QComboBox>(&dialog, "cboRecord");
    records->setCurrentIndex(records->findData(1)); // 乙, with 花子 of its own
    child<QAbstractButton>(&dialog, "cmdAttach")->click();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QStringLiteral("連名 花子")), qPrintable(asked.first()));
    BookDocument reread;
    QVERIFY(reread.load(path).ok());
    QStringList names;
    for (const JointName &name : jointNamesOf(reread.recordData(1)))
        names.append(name.name);
    QCOMPARE(names, joint);
    QCOMPARE(reread.unmatchedEntries().size(), answer == int(MessageAnswer::Cancel) ? 1 : 0);
}

#include "tst_mainwindow.moc"
