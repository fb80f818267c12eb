#include "cardview.h"
#include "fonts.h"
#include "fontwindow.h"
#include "pdftools.h"
#include "printfixture.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestSenderFont : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void init();
    void cleanup() { m_desk.reset(); }

    void senderNavigationStopsAtThree();
    void returnWithoutRegisterKeepsFile();
    void registeredEditReachesFileAndPrintWindow();
    void fourthEntryKeptAndSelectable();
    void unwritableFileKeepsWindowOpen();
    void closingOtherwiseDiscards();
    void damagedFileReplacedOnlyWhenAgreed_data();
    void damagedFileReplacedOnlyWhenAgreed();

    void fontListLeavesOutVerticalNames();
    void doubleClicksAndSample();
    void okWithoutChoice();
    void cancelChangesNothing();
    void okAppliesFontToTextNotBoxes();
    void chosenFontIsPrinted();
    void missingFontPrintsInMincho();

private:
    FormWindow *openSender();
    FormWindow *openFont(const QStringList &fonts);
    QLabel *printLabel(const char *name) { return child<QLabel>(m_print, name); }
    CardView *card() { return m_print->findChild<CardView *>(); }
    bool cardShows(const QString &text) { return card()->texts().contains(text); }
    // The fonts of what the card draws: the seven digits first, then the lines.
    QStringList cardFonts() {
        card()->texts();
        QStringList fonts;
        for (const CardView::Drawn &item : card()->drawn())
            fonts.append(item.font);
        return fonts;
    }

    std::unique_ptr<FakeDesktop> m_desk;
    PrintWindow *m_print = nullptr;
    QByteArray m_senderBytes;
};

void TestSenderFont::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    // Written by hand: odd spacing in the fourth line must survive.
    m_senderBytes = cp932(QStringLiteral("\"100-0001\",\"東京都千代田区1-1\",\"\",\"一番\"\r\n"
                                         "\"200-0002\",\"横浜市\",\"中区\",\"二番\"\r\n"
                                         "\"300-0003\",\"\",\"\",\"三番\"\r\n"
                                         "\"400-0004\",\"四番地, 4F\",\"\",\"四番\"\r\n"));
    writeBytes(m_desk->file("Wolt.tds"), m_senderBytes);
    m_print = openPrintWindow(*m_desk, labels(2));
}

FormWindow *TestSenderFont::openSender() {
    child<QAbstractButton>(m_print, "Command6")->click();
    FormWindow *window = m_desk->context.windows.existing(WindowId::Sender);
    return window && window->isVisible() ? window : nullptr;
}

FormWindow *TestSenderFont::openFont(const QStringList &fonts) {
    m_desk->printer.fonts = fonts;
    child<QAbstractButton>(m_print, "Command1")->click();
    FormWindow *window = m_desk->context.windows.existing(WindowId::Font);
    // Null when the list never finished filling.
    if (!window ||
        !QTest::qWaitFor([window] { return window->windowTitle() == QLatin1String("Font"); }))
        return nullptr;
    return window;
}

void TestSenderFont::senderNavigationStopsAtThree() {
    FormWindow *sender = openSender();
    QVERIFY(sender);
    QCOMPARE(sender->windowTitle(), QStringLiteral("差出人データ"));
    QCOMPARE(child<QLabel>(sender, "lblTx")->text(), QStringLiteral("1/ 3 "));
    for (int i = 0; i < 4; ++i)
        child<QAbstractButton>(sender, "Command4")->click();
    QCOMPARE(child<QLabel>(sender, "lblTx")->text(), QStringLiteral("3/ 3 "));
    QCOMPARE(child<QLineEdit>(sender, "txtNmtx")->text(), QStringLiteral("三番"));
    child<QAbstractButton>(sender, "Command3")->click();
    QCOMPARE(child<QLabel>(sender, "lblTx")->text(), QStringLiteral("2/ 3 "));
    QCOMPARE(child<QLineEdit>(sender, "txtAdd2tx")->text(), QStringLiteral("中区"));
}

void TestSenderFont::returnWithoutRegisterKeepsFile() {
    FormWindow *sender = openSender();
    child<QLineEdit>(sender, "txtNmtx")->setText(QStringLiteral("書いたが登録せず"));
    child<QAbstractButton>(sender, "Command4")->click();
    child<QAbstractButton>(sender, "Command2")->click();
    QVERIFY(!sender->isFormLoaded());
    QCOMPARE(readBytes(m_desk->file("Wolt.tds")), m_senderBytes);
}

void TestSenderFont::registeredEditReachesFileAndPrintWindow() {
    child<QAbstractButton>(m_print, "Command5")->click();
    QCOMPARE(printLabel("lbltx")->text(), QStringLiteral("2/ 4 "));
    FormWindow *sender = openSender();
    child<QLineEdit>(sender, "txtNmtx")->setText(QStringLiteral("新しい名前"));
    child<QAbstractButton>(sender, "cmdTxRec")->click();
    child<QAbstractButton>(sender, "Command2")->click();
    QCOMPARE(readSenderFile(m_desk->file("Wolt.tds"))[0].name, QStringLiteral("新しい名前"));
    QCOMPARE(printLabel("lbltx")->text(), QStringLiteral("1/ 4 "));
    QVERIFY(cardShows(QStringLiteral("新しい名前")));
}

