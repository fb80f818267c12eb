#include "printfixture.h"
#include "printpositionwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestPrintPosition : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_desk.reset(); }

    void steps_data();
    void steps();
    void okWithoutChangeRewritesSameValues();
    void okHandsOffsetsToPrintWindow();
    void closingOtherwiseDiscards();
    void missingFileIsNeutral();

private:
    FormWindow *open();
    void press(const char *name, int times) {
        for (int i = 0; i < times; ++i)
            child<QAbstractButton>(m_window, name)->click();
    }
    QString caption(const char *name) { return child<QLabel>(m_window, name)->text(); }

    std::unique_ptr<FakeDesktop> m_desk;
    FormWindow *m_window = nullptr;
};

void TestPrintPosition::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    writeSenders(*m_desk);
    writeBytes(m_desk->file("Nuvel.opt"), QByteArray("\"1440\",\"880\",\"0\"\r\n"));
}

FormWindow *TestPrintPosition::open() {
    child<QAbstractButton>(openPrintWindow(*m_desk, labels(2)), "Command2")->click();
    m_window = m_desk->context.windows.existing(WindowId::PrintPosition);
    return m_window;
}

void TestPrintPosition::steps_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");

    QTest::newRow("＜ ten times") << "Command1" << 10 << "-10"
                                  << "1240"
                                  << "x"
                                  << "lblXscale";
    QTest::newRow("＜ eleven times stops") << "Command1" << 11 << "-10"
                                           << "1240"
                                           << "x"
                                           << "lblXscale";
    QTest::newRow("＞ stops at 1640") << "Command2" << 12 << "10"
                                      << "1640"
                                      << "x"
                                      << "lblXscale";
    QTest::newRow("∨ ten times") << "Command3" << 10 << "10"
                                 << "1080"
                                 << "y"
                                 << "lblYscale";
    QTest::newRow("∧ stops at 680") << "Command4" << 15 << "-10"
                                    << "680"
                                    << "y"
                                    << "lblYscale";
    QTest::newRow("はなす seven times") << "Command7" << 7 << "7"
                                        << "7"
                                        << "secondRow"
                                        << "lblY2scale";
    QTest::newRow("はなす stops at 7") << "Command7" << 8 << "7"
                                       << "7"
                                       << "secondRow"
                                       << "lblY2scale";
    QTest::newRow("つめる stops at -7") << "Command6" << 9 << "-7"
                                        << "-7"
                                        << "secondRow"
                                        << "lblY2scale";
}

void TestPrintPosition::steps() {
    QFETCH(QString, button);
    QFETCH(int, presses);
    QFETCH(QString, scale);
    QFETCH(QString, value);
    QFETCH(QString, field);
    QFETCH(QString, label);
    open();
    QCOMPARE(m_window->windowTitle(), QStringLiteral("印字位置調整"));
    press(qPrintable(button), presses);
    QCOMPARE(caption(qPrintable(label)), scale);
    const OffsetRecord &offsets = qobject_cast<PrintPositionWindow *>(m_window)->offsets();
    const QString stored = field == QLatin1String("x")   ? offsets.x
                           : field == QLatin1String("y") ? offsets.y
                                                         : offsets.secondRow;
    QCOMPARE(stored, value);
    const QPoint picture = child<QWidget>(m_window, "Image1")->pos();
    QCOMPARE(picture.x(), qRound(offsets.x.toDouble() / 15));
    QCOMPARE(picture.y(), qRound(offsets.y.toDouble() / 15));
}

void TestPrintPosition::okWithoutChangeRewritesSameValues() {
    writeBytes(m_desk->file("Nuvel.opt"), QByteArray("1460 , 900,-2\r\n"));
    open();
    press("Command5", 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.opt")), QByteArray("\"1460\",\"900\",\"-2\"\r\n"));
    QVERIFY(!m_window->isFormLoaded());
}

void TestPrintPosition::okHandsOffsetsToPrintWindow() {
    open();
    press("Command2", 3);
    press("Command4", 2);
    press("Command7", 1);
    press("Command5", 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.opt")), QByteArray("\"1500\",\"840\",\"1\"\r\n"));
    auto *print = m_desk->context.windows.get<PrintWindow>(WindowId::Print);
    QCOMPARE(print->settings().offsets.x, 3.0);
    QCOMPARE(print->settings().offsets.y, -2.0);
    QCOMPARE(print->settings().offsets.secondRow, 1.0);
}

void TestPrintPosition::closingOtherwiseDiscards() {
    open();
    press("Command1", 4);
    m_window->close();
    QVERIFY(!m_window->isFormLoaded());
    QCOMPARE(readBytes(m_desk->file("Nuvel.opt")), QByteArray("\"1440\",\"880\",\"0\"\r\n"));
}

void TestPrintPosition::missingFileIsNeutral() {
    QFile::remove(m_desk->file("Nuvel.opt"));
    open();
    QCOMPARE(caption("lblXscale"), QStringLiteral("0"));
    QCOMPARE(caption("lblYscale"), QStringLiteral("0"));
    QCOMPARE(caption("lblY2scale"), QStringLiteral("0"));
    press("Command5", 1);
    QCOMPARE(readBytes(m_desk->file("Nuvel.opt")), QByteArray("\"1440\",\"880\",\"0\"\r\n"));
}

QTEST_MAIN(TestPrintPosition)
#include "tst_printposition.moc"
