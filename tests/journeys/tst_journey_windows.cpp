// How the windows present themselves on the desktop: their titles as the
// window system has them, and where they open.
#include "journey.h"
#include "testmain.h"

#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTextBrowser>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void titlesAreTheirCaptions();
    void windowsOpenCentred();
};

namespace {

// The title the window manager shows, read back from the X server.
QString systemTitle(const QWidget *window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("(xprop did not answer)");
    // _NET_WM_NAME(UTF8_STRING) = "title"
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype quote = line.indexOf(u'"');
    return quote < 0 ? line : line.mid(quote + 1).chopped(1);
}

QAction *menuEntry(QWidget *window, const QString &entry) {
    for (QAction *top : window->findChild<QMenuBar *>()->actions()) {
        for (QAction *action : top->menu()->actions())
            if (visibleText(action->text()) == entry)
                return action;
    }
    return nullptr;
}

// Where a window of that size stands when centred on the screen.
QPoint centred(QSize size) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    return {(screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2};
}

} // namespace

void TestJourneyWindows::titlesAreTheirCaptions() {
    if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        NVL_SKIP_UNLESS_CI("xprop (x11-utils) is not installed");
    Journey journey;
    QTRY_COMPARE(systemTitle(journey.mainWindow()), QStringLiteral("NVL  ﾊｶﾞｷ  Print"));
    ModalAnswers answers;
    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 3), answers);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録編集")));
    QWidget *editor = journey.window(WindowId::CardEditor);
    QVERIFY(editor);
    QTRY_COMPARE(systemTitle(editor), editor->windowTitle());
    QVERIFY(editor->windowTitle().startsWith(QStringLiteral("住所録　　")));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyWindows::windowsOpenCentred() {
    Journey journey;
    // The version box, filled after loading, is centred at its final size.
    QAction *version = menuEntry(journey.mainWindow(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(version);
    QRect box;
    ModalAnswers answers;
    answers.then(inspectThen([&box](QWidget *dialog) { box = dialog->geometry(); },
                             pressButton(QStringLiteral("OK"))));
    QTimer::singleShot(0, version, &QAction::trigger);
    QTRY_VERIFY(answers.allAnswered() && box.isValid());
    QVERIFY2((box.topLeft() - centred(box.size())).manhattanLength() <= 2,
             qPrintable(QStringLiteral("at %1,%2 size %3x%4")
                            .arg(box.x())
                            .arg(box.y())
                            .arg(box.width())
                            .arg(box.height())));

    // The help window opens centred, not over the main window's menu.
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ヘルプ")));
    QWidget *help = nullptr;
    QTRY_VERIFY((help = windowTitled(QStringLiteral("ヘルプ"))));
    QVERIFY((help->geometry().topLeft() - centred(help->size())).manhattanLength() <= 2);
    help->close();
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

NVL_TEST_MAIN(TestJourneyWindows)
#include "tst_journey_windows.moc"