void TestSenderFont::fourthEntryKeptAndSelectable() {
    FormWindow *sender = openSender();
    child<QLineEdit>(sender, "txtZiptx")->setText(QStringLiteral("999-9999"));
    child<QAbstractButton>(sender, "cmdTxRec")->click();
    child<QAbstractButton>(sender, "Command2")->click();
    const QByteArray written = readBytes(m_desk->file("Wolt.tds"));
    const QByteArray fourthLine = m_senderBytes.mid(m_senderBytes.lastIndexOf("\"400-0004\""));
    QVERIFY(written.endsWith(fourthLine));
    for (int i = 0; i < 3; ++i)
        child<QAbstractButton>(m_print, "Command5")->click();
    QCOMPARE(printLabel("lbltx")->text(), QStringLiteral("4/ 4 "));
    QVERIFY(cardShows(QStringLiteral("四番地, 4F")));
}

void TestSenderFont::unwritableFileKeepsWindowOpen() {
    FormWindow *sender = openSender();
    child<QLineEdit>(sender, "txtNmtx")->setText(QStringLiteral("保存したい"));
    child<QAbstractButton>(sender, "cmdTxRec")->click();
    QFile::setPermissions(m_desk->file("Wolt.tds"), QFile::ReadOwner);
    child<QAbstractButton>(sender, "Command2")->click();
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(QStringLiteral("Wolt.tds")));
    QVERIFY(sender->isFormLoaded());
    QCOMPARE(child<QLineEdit>(sender, "txtNmtx")->text(), QStringLiteral("保存したい"));
    QCOMPARE(readBytes(m_desk->file("Wolt.tds")), m_senderBytes);
    QFile::setPermissions(m_desk->file("Wolt.tds"), QFile::ReadOwner | QFile::WriteOwner);
    child<QAbstractButton>(sender, "Command2")->click();
    QVERIFY(!sender->isFormLoaded());
    QCOMPARE(readSenderFile(m_desk->file("Wolt.tds"))[0].name, QStringLiteral("保存したい"));
}

void TestSenderFont::damagedFileReplacedOnlyWhenAgreed_data() {
    QTest::addColumn<bool>("agree");
    QTest::newRow("はい: replaced") << true;
    QTest::newRow("いいえ: kept, window stays") << false;
}

void TestSenderFont::damagedFileReplacedOnlyWhenAgreed() {
    QFETCH(bool, agree);
    // A byte that is no text in entry 3's name.
    QByteArray damaged = m_senderBytes;
    damaged.replace(cp932(QStringLiteral("三番")), QByteArray("\x82\xff"));
    writeBytes(m_desk->file("Wolt.tds"), damaged);
    FormWindow *sender = openSender();
    QCOMPARE(m_desk->messages.shown.size(), 1); // the damage is named on opening
    QVERIFY(m_desk->messages.shown.first().text.contains(m_desk->file("Wolt.tds")));
    QCOMPARE(child<QLineEdit>(sender, "txtNmtx")->text(), QStringLiteral("一番"));
    m_desk->messages.answers = {agree ? MessageAnswer::Yes : MessageAnswer::No};
    child<QAbstractButton>(sender, "Command2")->click();
    QCOMPARE(m_desk->messages.shown.size(), 2);
    QCOMPARE(m_desk->messages.shown.last().buttons, MessageButtons::YesNo);
    QCOMPARE(sender->isFormLoaded(), !agree);
    if (agree) {
        const SenderTable table = readSenderFile(m_desk->file("Wolt.tds"));
        QCOMPARE(table[1].name, QStringLiteral("二番"));
        QCOMPARE(table[2].name, QString());
        QCOMPARE(table[3].name, QStringLiteral("四番"));
    } else {
        QCOMPARE(readBytes(m_desk->file("Wolt.tds")), damaged);
    }
}

void TestSenderFont::closingOtherwiseDiscards() {
    FormWindow *sender = openSender();
    child<QLineEdit>(sender, "txtNmtx")->setText(QStringLiteral("捨てる"));
    child<QAbstractButton>(sender, "cmdTxRec")->click();
    sender->close();
    QVERIFY(!sender->isFormLoaded());
    QCOMPARE(readBytes(m_desk->file("Wolt.tds")), m_senderBytes);
}

