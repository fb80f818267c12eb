// The real platform services, with real Qt dialogs answered the way a user
// answers them: buttons pressed by their visible text, Escape, the close box.
#include "desktopprogram.h"
#include "fakeplatform.h"
#include "privatecups.h"
#include "sourcetexttranslator.h"
#include "testmain.h"
#include "userdriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrinter>
#include <QTextBrowser>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

Q_DECLARE_METATYPE(nvl::MessageButtons)
Q_DECLARE_METATYPE(nvl::MessageAnswer)

class TestQtServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void messageAnswers_data();
    void messageAnswers();
    void openDialog();
    void openDialogCancelled();
    void saveDialogAsksBeforeOverwriting_data();
    void saveDialogAsksBeforeOverwriting();
    void printerDialog_data();
    void printerDialog();
    void messageBoxFitsItsText();
    void translationsFillQtsGaps();
    void dialogsSpeakJapanese();
    void helpPages_data();
    void helpPages();
    void homePage();

private:
    PrivateCups m_cups;
    QString m_cupsMissing;
};

void TestQtServices::initTestCase() {
    prepareApplication(*qApp);
    if (!m_cups.start(&m_cupsMissing))
        qWarning("printer tests will be skipped: %s", qPrintable(m_cupsMissing));
}

void TestQtServices::messageAnswers_data() {
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<QStringList>("shownButtons");
    QTest::addColumn<QString>("userAction");
    QTest::addColumn<MessageAnswer>("expected");
    const QStringList ok{QStringLiteral("OK")};
    const QStringList okCancel{QStringLiteral("OK"), QStringLiteral("キャンセル")};
    const QStringList yesNo{QStringLiteral("はい"), QStringLiteral("いいえ")};
    QTest::newRow("OK: OK") << MessageButtons::Ok << ok << "OK" << MessageAnswer::Ok;
    QTest::newRow("OK: Escape") << MessageButtons::Ok << ok << "Escape" << MessageAnswer::Ok;
    QTest::newRow("OK: close box") << MessageButtons::Ok << ok << "close" << MessageAnswer::Ok;
    QTest::newRow("OK/Cancel: OK")
        << MessageButtons::OkCancel << okCancel << "OK" << MessageAnswer::Ok;
    QTest::newRow("OK/Cancel: キャンセル")
        << MessageButtons::OkCancel << okCancel << "キャンセル" << MessageAnswer::Cancel;
    QTest::newRow("OK/Cancel: Escape")
        << MessageButtons::OkCancel << okCancel << "Escape" << MessageAnswer::Cancel;
    QTest::newRow("OK/Cancel: close box")
        << MessageButtons::OkCancel << okCancel << "close" << MessageAnswer::Cancel;
    QTest::newRow("Yes/No: はい") << MessageButtons::YesNo << yesNo << "はい" << MessageAnswer::Yes;
    QTest::newRow("Yes/No: いいえ")
        << MessageButtons::YesNo << yesNo << "いいえ" << MessageAnswer::No;
    QTest::newRow("Yes/No: Escape")
        << MessageButtons::YesNo << yesNo << "Escape" << MessageAnswer::No;
    QTest::newRow("Yes/No: close box")
        << MessageButtons::YesNo << yesNo << "close" << MessageAnswer::No;
    const QStringList yesNoCancel{QStringLiteral("はい"), QStringLiteral("いいえ"),
                                  QStringLiteral("キャンセル")};
    QTest::newRow("Yes/No/Cancel: はい")
        << MessageButtons::YesNoCancel << yesNoCancel << "はい" << MessageAnswer::Yes;
    QTest::newRow("Yes/No/Cancel: いいえ")
        << MessageButtons::YesNoCancel << yesNoCancel << "いいえ" << MessageAnswer::No;
    QTest::newRow("Yes/No/Cancel: キャンセル")
        << MessageButtons::YesNoCancel << yesNoCancel << "キャンセル" << MessageAnswer::Cancel;
    QTest::newRow("Yes/No/Cancel: Escape")
        << MessageButtons::YesNoCancel << yesNoCancel << "Escape" << MessageAnswer::Cancel;
    QTest::newRow("Yes/No/Cancel: close box")
        << MessageButtons::YesNoCancel << yesNoCancel << "close" << MessageAnswer::Cancel;
}

