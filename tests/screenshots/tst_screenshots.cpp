// Real windows under a real (virtual) X display, saved as pictures for a
// person to look at. Fails when a window cannot be shown.
#include "application.h"
#include "fakeplatform.h"
#include "fonts.h"
#include "formwindow.h"
#include "mainwindow.h"
#include "senderfile.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void mainWindowWithBook();
    void cardEditor();
    void printWindow();

private:
    void save(QWidget *window, const QString &name);
    QString m_outDir;
};

void TestScreenshots::initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "screenshots need a real X display (run under xvfb-run)");
    m_outDir = QDir::current().filePath(QStringLiteral("screenshots"));
    QDir().mkpath(m_outDir);
}

void TestScreenshots::save(QWidget *window, const QString &name) {
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTest::qWait(200);
    // What the picture shows: the whole window on the screen, and no caption
    // or button text cut off by its widget.
    const QRect screen = window->screen()->geometry();
    QVERIFY2(screen.contains(window->frameGeometry()),
             qPrintable(QStringLiteral("%1 runs off the screen").arg(name)));
    QVERIFY2(window->width() >= window->minimumSizeHint().width() &&
                 window->height() >= window->minimumSizeHint().height(),
             qPrintable(QStringLiteral("%1 is smaller than its contents").arg(name)));
    QStringList clipped;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->width() <= 0)
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->wordWrap())
            text = label->text();
        else if (auto *button = qobject_cast<QPushButton *>(w))
            text = button->text();
        if (text.isEmpty() || text.contains(u'\r') || text.contains(u'\n'))
            continue;
        const int needed = w->fontMetrics().horizontalAdvance(QString(text).remove(u'&'));
        const int room =
            qobject_cast<QPushButton *>(w) ? w->width() - 4 : w->contentsRect().width();
        if (needed > room)
            clipped.append(QStringLiteral("%1 (%2 > %3 px)").arg(text).arg(needed).arg(room));
    }
    QVERIFY2(clipped.isEmpty(), qPrintable(name + QStringLiteral(": ") + clipped.join(u',')));
    const QPixmap shot = window->grab();
    QVERIFY(!shot.isNull());
    QCOMPARE(shot.size(), window->size() * shot.devicePixelRatio());
    const QString path = QDir(m_outDir).filePath(name);
    QVERIFY(shot.save(path));
    qInfo("saved %s", qPrintable(path));
}

void TestScreenshots::mainWindowWithBook() {
    FakeDesktop desk;
    registerWindows(desk.context);
    const QString book = desk.file(QStringLiteral("住所録.dat"));
    writeBytes(
        book,
        cp932(QStringLiteral(
            "\"山田 太郎\",\"東京都千代田区丸の内\",\"一丁目2-3\",\"100-0005\",\"\",\"0\",\"\"\r\n"
            "\"山田商事\",\"大阪府大阪市北区梅田\",\"3-1-1\",\"530-0001\",\"\",\"2\",\"\"\r\n"
            "\"佐藤 花子\",\"福岡県小郡市大保\",\"1-2\",\"838-0106\",\"\",\"0\",\"\"\r\n")));
    auto *main = desk.context.windows.get<MainWindow>(WindowId::Main);
    main->showForm();
    desk.fileDialogs.openAnswers.push_back(book);
    child<QAbstractButton>(main, "cmdOpen")->click();
    QListView *names = child<QListView>(main, "lstSet1");
    QCOMPARE(rowCount(names), 3);
    selectRows(names, {1});
    child<QAbstractButton>(main, "cmdAdd")->click();
    save(main, QStringLiteral("main-window.png"));

    child<QAction>(main, "mnuVer")->trigger();
    FormWindow *about = desk.context.windows.window(WindowId::About);
    save(about, QStringLiteral("version-box.png"));
    child<QAbstractButton>(about, "cmdOK")->click();

    child<QAbstractButton>(main, "cmdView")->click();
    save(desk.context.windows.window(WindowId::ListSheet), QStringLiteral("list-sheet.png"));
}

