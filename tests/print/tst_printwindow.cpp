#include "cardview.h"
#include "fonts.h"
#include "mainwindow.h"
#include "printfixture.h"
#include "printwindow.h"
#include "senderfile.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestPrintWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void init();
    void cleanup();

    void loadsPrintListAndUnloadsMain();
    void labelNavigation();
    void singleLabel();
    void postalBoxes_data();
    void postalBoxes();
    void nameWithHonorific();
    void senderNavigation();
    void postalFontChangesOnlyBoxes();
    void postalFontFollowsTheChoice_data();
    void postalFontFollowsTheChoice();
    void windowsAreWindowsToScreenReaders();
    void previewUsesMincho();
    void backReturnsToRebuiltMain_data();
    void backReturnsToRebuiltMain();
    void exitEndsProgram();

private:
    PrintWindow *openWith(const QStringList &names, const QStringList &zips = {},
                          const QStringList &honorifics = {});
    template <typename T> T *ctl(const char *name) { return child<T>(m_print, name); }
    void click(const char *name) { ctl<QAbstractButton>(name)->click(); }
    QStringList boxes();
    CardView *card();
    bool shows(const QString &text);
    QString fontOf(int drawn);

    std::unique_ptr<FakeDesktop> m_desk;
    MainWindow *m_main = nullptr;
    PrintWindow *m_print = nullptr;
};

void TestPrintWindow::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    writeSenders(*m_desk);
}

void TestPrintWindow::cleanup() {
    m_desk.reset();
    m_main = nullptr;
    m_print = nullptr;
}

PrintWindow *TestPrintWindow::openWith(const QStringList &names, const QStringList &zips,
                                       const QStringList &honorifics) {
    QList<Label> list;
    for (qsizetype i = 0; i < names.size(); ++i)
        list.append({names.at(i), zips.value(i, QStringLiteral("123-4567")),
                     honorifics.value(i, QStringLiteral("0"))});
    m_print = openPrintWindow(*m_desk, list);
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    return m_print;
}

// The card draws the seven digits first, then the lines.
QStringList TestPrintWindow::boxes() {
    return card()->texts().mid(0, 7);
}

CardView *TestPrintWindow::card() {
    return m_print->findChild<CardView *>();
}

bool TestPrintWindow::shows(const QString &text) {
    return card()->texts().contains(text);
}

QString TestPrintWindow::fontOf(int drawn) {
    card()->texts();
    return card()->drawn().value(drawn).font;
}

void TestPrintWindow::loadsPrintListAndUnloadsMain() {
    QStringList names;
    for (int i = 1; i <= 12; ++i)
        names.append(QStringLiteral("宛名%1").arg(i));
    openWith(names);
    QVERIFY(m_print->isVisible());
    QCOMPARE(m_print->windowTitle(), QStringLiteral("印刷フォーマット"));
    QCOMPARE(m_print->labelCount(), 12);
    QCOMPARE(ctl<QLabel>("lblPP")->text(), QStringLiteral("1/12"));
    for (const char *line : {"住所1", "棟1", "c1"})
        QVERIFY2(shows(QString::fromUtf8(line)), line);
    QCOMPARE(m_print->settings().addressFont, QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(m_print->settings().postalFont, QStringLiteral("ＭＳ 明朝"));
    QVERIFY(ctl<QRadioButton>("opt3")->isChecked());
    QVERIFY(ctl<QRadioButton>("Option1")->isChecked());
    // The main window was rebuilt out of sight, with an empty print list.
    QVERIFY(m_main->isFormLoaded());
    QVERIFY(!m_main->isVisible());
    QCOMPARE(rowCount(child<QListView>(m_main, "lstSet2")), 0);
    QCOMPARE(rowCount(child<QListView>(m_main, "lstSet1")), 12);
    QVERIFY(!m_desk->context.state.endOnMainUnload);
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
}

void TestPrintWindow::labelNavigation() {
    openWith({"一", "二", "三"});
    click("cmdRew");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("最初のﾗﾍﾞﾙです。")});
    click("cmdFF");
    click("cmdFF");
    QCOMPARE(ctl<QLabel>("lblPP")->text(), QStringLiteral("3/3"));
    QVERIFY(shows(QStringLiteral("三 様")));
    click("cmdFF");
    QCOMPARE(m_desk->messages.texts().last(), QStringLiteral("最後のﾗﾍﾞﾙです。"));
    QCOMPARE(m_desk->messages.shown.last().buttons, MessageButtons::Ok);
    QCOMPARE(ctl<QLabel>("lblPP")->text(), QStringLiteral("3/3"));
    click("cmdRew");
    QCOMPARE(ctl<QLabel>("lblPP")->text(), QStringLiteral("2/3"));
}

void TestPrintWindow::singleLabel() {
    openWith({"一"});
    click("cmdFF");
    click("cmdRew");
    QCOMPARE(m_desk->messages.texts(),
             QStringList({QStringLiteral("最後のﾗﾍﾞﾙです。"), QStringLiteral("最初のﾗﾍﾞﾙです。")}));
    QCOMPARE(ctl<QLabel>("lblPP")->text(), QStringLiteral("1/1"));
}

void TestPrintWindow::postalBoxes_data() {
    QTest::addColumn<QString>("zip");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("123-4567") << "123-4567" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
    QTest::newRow("1234567") << "1234567" << QStringList{"1", "2", "3", "4", "5", "6", "7"};
    // As the A4 sheets print them: boxes the code does not fill hold 0.
    QTest::newRow("123-45") << "123-45" << QStringList{"1", "2", "3", "4", "5", "0", "0"};
    QTest::newRow("empty") << "" << QStringList{"0", "0", "0", "0", "0", "0", "0"};
}