void TestQtServices::messageAnswers() {
    QFETCH(MessageButtons, buttons);
    QFETCH(QStringList, shownButtons);
    QFETCH(QString, userAction);
    QFETCH(MessageAnswer, expected);

    QStringList seenButtons;
    const auto look = [&seenButtons](QWidget *dialog) {
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            if (button->isVisible())
                seenButtons.append(visibleText(button->text()));
    };
    const ModalAnswers::Action act = userAction == QLatin1String("Escape") ? pressEscape()
                                     : userAction == QLatin1String("close")
                                         ? closeWindow()
                                         : pressButton(userAction);
    ModalAnswers answers;
    answers.then(inspectThen(look, act));
    QtMessageService messages;
    const MessageAnswer answer =
        messages.show(QStringLiteral("このカードを削除します。"), buttons, QStringLiteral("題"));
    QCOMPARE(answer, expected);
    QCOMPARE(answers.seen.size(), 1);
    QCOMPARE(answers.seen.first().className, QStringLiteral("QMessageBox"));
    QCOMPARE(answers.seen.first().title, QStringLiteral("題"));
    QCOMPARE(answers.seen.first().text, QStringLiteral("このカードを削除します。"));
    seenButtons.sort();
    shownButtons.sort();
    QCOMPARE(seenButtons, shownButtons);
}

namespace {

const QString BookFilter = QStringLiteral("データファイル(*.dat)|*.dat|CSVファイル(*.csv)|*.csv");

} // namespace

void TestQtServices::openDialog() {
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("book.dat"));
    writeBytes(book, "\"a\"\r\n");
    QString folder, title;
    QStringList filters;
    ModalAnswers answers;
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            auto *files = qobject_cast<QFileDialog *>(dialog);
            QVERIFY(files);
            folder = files->directory().absolutePath();
            filters = files->nameFilters();
            title = files->windowTitle();
        },
        typeFileNameAndPress(QStringLiteral("book.dat"), QStringLiteral("開く"))));
    QtFileDialogService service;
    const QString chosen = service.open({dir.path(), BookFilter, QString(), false});
    QCOMPARE(chosen, book);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(title, QStringLiteral("ファイルを開く"));
    QCOMPARE(filters, (QStringList{QStringLiteral("データファイル(*.dat)"),
                                   QStringLiteral("CSVファイル(*.csv)")}));
    QVERIFY(answers.unexpected.isEmpty());
}

void TestQtServices::openDialogCancelled() {
    QTemporaryDir dir;
    for (const ModalAnswers::Action &cancel :
         {pressButton(QStringLiteral("キャンセル")), pressEscape(), closeWindow()}) {
        ModalAnswers answers;
        answers.then(cancel);
        QtFileDialogService service;
        QCOMPARE(service.open({dir.path(), BookFilter, QString(), false}), QString());
        QVERIFY(answers.allAnswered());
    }
}

void TestQtServices::saveDialogAsksBeforeOverwriting_data() {
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("asks, はい") << true << QStringLiteral("はい") << true;
    QTest::newRow("asks, いいえ keeps the dialog open")
        << true << QStringLiteral("いいえ") << false;
    QTest::newRow("never asks") << false << QString() << true;
}

void TestQtServices::saveDialogAsksBeforeOverwriting() {
    QFETCH(bool, confirm);
    QFETCH(QString, answer);
    QFETCH(bool, chosen);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("old.dat"));
    writeBytes(existing, "\"keep\"\r\n");
    QString title;
    ModalAnswers answers;
    answers.then(
        inspectThen([&title](QWidget *dialog) { title = dialog->windowTitle(); },
                    typeFileNameAndPress(QStringLiteral("old.dat"), QStringLiteral("保存"))));
    if (confirm) {
        answers.then(pressButton(answer));
        // After いいえ the file dialog is back, and the user gives up.
        if (!chosen)
            answers.then(pressButton(QStringLiteral("キャンセル")));
    }
    QtFileDialogService service;
    const QString result = service.save({dir.path(), BookFilter, QString(), confirm});
    QCOMPARE(result, chosen ? existing : QString());
    QCOMPARE(title, QStringLiteral("名前をつけて保存"));
    QVERIFY(answers.allAnswered());
    QVERIFY(answers.unexpected.isEmpty());
    if (confirm)
        QCOMPARE(answers.messageTexts().size(), 1);
    QCOMPARE(readBytes(existing), QByteArray("\"keep\"\r\n"));
}

