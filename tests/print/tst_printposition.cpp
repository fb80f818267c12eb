#include "printfixture.h"

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
            m_window->control<QAbstractButton>(name)->click();
    }
    QString caption(const char *name) { return m_window->control<QLabel>(name)->text(); }

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
    openPrintWindow(*m_desk, labels(2))->control<QAbstractButton>("Command2")->click();
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
                                  << "txtXpoint"
                                  << "lblXscale";
    QTest::newRow("＜ eleven times stops") << "Command1" << 11 << "-10"
                                           << "1240"
                                           << "txtXpoint"
                                           << "lblXscale";
    QTest::newRow("＞ stops at 1640") << "Command2" << 12 << "10"
                                      << "1640"
                                      << "txtXpoint"
                                      << "lblXscale";
    QTest::newRow("∨ ten times") << "Command3" << 10 << "10"
                                 << "1080"
                                 << "txtYpoint"
                                 << "lblYscale";
    QTest::newRow("∧ stops at 680") << "Command4" << 15 << "-10"
                                    << "680"
                                    << "txtYpoint"
                                    << "lblYscale";
    QTest::newRow("はなす seven times") << "Command7" << 7 << "7"
                                        << "7"
                                        << "txtY2point"
                                        << "lblY2scale";
    QTest::newRow("はなす stops at 7") << "Command7" << 8 << "7"
                                       << "7"
                                       << "txtY2point"
                                       << "lblY2scale";
    QTest::newRow("つめる stops at -7") << "Command6" << 9 << "-7"
                                        << "-7"
                                        << "txtY2point"
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
    QCOMPARE(m_window->control<QLineEdit>(qPrintable(field))->text(), value);
    const QPoint picture = m_window->control<QWidget>("Image1")->pos();
    QCOMPARE(picture.x(),
             qRound(m_window->control<QLineEdit>("txtXpoint")->text().toDouble() / 15));
    QCOMPARE(picture.y(),
             qRound(m_window->control<QLineEdit>("txtYpoint")->text().toDouble() / 15));
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
    QCOMPARE(print->settings().xSteps, QStringLiteral("3"));
    QCOMPARE(print->settings().ySteps, QStringLiteral("-2"));
    QCOMPARE(print->settings().secondRow, QStringLiteral("1"));
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