void TestScreenshots::cardEditor() {
    FakeDesktop desk;
    registerWindows(desk.context);
    const QString book = desk.file(QStringLiteral("住所録.dat"));
    writeBytes(book, cp932(QStringLiteral("\"山田 "
                                          "太郎\",\"東京都千代田区丸の内\",\"一丁目2-3\",\"100-"
                                          "0005\",\"A1\",\"0\",\"ＮＶＬビル\"\r\n")));
    writeBytes(desk.file(QStringLiteral("Nuvel.ini")),
               cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(book)));
    desk.context.readRememberedBook();
    QVERIFY(desk.context.book.load(book).ok()); // opened in the main window
    FormWindow *editor = desk.context.windows.window(WindowId::CardEditor);
    editor->showForm();
    // The picture is of the book's card, not of an empty form.
    QCOMPARE(child<QLineEdit>(editor, "txtName")->text(), QStringLiteral("山田 太郎"));
    QCOMPARE(child<QLineEdit>(editor, "txtAdd1")->text(), QStringLiteral("東京都千代田区丸の内"));
    QCOMPARE(child<QLineEdit>(editor, "txtAdd3")->text(), QStringLiteral("ＮＶＬビル"));
    save(editor, QStringLiteral("card-editor.png"));
    child<QAbstractButton>(editor, "cmdOp")->click();
    // Option entry's one-line box stands where the two address lines were.
    QVERIFY(child<QLineEdit>(editor, "txtNewadd")->isVisible());
    QVERIFY(child<QWidget>(editor, "Frame1")->isVisible());
    QVERIFY(!child<QLineEdit>(editor, "txtAdd1")->isVisible());
    QVERIFY(!child<QLineEdit>(editor, "txtAdd2")->isVisible());
    save(editor, QStringLiteral("card-editor-option-entry.png"));
}

void TestScreenshots::printWindow() {
    FakeDesktop desk;
    registerWindows(desk.context);
    SenderTable senders;
    senders[0] = {QStringLiteral("530-0001"), QStringLiteral("大阪府大阪市北区梅田1-1"),
                  QStringLiteral("梅田ビル 5F"), QStringLiteral("佐藤 一郎")};
    QVERIFY(writeSenderFile(desk.file(QStringLiteral("Wolt.tds")), senders).ok);
    const QString book = desk.file(QStringLiteral("住所録.dat"));
    writeBytes(book, cp932(QStringLiteral("\"山田商事\",\"東京都千代田区丸の内\",\"一丁目2-3\","
                                          "\"100-0005\",\"A1\",\"2\",\"ＮＶＬビル 3F\"\r\n")));
    auto *main = desk.context.windows.get<MainWindow>(WindowId::Main);
    main->showForm();
    desk.fileDialogs.openAnswers.push_back(book);
    child<QAbstractButton>(main, "cmdOpen")->click();
    child<QListView>(main, "lstSet1")->selectAll();
    child<QAbstractButton>(main, "cmdAdd")->click();
    child<QAbstractButton>(main, "cmdPrint")->click();
    FormWindow *print = desk.context.windows.window(WindowId::Print);
    save(print, QStringLiteral("print-window.png"));

    // Written downwards on a real postcard: the name is painted down the
    // card's centre line, where the horizontal card is blank between its
    // code line and the sender block.
    auto *card = child<QWidget>(print, "picCard");
    const auto inkInNameColumn = [card] {
        const QImage image = card->grab().toImage();
        const double pxPerMm = image.width() / 100.0;
        int dark = 0;
        for (int y = int(72 * pxPerMm); y < int(110 * pxPerMm); ++y)
            for (int x = int(46 * pxPerMm); x < int(54 * pxPerMm); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    };
    child<QAbstractButton>(print, "optPaperHagaki")->click();
    QCOMPARE(inkInNameColumn(), 0);
    child<QAbstractButton>(print, "optVertical")->click();
    QVERIFY(inkInNameColumn() > 50);
    QVERIFY(card->findChildren<QLabel *>().isEmpty());
    save(print, QStringLiteral("print-window-vertical.png"));
    child<QAbstractButton>(print, "optHorizontal")->click();
    child<QAbstractButton>(print, "optPaperA4")->click();

    child<QAbstractButton>(print, "Command2")->click();
    save(desk.context.windows.window(WindowId::PrintPosition),
         QStringLiteral("print-position-window.png"));
    child<QAbstractButton>(print, "Command6")->click();
    save(desk.context.windows.window(WindowId::Sender), QStringLiteral("sender-window.png"));

    desk.printer.fonts = {QStringLiteral("IPAMincho"), QStringLiteral("IPAGothic")};
    child<QAbstractButton>(print, "Command1")->click();
    FormWindow *font = desk.context.windows.window(WindowId::Font);
    QTRY_COMPARE(font->windowTitle(), QStringLiteral("Font"));
    auto *list = child<QListWidget>(font, "List1");
    emit list->itemDoubleClicked(list->item(1));
    child<QAbstractButton>(font, "cmdApl")->click();
    save(font, QStringLiteral("font-window.png"));
}

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