void TestQtServices::printerDialog_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("印刷") << QStringLiteral("印刷") << true;
    QTest::newRow("キャンセル") << QStringLiteral("キャンセル") << false;
}

void TestQtServices::printerDialog() {
    QFETCH(QString, button);
    QFETCH(bool, accepted);
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QStringList printers;
    bool rangeOffered = true;
    ModalAnswers answers;
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            // The user opens the options too, to look for a page range.
            if (QAbstractButton *more = buttonNamed(dialog, QStringLiteral("オプション >>")))
                more->click();
            auto *list = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            QVERIFY(list);
            for (int i = 0; i < list->count(); ++i)
                printers.append(list->itemText(i));
            rangeOffered = false;
            for (QWidget *w : dialog->findChildren<QWidget *>())
                if (w->isVisible() && (w->objectName() == QLatin1String("printRange") ||
                                       w->objectName() == QLatin1String("pagesRadioButton") ||
                                       w->objectName() == QLatin1String("printSelection")))
                    rangeOffered = true;
        },
        choosePrinterAndPress(PrivateCups::queueName(), button)));
    QPrinter printer(QPrinter::HighResolution);
    QtPrinterDialogService service;
    QCOMPARE(service.choose(printer), accepted);
    // Only real printers: printing to a file is not offered.
    QCOMPARE(printers, QStringList{PrivateCups::queueName()});
    QVERIFY(!rangeOffered);
    if (accepted) {
        QCOMPARE(printer.printerName(), PrivateCups::queueName());
        QCOMPARE(printer.outputFormat(), QPrinter::NativeFormat);
    }
}

void TestQtServices::messageBoxFitsItsText() {
    const QString text = QStringLiteral("ファイル「/home/user/documents/addresses/2027/"
                                        "nenga-friends-and-family.dat」に書き込めません。"
                                        "\nディスクの空き容量が足りません。");
    QString shown;
    bool wrapped = true;
    ModalAnswers answers;
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QVERIFY(box);
            shown = box->text();
            for (QLabel *label : box->findChildren<QLabel *>())
                if (label->text() == shown)
                    wrapped = label->wordWrap() &&
                              label->heightForWidth(label->width()) >
                                  label->fontMetrics().lineSpacing() * (shown.count(u'\n') + 1) + 4;
        },
        pressButton(QStringLiteral("OK"))));
    QtMessageService messages;
    messages.show(text, MessageButtons::Ok, ProgramTitle);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    // The same words, broken where Japanese breaks, and not wrapped again.
    QCOMPARE(QString(shown).remove(u'\n'), QString(text).remove(u'\n'));
    QVERIFY2(!wrapped, qPrintable(shown));
    for (const QString &line : shown.split(u'\n'))
        QVERIFY2(line.size() > 3, qPrintable(shown));
}

void TestQtServices::translationsFillQtsGaps() {
    // Strings Qt's catalogue lacks come from the program's own file...
    QCOMPARE(QCoreApplication::translate("QPrintSettingsOutput", "Pages"),
             QStringLiteral("ページ指定"));
    QCOMPARE(QCoreApplication::translate("QPrintDialog", "Double Sided Printing"),
             QStringLiteral("両面印刷"));
    // ...while Qt's own translations stay Qt's.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Folder"), QStringLiteral("フォルダ"));
    // A file that is not a translation file is refused.
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.ts"));
    writeBytes(broken, QByteArray("<TS><context><message><source>a</source>"));
    SourceTextTranslator translator;
    QVERIFY(!translator.loadTs(broken));
    QVERIFY(!translator.loadTs(dir.filePath(QStringLiteral("missing.ts"))));
}