void TestSenderFont::fontListLeavesOutVerticalNames() {
    m_desk->printer.fonts = {"@IPAMincho", "IPAMincho", "@IPAGothic", "IPAGothic", "DejaVu Sans"};
    child<QAction>(m_print, "mnuFont")->trigger();
    FormWindow *font = m_desk->context.windows.existing(WindowId::Font);
    QVERIFY(font);
    QCOMPARE(font->windowTitle(), QStringLiteral("読込み中…"));
    QVERIFY(!child<QWidget>(font, "cmdOk")->isEnabled());
    QVERIFY(!child<QWidget>(font, "cmdApl")->isEnabled());
    QTRY_COMPARE(font->windowTitle(), QStringLiteral("Font"));
    QVERIFY(child<QWidget>(font, "cmdOk")->isEnabled());
    auto *list = child<QListWidget>(font, "List1");
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    QCOMPARE(names, QStringList({"IPAMincho", "IPAGothic", "DejaVu Sans"}));
}

void TestSenderFont::doubleClicksAndSample() {
    FormWindow *font = openFont({"IPAMincho", "IPAGothic"});
    auto *list = child<QListWidget>(font, "List1");
    auto *demo = child<QLabel>(font, "lblDemo");
    emit list->itemDoubleClicked(list->item(0));
    QCOMPARE(child<QLabel>(font, "lblNameF")->text(), QStringLiteral("IPAMincho"));
    QVERIFY(child<QWidget>(font, "cmdApl")->isEnabled());
    child<QAbstractButton>(font, "cmdApl")->click();
    QCOMPARE(demo->text(), QStringLiteral("123\r東京都  様　御中\rあいうえお　ＡＢＣ"));
    QCOMPARE(demo->font().family(), QStringLiteral("IPAMincho"));
    emit list->itemDoubleClicked(list->item(1));
    QCOMPARE(child<QLabel>(font, "lblNameF")->text(), QStringLiteral("IPAGothic"));
    QCOMPARE(demo->text(), QString());
    child<QAbstractButton>(font, "cmdApl")->click();
    QCOMPARE(demo->font().family(), QStringLiteral("IPAGothic"));
    QVERIFY(!demo->text().isEmpty());
    child<QAbstractButton>(font, "Command1")->click();
    QCOMPARE(m_desk->help.calls.last().context, 9);
}

void TestSenderFont::okWithoutChoice() {
    FormWindow *font = openFont({"IPAMincho"});
    child<QAbstractButton>(font, "cmdOk")->click();
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("フォントが選択されていません。")});
    QVERIFY(font->isFormLoaded());
}

void TestSenderFont::cancelChangesNothing() {
    const QStringList before = cardFonts();
    FormWindow *font = openFont({"IPAGothic"});
    auto *list = child<QListWidget>(font, "List1");
    emit list->itemDoubleClicked(list->item(0));
    child<QAbstractButton>(font, "Command2")->click();
    QVERIFY(!font->isFormLoaded());
    QCOMPARE(m_print->settings().addressFont, QStringLiteral("ＭＳ 明朝"));
    QCOMPARE(cardFonts(), before);
}

void TestSenderFont::okAppliesFontToTextNotBoxes() {
    FormWindow *font = openFont({"IPAGothic"});
    auto *list = child<QListWidget>(font, "List1");
    emit list->itemDoubleClicked(list->item(0));
    child<QAbstractButton>(font, "cmdOk")->click();
    QVERIFY(!font->isFormLoaded());
    QCOMPARE(m_print->settings().addressFont, QStringLiteral("IPAGothic"));
    const QStringList fonts = cardFonts();
    QVERIFY(fonts.size() > 7);
    QCOMPARE(fonts.mid(0, 7), QStringList(7, QStringLiteral("ＭＳ 明朝")));
    QCOMPARE(fonts.mid(7), QStringList(fonts.size() - 7, QStringLiteral("IPAGothic")));
}

void TestSenderFont::chosenFontIsPrinted() {
    FormWindow *font = openFont({"IPAGothic"});
    auto *list = child<QListWidget>(font, "List1");
    emit list->itemDoubleClicked(list->item(0));
    child<QAbstractButton>(font, "cmdOk")->click();
    const QString pdf = m_desk->file(QStringLiteral("font.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    const QStringList fonts = pdfFonts(pdf);
    QVERIFY2(fonts.contains(QStringLiteral("IPAGothic")), qPrintable(fonts.join(',')));
    // The postal-code digits stay in their own font.
    QVERIFY2(fonts.contains(QStringLiteral("IPAMincho")), qPrintable(fonts.join(',')));
}

void TestSenderFont::missingFontPrintsInMincho() {
    m_print->setAddressFont(QStringLiteral("Uninstalled Font"));
    const QString pdf = m_desk->file(QStringLiteral("missing.pdf"));
    m_desk->printerDialog.outputFile = pdf;
    m_desk->printerDialog.answers = {true};
    m_desk->messages.answers = {MessageAnswer::Ok};
    child<QAbstractButton>(m_print, "cmdPrint")->click();
    QCOMPARE(m_desk->messages.shown.size(), 2);
    QVERIFY(m_desk->messages.shown.at(1).text.contains(QStringLiteral("Uninstalled Font")));
    QCOMPARE(pdfFonts(pdf), QStringList{QStringLiteral("IPAMincho")});
}

QTEST_MAIN(TestSenderFont)
#include "tst_senderfont.moc"
