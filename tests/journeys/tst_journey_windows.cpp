// How the windows present themselves on the desktop: their titles as the
// window system has them, and where they open.
#include "journey.h"
#include "testmain.h"

#include <QLineEdit>
#include <QListView>
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
    void windowsShownAgainReadNoFile();
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

namespace {

const char *const TracedChild = "NVL_TRACED_CHILD";
const QString BeginMarker = QStringLiteral("/nvl-trace-marker-begin");
const QString EndMarker = QStringLiteral("/nvl-trace-marker-end");

// A failed open of a name that cannot exist: a mark in the trace.
void markTrace(const QString &marker) {
    QFile file(marker);
    QVERIFY(!file.open(QIODevice::ReadOnly));
}

// The editor, the list sheet and the reorder window, each opened from the
// main window and left ten times: the same windows every time, started
// afresh.
void showEachWindowTenTimes(Journey &journey) {
    QPointer<QWidget> firstEditor;
    QPointer<QWidget> firstDestination;
    for (int round = 0; round < 10; ++round) {
        QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録編集")));
        QWidget *editor = journey.window(WindowId::CardEditor);
        QVERIFY(editor);
        QWidget *back = controlNamed(editor, QStringLiteral("戻る"));
        if (round == 0) {
            firstEditor = back;
            // Option entry, left open: the next visit starts in line entry.
            QVERIFY(press(editor, QStringLiteral("オプション入力")));
        }
        QCOMPARE(back, firstEditor.data());
        QCOMPARE(controlNamed(editor, QStringLiteral("住所オプション入力")) != nullptr, round == 0);
        QVERIFY(press(editor, QStringLiteral("戻る")));
        QTRY_VERIFY(journey.mainWindow());

        QVERIFY(press(journey.mainWindow(), QStringLiteral("住所録一覧")));
        QWidget *sheet = nullptr;
        QTRY_VERIFY((sheet = journey.window(WindowId::ListSheet)));
        sheet->close();
        QTRY_VERIFY(journey.mainWindow());

        QVERIFY(press(journey.mainWindow(), QStringLiteral("順序入替")));
        QWidget *reorder = journey.window(WindowId::Reorder);
        QVERIFY(reorder);
        auto *list = reorder->findChild<QListView *>();
        QVERIFY(list && rowCount(list) == 3);
        QWidget *destination = controlNamed(reorder, QStringLiteral("挿入先の番号"));
        if (round == 0) {
            QVERIFY(!destination);
            clickRows(list, {1});
            QTRY_VERIFY((firstDestination = controlNamed(reorder, QStringLiteral("挿入先の番号"))));
        } else {
            // A record chosen on the last visit is not chosen now.
            QVERIFY(!destination);
            QVERIFY(firstDestination);
        }
        QVERIFY(press(reorder, QStringLiteral("戻る")));
        QTRY_VERIFY(journey.mainWindow());
    }
}

} // namespace

void TestJourneyWindows::windowsShownAgainReadNoFile() {
    if (qEnvironmentVariableIsSet(TracedChild)) {
        Journey journey;
        ModalAnswers answers;
        const QString book = journey.writeBook(QStringLiteral("handed-over.dat"), 3);
        journey.openBook(book, answers);
        QTRY_COMPARE(rowCount(bookList(journey.mainWindow())), 3);
        markTrace(BeginMarker);
        showEachWindowTenTimes(journey);
        markTrace(EndMarker);
        QCOMPARE(journey.bookNames(book), QStringList({"宛名1", "宛名2", "宛名3"}));
        QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        NVL_SKIP_UNLESS_CI("strace is not installed");
    // The same journey in a child under strace: which files it opens.
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("openat.log"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(TracedChild), QStringLiteral("1"));
    // LeakSanitizer cannot run under ptrace.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":detect_leaks=0"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral("strace"),
                {"-f", "-qq", "-e", "trace=openat", "-o", log,
                 QCoreApplication::applicationFilePath(), "windowsShownAgainReadNoFile"});
    QVERIFY(child.waitForFinished(120000));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAllStandardOutput().constData());
    QFile trace(log);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    QStringList before;
    QStringList during;
    int part = 0;
    while (!trace.atEnd()) {
        const QString line = QString::fromUtf8(trace.readLine()).trimmed();
        if (line.contains(BeginMarker) || line.contains(EndMarker))
            ++part;
        else if (part == 0)
            before.append(line);
        else if (part == 1)
            during.append(line);
    }
    QCOMPARE(part, 2);
    const auto opening = [](const QStringList &lines, const QString &name) {
        return lines.filter(QStringLiteral("/%1\"").arg(name));
    };
    // Open read the book; nothing after it reads the book or Nuvel.ini again.
    QVERIFY(!opening(before, QStringLiteral("handed-over.dat")).isEmpty());
    for (const QString &name : {QStringLiteral("handed-over.dat"), QStringLiteral("Nuvel.ini")})
        QVERIFY2(opening(during, name).isEmpty(), qPrintable(opening(during, name).join(u'\n')));
}

NVL_TEST_MAIN(TestJourneyWindows)
#include "tst_journey_windows.moc"