void TestQtServices::dialogsSpeakJapanese() {
    if (!m_cupsMissing.isEmpty())
        NVL_SKIP_UNLESS_CI(m_cupsMissing);
    QStringList printerTexts, fileTexts;
    const QString home = QDir::home().dirName();
    ModalAnswers answers;
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            if (QAbstractButton *more = buttonNamed(dialog, QStringLiteral("オプション >>")))
                more->click();
            QTest::qWait(200);
            printerTexts = latinTexts(dialog);
        },
        pressButton(QStringLiteral("キャンセル"))));
    QPrinter printer(QPrinter::HighResolution);
    QtPrinterDialogService printers;
    printers.choose(printer);

    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("住所録"));
    writeBytes(dir.filePath(QStringLiteral("book.dat")), QByteArray(2048, 'x'));
    answers.then(inspectThen(
        [&](QWidget *dialog) {
            QTest::qWait(500); // the file list fills in the background
            fileTexts = latinTexts(dialog);
        },
        pressButton(QStringLiteral("キャンセル"))));
    QtFileDialogService files;
    files.open({dir.path(), QStringLiteral("データファイル(*.dat)|*.dat"), QString(), false});
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    // The queue's name and make, the file's name and its extension are not
    // words to translate.
    const QStringList own = {PrivateCups::queueName(), QStringLiteral("Local Raw Printer"),
                             QStringLiteral("book.dat"), QStringLiteral("データファイル(*.dat)")};
    for (const QString &text : own) {
        printerTexts.removeAll(text);
        fileTexts.removeAll(text);
    }
    fileTexts.removeIf([&dir, &home](const QString &text) {
        // Paths, and sizes with their units (KiB), are not words.
        static const QRegularExpression size(QStringLiteral("^[0-9.,]+ [KMG]?i?B$"));
        return text.startsWith(dir.path()) || text == home || size.match(text).hasMatch();
    });
    QVERIFY2(printerTexts.isEmpty(), qPrintable(printerTexts.join(QStringLiteral(" | "))));
    QVERIFY2(fileTexts.isEmpty(), qPrintable(fileTexts.join(QStringLiteral(" | "))));
}

void TestQtServices::helpPages_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("context");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("heading");
    QTest::newRow("contents") << int(HelpCommand::Contents) << 0 << "contents.html"
                              << QStringLiteral("ＮＶＬはがき宛名プリント ヘルプ");
    QTest::newRow("print window") << int(HelpCommand::Topic) << 8 << "context-8.html"
                                  << QStringLiteral("印刷画面（印刷フォーマット）");
    QTest::newRow("font window") << int(HelpCommand::Topic) << 9 << "context-9.html"
                                 << QStringLiteral("フォント選択");
    QTest::newRow("list sheet") << int(HelpCommand::Topic) << 12 << "context-12.html"
                                << QStringLiteral("住所一覧");
    QTest::newRow("card editor") << int(HelpCommand::Topic) << 26 << "context-26.html"
                                 << QStringLiteral("住所録編集");
    QTest::newRow("unknown topic") << int(HelpCommand::Topic) << 99 << "contents.html"
                                   << QStringLiteral("ＮＶＬはがき宛名プリント ヘルプ");
}

void TestQtServices::helpPages() {
    QFETCH(int, command);
    QFETCH(int, context);
    QFETCH(QString, page);
    QFETCH(QString, heading);
    QtHelpService help;
    help.show(QStringLiteral("Nuvelk.hlp"), static_cast<HelpCommand>(command), context);
    QWidget *window = windowTitled(QStringLiteral("ヘルプ"));
    QVERIFY(window);
    auto *browser = qobject_cast<QTextBrowser *>(window);
    QVERIFY(browser);
    QVERIFY(browser->source().toString().endsWith(page));
    QCOMPARE(browser->documentTitle(), heading);
    QVERIFY(!browser->toPlainText().trimmed().isEmpty());
}

void TestQtServices::homePage() {
    BrowserLauncherStandIn launcher;
    QtShellService shell;
    QVERIFY(shell.openUrl(QStringLiteral("https://nvl-hagaki.example.org/")));
    QTRY_COMPARE_WITH_TIMEOUT(launcher.opened(), QByteArray("https://nvl-hagaki.example.org/"),
                              10000);
}

// As main() starts the program: the Japanese locale is asked for before
// the application exists, whatever the test machine's language.
int main(int argc, char *argv[]) {
    nvl::test::isolateUserSettings();
    preferJapaneseLocale();
    QApplication app(argc, argv);
    TestQtServices test;
    return nvl::test::runTests(test, argc, argv);
}
#include "tst_qtservices.moc"