void TestPrintWindow::postalBoxes() {
    QFETCH(QString, zip);
    QFETCH(QStringList, boxes);
    openWith({"前", "後"}, {"999-9999", zip});
    click("cmdFF");
    QCOMPARE(this->boxes(), boxes);
}

void TestPrintWindow::nameWithHonorific() {
    openWith({"山田商事", "無敬称"}, {}, {"2", "-1"});
    QVERIFY(shows(QStringLiteral("山田商事 御中")));
    click("cmdFF");
    QVERIFY(shows(QStringLiteral("無敬称")));
}

void TestPrintWindow::senderNavigation() {
    openWith({"一"});
    QCOMPARE(ctl<QLabel>("lbltx")->text(), QStringLiteral("1/ 4 "));
    QVERIFY(shows(QStringLiteral("差出人1")));
    click("Command4");
    QCOMPARE(ctl<QLabel>("lbltx")->text(), QStringLiteral("1/ 4 "));
    for (int i = 0; i < 5; ++i)
        click("Command5");
    QCOMPARE(ctl<QLabel>("lbltx")->text(), QStringLiteral("4/ 4 "));
    QVERIFY(shows(QStringLiteral("100-0004")));
    QVERIFY(shows(QStringLiteral("番地4")));
    QCOMPARE(m_print->currentSender(), 3);
    QVERIFY(m_desk->messages.shown.isEmpty());

    // rereadSenders re-reads the file and starts at the first entry again.
    SenderTable changed = m_print->senderTable();
    changed[0].name = QStringLiteral("新しい差出人");
    QVERIFY(writeSenderFile(m_desk->file("Wolt.tds"), changed).ok);
    m_print->rereadSenders();
    QCOMPARE(ctl<QLabel>("lbltx")->text(), QStringLiteral("1/ 4 "));
    QVERIFY(shows(QStringLiteral("新しい差出人")));
}

void TestPrintWindow::postalFontChangesOnlyBoxes() {
    openWith({"一"});
    click("Option2");
    QCOMPARE(m_print->settings().postalFont, QStringLiteral("OCR-B"));
    for (int i = 0; i < 7; ++i)
        QCOMPARE(fontOf(i), QStringLiteral("OCR-B"));
    QCOMPARE(fontOf(7), QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(m_print->settings().addressFont, QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(QFontInfo(QFont(fontOf(0))).family(), QStringLiteral("OCR B"));
    click("Option1");
    QCOMPARE(fontOf(6), QStringLiteral("ＭＳ 明朝"));
}

void TestPrintWindow::postalFontFollowsTheChoice_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("screen reader's toggle action") << "toggle";
    QTest::newRow("screen reader's press action") << "press";
    QTest::newRow("keyboard focus (state set)") << "state";
}

void TestPrintWindow::postalFontFollowsTheChoice() {
    QFETCH(QString, how);
    openWith({"一"});
    auto *ocr = ctl<QRadioButton>("Option2");
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(ocr);
    QVERIFY(button && button->actionInterface());
    if (how == QLatin1String("state"))
        ocr->setChecked(true);
    else
        button->actionInterface()->doAction(how == QLatin1String("toggle")
                                                ? QAccessibleActionInterface::toggleAction()
                                                : QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(ocr->isChecked());
    QTRY_COMPARE(m_print->settings().postalFont, QStringLiteral("OCR-B"));
    QCOMPARE(fontOf(3), QStringLiteral("OCR-B"));
    ctl<QRadioButton>("Option1")->setChecked(true);
    QCOMPARE(m_print->settings().postalFont, QStringLiteral("ＭＳ 明朝"));
}

void TestPrintWindow::windowsAreWindowsToScreenReaders() {
    openWith({"一"});
    for (WindowId id : {WindowId::Print, WindowId::Main, WindowId::Font, WindowId::Sender}) {
        FormWindow *window = m_desk->context.windows.window(id);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(window);
        QVERIFY(face);
        QCOMPARE(face->role(), QAccessible::Window);
    }
    // Buttons are read by their captions.
    QAccessibleInterface *print = QAccessible::queryAccessibleInterface(ctl<QWidget>("cmdPrint"));
    QCOMPARE(print->text(QAccessible::Name), QStringLiteral("印刷"));
}

void TestPrintWindow::previewUsesMincho() {
    openWith({"明朝"});
    QVERIFY(!card()->texts().isEmpty());
    for (const CardView::Drawn &item : card()->drawn())
        QCOMPARE(QFontInfo(QFont(item.font)).family(), QStringLiteral("IPAMincho"));
}

void TestPrintWindow::backReturnsToRebuiltMain_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("戻る") << false;
    QTest::newRow("close box") << true;
}

void TestPrintWindow::backReturnsToRebuiltMain() {
    QFETCH(bool, closeBox);
    openWith({"一", "二"});
    if (closeBox)
        m_print->close();
    else
        click("cmdCancel");
    QVERIFY(!m_print->isFormLoaded());
    QVERIFY(m_main->isVisible());
    QCOMPARE(rowCount(child<QListView>(m_main, "lstSet1")), 2);
    QCOMPARE(rowCount(child<QListView>(m_main, "lstSet2")), 0);
    QCOMPARE(child<QLabel>(m_main, "lblCount")->text(), QStringLiteral("0"));
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
}

void TestPrintWindow::exitEndsProgram() {
    openWith({"一"});
    const QByteArray settings = readBytes(m_desk->file("Nuvel.ini"));
    click("cmdExit");
    QCOMPARE(m_desk->endCalls, 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")), settings);
}

QTEST_MAIN(TestPrintWindow)
#include "tst_printwindow.moc"
