#include "bookfile.h"
#include "cardeditor.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "mainwindow.h"
#include "recordextras.h"
#include "recordsearch.h"
#include "tagchoices.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

QString bookText(int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral(
                    "\"名前%1\",\"住所%1\",\"番地%1\",\"100-000%1\",\"c%1\",\"%2\",\"棟%1\"\r\n")
                    .arg(i)
                    .arg(i % 6);
    return text;
}

// One key event per character, with its text, as a user's typing arrives.
void typeText(QWidget *widget, const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString unit(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            unit += text.at(++i);
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, unit);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, unit);
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

class TestCardEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensOnBook();
    void entryModesKeepTheCardStill();
    void addressFromPostalCode_data();
    void addressFromPostalCode();
    void whatTheCodeNames_data();
    void whatTheCodeNames();
    void postalCodeFromAddress();
    void opensNewBook_data();
    void opensNewBook();
    void nextBeginsNewCardAndRegisters();
    void firstOnNewCardAsksToDiscard();
    void saveQuestionOnPrevious_data();
    void saveQuestionOnPrevious();
    void lastShowsFinalCardWithoutQuestion();
    void jumpRespectsCapacity_data();
    void jumpRespectsCapacity();
    void deleteCardFromFile();
    void deleteInNewBookUsesWorkingFile();
    void deleteOnlyCardRefused();
    void deleteCancelled();
    void overlongNameKeptAndStored();
    void anyEditMarksCard();
    void newCardTypedThenReturnAsks();
    void returnOnNewBook_data();
    void returnOnNewBook();
    void returnWritesFileThenLateSave();
    void utf8AskedBeforeItIsWritten();
    void leavingAsksAboutUnregisteredEdit_data();
    void leavingAsksAboutUnregisteredEdit();
    void closingNeverSavedBookAsks_data();
    void closingNeverSavedBookAsks();
    void bookChangedOnDiskIsAskedAbout_data();
    void bookChangedOnDiskIsAskedAbout();
    void secondEditorOnSameBookRefused();
    void titleFollowsASaveElsewhere();
    void unchangedBookIsNotWritten();
    void writeFailureKeepsEditorOpen();
    void listSheetWithoutFile();
    void splitIntoLines();
    void helpContext();
    void lastAndFirstOnEmptyNewBookStay();
    void deleteWriteFailureChangesNothing();
    void fromMainWindowAndBack();
    void jointNamesTypedAndKept();
    void honorificWordTyped();
    void tagChoicesOffered_data();
    void tagChoicesOffered();

private:
    CardEditor *openOn(int cards);
    CardEditor *openOnFile();
    CardEditor *openNew();
    template <typename T> T *ctl(const char *name) { return child<T>(m_editor, name); }
    void click(const char *name) { ctl<QAbstractButton>(name)->click(); }
    QString label() { return ctl<QLabel>("lblRec")->text(); }
    QString bookPath() const { return m_desk->file(QStringLiteral("book.dat")); }
    AddressBook fileBook(const QString &path);

    std::unique_ptr<FakeDesktop> m_desk;
    CardEditor *m_editor = nullptr;
};

void TestCardEditor::init() {
    m_desk = std::make_unique<FakeDesktop>();
    m_desk->context.windows.setFactory(WindowId::Main,
                                       [](AppContext &c) { return new MainWindow(c); });
    m_desk->context.windows.setFactory(WindowId::CardEditor,
                                       [](AppContext &c) { return new CardEditor(c); });
}

void TestCardEditor::cleanup() {
    m_desk.reset();
    m_editor = nullptr;
}

void TestCardEditor::entryModesKeepTheCardStill() {
    openOn(3);
    m_editor->adjustSize();
    QCoreApplication::processEvents();
    auto *building = ctl<QWidget>("txtAdd3");
    const int y = building->y();
    const QSize size = m_editor->size();
    click("cmdOp");
    QVERIFY(ctl<QWidget>("txtNewadd")->isVisibleTo(m_editor));
    QCoreApplication::processEvents();
    QCOMPARE(building->y(), y);
    QCOMPARE(m_editor->size(), size);
    // The option entry's caption is said once.
    int captions = 0;
    for (QLabel *label : m_editor->findChildren<QLabel *>())
        captions +=
            label->isVisibleTo(m_editor) && label->text() == QStringLiteral("住所オプション入力");
    for (QGroupBox *frame : m_editor->findChildren<QGroupBox *>())
        captions +=
            frame->isVisibleTo(m_editor) && frame->title() == QStringLiteral("住所オプション入力");
    QCOMPARE(captions, 1);
    click("Command2");
    QCoreApplication::processEvents();
    QCOMPARE(building->y(), y);
}

void TestCardEditor::addressFromPostalCode_data() {
    QTest::addColumn<bool>("optionEntry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("before");  // address already there
    QTest::addColumn<int>("choice");      // among several towns
    QTest::addColumn<int>("answer");      // to "replace?"
    QTest::addColumn<QString>("address"); // 住所１ afterwards
    QTest::addColumn<QString>("line2");   // 住所２ afterwards

    QTest::newRow("line entry, one town") << false << "1000001"
                                          << "" << -2 << -1 << "東京都千代田区"
                                          << "千代田";
    QTest::newRow("full-width with hyphen")
        << false << QStringLiteral("１００－０００１") << "" << -2 << -1 << "東京都千代田区"
        << "千代田";
    QTest::newRow("several towns, the second chosen") << false << "098-5701"
                                                      << "" << 1 << -1 << "北海道枝幸郡"
                                                      << "浜頓別町頓別";
    QTest::newRow("several towns, cancelled") << false << "0985701"
                                              << "" << -1 << -1 << ""
                                              << "";
    QTest::newRow("typed address kept on いいえ")
        << false << "1000001"
        << "大阪市" << -2 << int(MessageAnswer::No) << "大阪市"
        << "";
    // A filled card is split as a new one is.
    QTest::newRow("typed address replaced on はい")
        << false << "1000001"
        << "大阪市" << -2 << int(MessageAnswer::Yes) << "東京都千代田区"
        << "千代田";
    QTest::newRow("unknown code: nothing") << false << "0000000"
                                           << "" << -2 << -1 << ""
                                           << "";
    QTest::newRow("option entry: split into the two lines") << true << "1000001"
                                                            << "" << -2 << -1 << "東京都千代田区"
                                                            << "千代田";
}

void TestCardEditor::addressFromPostalCode() {
    QFETCH(bool, optionEntry);
    QFETCH(QString, typed);
    QFETCH(QString, before);
    QFETCH(int, choice);
    QFETCH(int, answer);
    QFETCH(QString, address);
    QFETCH(QString, line2);
    openOn(1);
    click("cmdJump"); // a new card begins in option entry
    if (!optionEntry)
        click("Command2"); // 使わない: line entry
    QCOMPARE(ctl<QWidget>("txtNewadd")->isVisibleTo(m_editor), optionEntry);
    if (!before.isEmpty())
        ctl<QLineEdit>("txtAdd1")->setText(before);
    if (choice > -2)
        m_desk->messages.choices = {choice};
    if (answer >= 0)
        m_desk->messages.answers = {MessageAnswer(answer)};
    auto *zip = ctl<QLineEdit>("txtZip");
    zip->setText(typed);
    zip->setModified(true); // as typing leaves it
    emit zip->editingFinished();
    // Passing through the field again asks nothing more.
    const qsizetype asked = m_desk->messages.shown.size();
    emit zip->editingFinished();
    QCOMPARE(m_desk->messages.shown.size(), asked);
    QCOMPARE(ctl<QLineEdit>("txtAdd1")->text(), address);
    QCOMPARE(ctl<QLineEdit>("txtAdd2")->text(), line2);
    if (choice > -2)
        QCOMPARE(m_desk->messages.offered.value(0),
                 QStringList({"北海道枝幸郡浜頓別町栄和", "北海道枝幸郡浜頓別町頓別"}));
    if (!address.isEmpty() && address != before) {
        // On to the house number.
        auto *target = ctl<QLineEdit>(optionEntry ? "txtNewadd" : "txtAdd2");
        QCOMPARE(m_editor->focusWidget(), target);
        QCOMPARE(target->cursorPosition(), target->text().size());
    }
    // An unknown code is said beside the card, without a question.
    const bool unknown = typed == QLatin1String("0000000");
    QCOMPARE(
        ctl<QLabel>("lblZipNote")->text(),
        unknown
            ? QStringLiteral(
                  "〒000-0000 は手元の郵便番号データにありません（事業所の個別番号かもしれません）")
            : QString());
}

void TestCardEditor::whatTheCodeNames_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("fields"); // 住所１, 住所２, 建物名, 宛名, [敬称]
    // A business's own code gives its street and name, sent to 御中.
    QTest::newRow("a business") << "163-8001"
                                << QStringList{"東京都新宿区", "西新宿2丁目8-1", "", "東京都庁",
                                               "御中"};
    // A high-rise's floor has a code of its own.
    QTest::newRow("a building's floor")
        << "1006310" << QStringList{"東京都千代田区", "丸の内", "丸の内ビルディング10階", ""};
}

void TestCardEditor::whatTheCodeNames() {
    QFETCH(QString, code);
    QFETCH(QStringList, fields);
    openOn(1);
    click("cmdJump");
    click("Command2"); // 使わない: line entry
    auto *zip = ctl<QLineEdit>("txtZip");
    zip->setText(code);
    zip->setModified(true);
    emit zip->editingFinished();
    QStringList shown{ctl<QLineEdit>("txtAdd1")->text(), ctl<QLineEdit>("txtAdd2")->text(),
                      ctl<QLineEdit>("txtAdd3")->text(), ctl<QLineEdit>("txtName")->text()};
    if (fields.size() > 4)
        shown.append(ctl<QComboBox>("Combo1")->currentText());
    QCOMPARE(shown, fields);
    QVERIFY(ctl<QLabel>("lblZipNote")->text().isEmpty());
}

void TestCardEditor::postalCodeFromAddress() {
    openOn(1);
    click("cmdJump");
    click("Command2");
    auto *line = ctl<QLineEdit>("txtAdd1");
    // いいえ: the code stays empty; はい: it is filled.
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        m_desk->messages.answers = {answer};
        line->setText(QStringLiteral("東京都千代田区千代田1-1-1"));
        line->setModified(true);
        emit line->editingFinished();
        QVERIFY(m_desk->messages.texts().last().contains(QStringLiteral("100-0001")));
        QCOMPARE(ctl<QLineEdit>("txtZip")->text(),
                 answer == MessageAnswer::Yes ? QStringLiteral("100-0001") : QString());
    }
    // With a code already there, nothing is offered.
    const qsizetype asked = m_desk->messages.shown.size();
    line->setModified(true);
    emit line->editingFinished();
    QCOMPARE(m_desk->messages.shown.size(), asked);
}

CardEditor *TestCardEditor::openOn(int cards) {
    writeBytes(bookPath(), cp932(bookText(cards)));
    return openOnFile();
}

CardEditor *TestCardEditor::openOnFile() {
    writeBytes(m_desk->file("Nuvel.ini"),
               cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(bookPath())));
    m_desk->context.readRememberedBook();
    // The main window has opened it: the one book holds it.
    if (!m_desk->context.book.load(bookPath()).ok())
        qFatal("the test book does not load");
    m_editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    m_editor->showForm();
    return m_editor;
}

CardEditor *TestCardEditor::openNew() {
    writeBytes(m_desk->file("Nuvel.ini"), cp932(QStringLiteral("\"新規作成\",\"2\"\r\n")));
    m_desk->context.readRememberedBook();
    m_desk->context.book.startNew();
    m_editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    m_editor->showForm();
    return m_editor;
}

AddressBook TestCardEditor::fileBook(const QString &path) {
    BookRead read = readBookFile(path);
    return read.book;
}

void TestCardEditor::opensOnBook() {
    openOn(12);
    QCOMPARE(label(), QStringLiteral("1/12"));
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("住所録　　") + bookPath());
    QCOMPARE(ctl<QLineEdit>("txtName")->text(), QStringLiteral("名前1"));
    QCOMPARE(ctl<QLineEdit>("txtAdd3")->text(), QStringLiteral("棟1"));
    QCOMPARE(ctl<QComboBox>("Combo1")->currentIndex(), 1);
    QVERIFY(ctl<QWidget>("txtAdd1")->isVisible());
    QVERIFY(!ctl<QWidget>("Frame1")->isVisible());
    QVERIFY(!ctl<QWidget>("txtNewadd")->isVisible());
    QVERIFY(ctl<QWidget>("cmdOp")->isEnabled());
    QVERIFY(ctl<QWidget>("cmdDel")->isEnabled());
    QVERIFY(ctl<QRadioButton>("Option1")->isChecked());
    QVERIFY(!m_editor->modified());
}

void TestCardEditor::opensNewBook_data() {
    QTest::addColumn<bool>("afterNew");
    QTest::newRow("after New") << true;
    // No book handed over at all: opened as a new book too.
    QTest::newRow("no book") << false;
}

void TestCardEditor::opensNewBook() {
    QFETCH(bool, afterNew);
    writeBytes(m_desk->file("Nuvel.ini"), QByteArray("\"\",\"\"\r\n"));
    m_desk->context.readRememberedBook();
    if (afterNew)
        m_desk->context.book.startNew();
    m_editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    m_editor->showForm();
    QCOMPARE(label(), QStringLiteral("1/新規"));
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("住所録　　"));
    QVERIFY(ctl<QWidget>("Frame1")->isVisible());
    QVERIFY(ctl<QWidget>("txtNewadd")->isVisible());
    QVERIFY(!ctl<QWidget>("txtAdd1")->isVisible());
    QCOMPARE(ctl<QComboBox>("Combo1")->currentText(), QStringLiteral("様"));
    QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
    QVERIFY(!ctl<QWidget>("cmdOp")->isEnabled());
    QCOMPARE(m_desk->context.book.origin(), BookDocument::Origin::New);
    QVERIFY(!m_editor->modified());
}

void TestCardEditor::nextBeginsNewCardAndRegisters() {
    openOn(12);
    click("cmdFF");
    QCOMPARE(label(), QStringLiteral("12/12"));
    const int honorific = ctl<QComboBox>("Combo1")->currentIndex();
    click("cmdFow");
    QCOMPARE(label(), QStringLiteral("13/新規"));
    QCOMPARE(ctl<QLineEdit>("txtName")->text(), QString());
    QCOMPARE(ctl<QComboBox>("Combo1")->currentIndex(), honorific);
    QVERIFY(ctl<QWidget>("txtNewadd")->isVisible());

    click("cmdFow");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("登録されていません。")});
    QCOMPARE(label(), QStringLiteral("13/新規"));

    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("新しい人"));
    click("cmdAdd");
    QCOMPARE(label(), QStringLiteral("13/13"));
    QCOMPARE(m_editor->card(13).field(AddressRecord::Name), QStringLiteral("新しい人"));
    click("cmdFow");
    QCOMPARE(label(), QStringLiteral("14/新規"));
}

void TestCardEditor::firstOnNewCardAsksToDiscard() {
    openOn(12);
    click("cmdFF");
    click("cmdFow");
    typeText(ctl<QLineEdit>("txtZip"), QStringLiteral("999"));
    m_desk->messages.answers = {MessageAnswer::No};
    click("cmdRR");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QCOMPARE(m_desk->messages.shown.at(0).text,
             QStringLiteral("このカードは未登録です。破棄して戻りますか?。"));
    QCOMPARE(m_desk->messages.shown.at(0).title, QStringLiteral("NUVelk"));
    QCOMPARE(label(), QStringLiteral("13/新規"));
    QCOMPARE(ctl<QLineEdit>("txtZip")->text(), QStringLiteral("999"));

    m_desk->messages.answers = {MessageAnswer::Yes};
    click("cmdRR");
    QCOMPARE(label(), QStringLiteral("1/12"));
    QCOMPARE(m_desk->messages.shown.size(), 2); // no save question after the discard
    QVERIFY(ctl<QWidget>("txtAdd1")->isVisible());
}

void TestCardEditor::saveQuestionOnPrevious_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("yes stores") << int(MessageAnswer::Yes) << QStringLiteral("名前5X");
    QTest::newRow("no discards") << int(MessageAnswer::No) << QStringLiteral("名前5");
}

void TestCardEditor::saveQuestionOnPrevious() {
    QFETCH(int, answer);
    QFETCH(QString, stored);
    openOn(12);
    for (int i = 0; i < 4; ++i)
        click("cmdFow");
    QCOMPARE(label(), QStringLiteral("5/12"));
    QLineEdit *name = ctl<QLineEdit>("txtName");
    name->setFocus();
    QCOMPARE(m_editor->focusWidget(), name);
    name->end(false);
    typeText(name, QStringLiteral("X"));
    QVERIFY(m_editor->modified());
    m_desk->messages.answers = {MessageAnswer(answer)};
    click("cmdRew");
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("内容が変更されています、保存しますか…?")});
    QCOMPARE(label(), QStringLiteral("4/12"));
    QCOMPARE(m_editor->card(5).field(AddressRecord::Name), stored);
    QCOMPARE(name->text(), QStringLiteral("名前4"));
    // The card shown again starts at its postal code.
    QCOMPARE(m_editor->focusWidget(), ctl<QLineEdit>("txtZip"));
}

void TestCardEditor::lastShowsFinalCardWithoutQuestion() {
    openOn(12);
    for (int i = 0; i < 4; ++i)
        click("cmdFow");
    ctl<QComboBox>("Combo1")->setCurrentIndex(4); // marks the card modified
    m_desk->messages.answers = {MessageAnswer::No};
    click("cmdFF");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QCOMPARE(label(), QStringLiteral("12/12"));
    QVERIFY(!m_editor->modified());
    click("cmdFF");
    QCOMPARE(m_desk->messages.shown.size(), 1);
}

void TestCardEditor::jumpRespectsCapacity_data() {
    QTest::addColumn<int>("cards");
    QTest::addColumn<QString>("after");
    QTest::newRow("299 cards") << 299 << QStringLiteral("300/新規");
    QTest::newRow("300 cards") << 300 << QStringLiteral("1/300");
}

void TestCardEditor::jumpRespectsCapacity() {
    QFETCH(int, cards);
    QFETCH(QString, after);
    openOn(cards);
    click("cmdJump");
    QCOMPARE(label(), after);
    if (cards == 299) {
        QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
        QVERIFY(!ctl<QWidget>("cmdOp")->isEnabled());
        QVERIFY(ctl<QWidget>("Frame1")->isVisible());
        // the card number is the capacity now: ＞ and ≫ do nothing.
        click("cmdFow");
        click("cmdFF");
        QCOMPARE(label(), after);
        QVERIFY(m_desk->messages.shown.isEmpty());
        // 削除 stays disabled on registered cards too.
        m_desk->messages.answers = {MessageAnswer::Yes};
        click("cmdRR");
        QCOMPARE(label(), QStringLiteral("1/299"));
        QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
    }
}

void TestCardEditor::deleteCardFromFile() {
    openOn(5);
    click("cmdFow");
    click("cmdFow");
    QCOMPARE(label(), QStringLiteral("3/5"));
    click("cmdDel");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QCOMPARE(m_desk->messages.shown.at(0).text, QStringLiteral("このカードを削除します。"));
    QCOMPARE(m_desk->messages.shown.at(0).buttons, MessageButtons::OkCancel);
    QCOMPARE(m_desk->messages.shown.at(0).title, QStringLiteral("Nuvel Ver.2.1"));
    QCOMPARE(label(), QStringLiteral("1/4"));
    const AddressBook onDisk = fileBook(bookPath());
    QCOMPARE(onDisk.recordCount(), 4);
    QStringList names;
    for (const AddressRecord &r : onDisk.records)
        names.append(r.field(AddressRecord::Name));
    QCOMPARE(names, QStringList({"名前1", "名前2", "名前4", "名前5"}));
    QVERIFY(!QFile::exists(m_desk->file("Nuvel.dat")));
}

void TestCardEditor::deleteInNewBookUsesWorkingFile() {
    openNew();
    for (const char *name : {"甲", "乙", "丙"}) {
        typeText(ctl<QLineEdit>("txtName"), QString::fromUtf8(name));
        click("cmdAdd");
        click("cmdFow");
    }
    m_desk->messages.answers = {MessageAnswer::Yes};
    click("cmdRR");
    QCOMPARE(label(), QStringLiteral("1/3"));
    // ∥ was never used, but a new book opens with 削除 disabled.
    QVERIFY(!ctl<QWidget>("cmdDel")->isEnabled());
    ctl<QWidget>("cmdDel")->setEnabled(true);
    click("cmdDel");
    QCOMPARE(label(), QStringLiteral("1/2"));
    const AddressBook working = fileBook(m_desk->file("Nuvel.dat"));
    QCOMPARE(working.recordCount(), 2);
    QCOMPARE(working.record(1).field(AddressRecord::Name), QStringLiteral("乙"));
    QVERIFY(!m_desk->context.book.hasFile());
}

void TestCardEditor::deleteOnlyCardRefused() {
    openOn(1);
    ctl<QComboBox>("Combo1")->setCurrentIndex(3);
    QVERIFY(m_editor->modified());
    const QByteArray before = readBytes(bookPath());
    click("cmdDel");
    QVERIFY(m_desk->messages.shown.isEmpty());
    QVERIFY(!m_editor->modified());
    QCOMPARE(label(), QStringLiteral("1/1"));
    QCOMPARE(readBytes(bookPath()), before);
}

void TestCardEditor::deleteCancelled() {
    openOn(3);
    const QByteArray before = readBytes(bookPath());
    m_desk->messages.answers = {MessageAnswer::Cancel};
    click("cmdDel");
    QCOMPARE(label(), QStringLiteral("1/3"));
    QCOMPARE(readBytes(bookPath()), before);
}

void TestCardEditor::overlongNameKeptAndStored() {
    openOn(2);
    QLineEdit *name = ctl<QLineEdit>("txtName");
    name->clear();
    typeText(name, QString(20, QChar(u'あ')));
    QVERIFY(m_desk->messages.shown.isEmpty());
    typeText(name, QStringLiteral("い"));
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("文字数が範囲を超えています。")});
    QCOMPARE(name->text().size(), 21);
    QCOMPARE(m_editor->lastFieldLength(), 21);
    typeText(name, QStringLiteral("う"));
    QCOMPARE(m_desk->messages.shown.size(), 2);
    click("cmdAdd");
    QCOMPARE(m_editor->card(1).field(AddressRecord::Name).size(), 22);

    // Address lines take 22, the postal code and building line any length.
    QLineEdit *add1 = ctl<QLineEdit>("txtAdd1");
    add1->setText(QString(22, QChar(u'町')));
    QCOMPARE(m_desk->messages.shown.size(), 2);
    ctl<QLineEdit>("txtZip")->setText(QString(40, QChar(u'1')));
    ctl<QLineEdit>("txtAdd3")->setText(QString(40, QChar(u'棟')));
    QCOMPARE(m_desk->messages.shown.size(), 2);

    // A 連名 has the name's limit and message, and keeps what was typed.
    QLineEdit *joint = ctl<QLineEdit>("txtJoint1");
    typeText(joint, QString(20, QChar(u'え')));
    QCOMPARE(m_desk->messages.shown.size(), 2);
    typeText(joint, QStringLiteral("お"));
    QCOMPARE(m_desk->messages.shown.size(), 3);
    QCOMPARE(m_desk->messages.texts().constLast(), QStringLiteral("文字数が範囲を超えています。"));
    QCOMPARE(joint->text().size(), 21);
}

void TestCardEditor::anyEditMarksCard() {
    // A card put into the fields is not modified; any edit of it is.
    writeBytes(bookPath(), QByteArray("\"a\",\"\",\"b\",\"\",\"c\",\"0\",\"\"\r\n"
                                      "\"e\",\"\",\"f\",\"2\",\"g\",\"0\",\"h\"\r\n"));
    openOnFile();
    QVERIFY(!m_editor->modified());
    typeText(ctl<QLineEdit>("txtAdd3"), QStringLiteral("棟"));
    QVERIFY(m_editor->modified());
    ctl<QLineEdit>("txtAdd3")->clear();
    click("cmdAdd");
    QVERIFY(!m_editor->modified());
    ctl<QComboBox>("Combo1")->setCurrentIndex(2);
    QVERIFY(m_editor->modified());
    click("cmdAdd");

    // One digit into the empty 〒, then ＞: the change is asked about.
    typeText(ctl<QLineEdit>("txtZip"), QStringLiteral("1"));
    QVERIFY(m_editor->modified());
    m_desk->messages.answers = {MessageAnswer::Yes};
    click("cmdFow");
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("内容が変更されています、保存しますか…?")});
    QCOMPARE(label(), QStringLiteral("2/2"));
    QVERIFY(!m_editor->modified());
    QCOMPARE(m_editor->card(1).field(AddressRecord::PostalCode), QStringLiteral("1"));
}

void TestCardEditor::newCardTypedThenReturnAsks() {
    openNew();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("A"));
    const QString target = m_desk->file("new.dat");
    m_desk->messages.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    m_desk->fileDialogs.saveAnswers = {target};
    click("Command1");
    QCOMPARE(m_desk->messages.texts(),
             QStringList({QStringLiteral("新規カードを登録しますか？"),
                          QStringLiteral("ファイル名をつけて保存しますか…?")}));
    QCOMPARE(fileBook(target).record(1).field(AddressRecord::Name), QStringLiteral("A"));
}

void TestCardEditor::returnOnNewBook_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("not saved") << false;
    QTest::newRow("saved") << true;
}

void TestCardEditor::returnOnNewBook() {
    QFETCH(bool, save);
    openNew();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("山田"));
    click("cmdAdd");
    const QString target = m_desk->file("new.dat");
    m_desk->messages.answers = {save ? MessageAnswer::Yes : MessageAnswer::No};
    m_desk->fileDialogs.saveAnswers = {target};
    click("Command1");
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("ファイル名をつけて保存しますか…?")});
    QVERIFY(!m_editor->isFormLoaded());
    QCOMPARE(QFile::exists(target), save);
    QVERIFY(!QFile::exists(bookPath()));
    const QByteArray settings = save ? cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(target))
                                     : cp932(QStringLiteral("\"\",\"2\"\r\n"));
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")), settings);
    if (save)
        QCOMPARE(fileBook(target).record(1).field(AddressRecord::Name), QStringLiteral("山田"));
    auto *main = m_desk->context.windows.existing(WindowId::Main);
    QVERIFY(main && main->isVisible());
}

void TestCardEditor::returnWritesFileThenLateSave() {
    openOn(3);
    click("cmdFF");
    click("cmdFow");
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("追加"));
    QVERIFY(m_editor->modified());
    m_desk->messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
    click("Command1");
    QCOMPARE(m_desk->messages.texts(),
             QStringList({QStringLiteral("新規カードを登録しますか？"),
                          QStringLiteral("変更した内容を保存しますか…?")}));
    const AddressBook onDisk = fileBook(bookPath());
    QCOMPARE(onDisk.recordCount(), 4);
    QCOMPARE(onDisk.record(4).field(AddressRecord::Name), QStringLiteral("追加"));
    // The editor has handed back to the main window.
    QVERIFY(!m_editor->isFormLoaded());
    FormWindow *main = m_desk->context.windows.existing(WindowId::Main);
    QVERIFY(main && main->isVisible());
}

// A name CP932 cannot store: 戻る asks before the book becomes UTF-8; no
// keeps the file and the editor open.
void TestCardEditor::utf8AskedBeforeItIsWritten() {
    openOn(2);
    const QByteArray before = readBytes(bookPath());
    ctl<QLineEdit>("txtName")->setText(QStringLiteral("𠮷田 太郎"));
    click("cmdAdd");
    m_desk->messages.answers = {MessageAnswer::No};
    click("Command1");
    QCOMPARE(m_desk->messages.texts().size(), 1);
    QVERIFY2(m_desk->messages.texts().at(0).contains(QStringLiteral("書けない文字があります：𠮷")),
             qPrintable(m_desk->messages.texts().at(0)));
    QCOMPARE(readBytes(bookPath()), before);
    QVERIFY(m_editor->isFormLoaded());
    m_desk->messages.answers = {MessageAnswer::Yes};
    click("Command1");
    QVERIFY(readBytes(bookPath()).startsWith("\xEF\xBB\xBF"));
    QVERIFY(!m_editor->isFormLoaded());
}

void TestCardEditor::leavingAsksAboutUnregisteredEdit_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("keep");
    // キャンセル discards without a question; the close box asks.
    QTest::newRow("キャンセル, dropped unasked") << false << false;
    QTest::newRow("close box, kept") << true << true;
    QTest::newRow("close box, dropped") << true << false;
}

void TestCardEditor::leavingAsksAboutUnregisteredEdit() {
    QFETCH(bool, closeBox);
    QFETCH(bool, keep);
    openOn(3);
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("変更"));
    m_desk->messages.answers = {keep ? MessageAnswer::Yes : MessageAnswer::No};
    if (closeBox)
        m_editor->close();
    else
        click("cmdCancel");
    QCOMPARE(m_desk->messages.texts(),
             closeBox ? QStringList{QStringLiteral("変更した内容を保存しますか…?")}
                      : QStringList());
    QVERIFY(!m_editor->isFormLoaded());
    if (keep)
        QVERIFY(fileBook(bookPath())
                    .record(1)
                    .field(AddressRecord::Name)
                    .endsWith(QStringLiteral("変更")));
    else
        QCOMPARE(readBytes(bookPath()), cp932(bookText(3)));
    QCOMPARE(readBytes(m_desk->file("Nuvel.ini")),
             cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(bookPath())));
}

void TestCardEditor::closingNeverSavedBookAsks_data() {
    QTest::addColumn<QString>("answer"); // to "ファイル名をつけて保存しますか…?"
    QTest::addColumn<QString>("saveAs"); // the save dialog's path, "" = cancelled
    QTest::addColumn<bool>("closed");
    QTest::newRow("saved") << "yes"
                           << "new.dat" << true;
    QTest::newRow("dialog cancelled: stays open") << "yes"
                                                  << "" << false;
    QTest::newRow("not saved") << "no"
                               << "" << true;
}

void TestCardEditor::closingNeverSavedBookAsks() {
    QFETCH(QString, answer);
    QFETCH(QString, saveAs);
    QFETCH(bool, closed);
    openNew();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("山田"));
    click("cmdAdd");
    m_desk->messages.answers = {answer == QLatin1String("yes") ? MessageAnswer::Yes
                                                               : MessageAnswer::No};
    const QString target = saveAs.isEmpty() ? QString() : m_desk->file(saveAs);
    m_desk->fileDialogs.saveAnswers = {target};
    m_editor->close();
    QCOMPARE(m_desk->messages.texts(),
             QStringList{QStringLiteral("ファイル名をつけて保存しますか…?")});
    QCOMPARE(m_editor->isFormLoaded(), !closed);
    if (!target.isEmpty())
        QCOMPARE(fileBook(target).record(1).field(AddressRecord::Name), QStringLiteral("山田"));
}

void TestCardEditor::bookChangedOnDiskIsAskedAbout_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("overwritten");
    QTest::addColumn<bool>("savedAs");
    QTest::newRow("はい: overwrite") << int(MessageAnswer::Yes) << true << false;
    QTest::newRow("いいえ: save as") << int(MessageAnswer::No) << false << true;
    QTest::newRow("キャンセル: nothing written") << int(MessageAnswer::Cancel) << false << false;
}

void TestCardEditor::bookChangedOnDiskIsAskedAbout() {
    QFETCH(int, answer);
    QFETCH(bool, overwritten);
    QFETCH(bool, savedAs);
    openOn(3);
    // The user registers an edit; another program adds a card meanwhile.
    ctl<QLineEdit>("txtName")->clear();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("直した"));
    click("cmdAdd");
    const QByteArray theirs = cp932(bookText(4));
    writeBytes(bookPath(), theirs);
    const QString other = m_desk->file("mine.dat");
    m_desk->messages.answers = {static_cast<MessageAnswer>(answer)};
    m_desk->fileDialogs.saveAnswers = {other};
    click("Command1");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QCOMPARE(m_desk->messages.shown.first().buttons, MessageButtons::YesNoCancel);
    QVERIFY(m_desk->messages.shown.first().text.contains(bookPath()));
    QCOMPARE(fileBook(bookPath()).recordCount(), overwritten ? 3 : 4);
    QCOMPARE(QFile::exists(other), savedAs);
    if (savedAs)
        QCOMPARE(fileBook(other).recordCount(), 3);
    // Cancelled, the editor stays with its cards.
    QCOMPARE(m_editor->isFormLoaded(), answer == int(MessageAnswer::Cancel));
}

// A deletion saved under another name (the file had changed meanwhile):
// the editor stays open on the book's new file and says so in its title.
void TestCardEditor::titleFollowsASaveElsewhere() {
    openOn(3);
    writeBytes(bookPath(), cp932(bookText(4)));
    const QString other = m_desk->file("mine.dat");
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::No};
    m_desk->fileDialogs.saveAnswers = {other};
    click("cmdDel");
    QCOMPARE(fileBook(other).recordCount(), 2);
    QVERIFY(m_editor->isFormLoaded());
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("住所録　　") + other);
}

void TestCardEditor::secondEditorOnSameBookRefused() {
    openOn(3);
    // A second program on the same folder and book, through another name.
    const QString link = m_desk->file("link.dat");
    QVERIFY(QFile::link(bookPath(), link));
    FakeDesktop second;
    second.context.windows.setFactory(WindowId::Main,
                                      [](AppContext &c) { return new MainWindow(c); });
    second.context.windows.setFactory(WindowId::CardEditor,
                                      [](AppContext &c) { return new CardEditor(c); });
    writeBytes(second.file("Nuvel.ini"), cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(link)));
    second.context.readRememberedBook();
    QVERIFY(second.context.book.load(link).ok());
    auto *editor = second.context.windows.get<CardEditor>(WindowId::CardEditor);
    editor->showForm();
    QCOMPARE(second.messages.shown.size(), 1);
    QVERIFY(second.messages.shown.first().text.contains(bookPath())); // the file the link names
    QVERIFY(second.messages.shown.first().text.contains(
        QString::number(QCoreApplication::applicationPid())));
    QTRY_VERIFY(!editor->isFormLoaded());
    // Once the first editor is closed the book is free again.
    click("Command1");
    second.messages.shown.clear();
    editor->showForm();
    QVERIFY(second.messages.shown.isEmpty());
    QVERIFY(editor->isFormLoaded());
}

void TestCardEditor::unchangedBookIsNotWritten() {
    openOn(3);
    // A write-protected book is viewed, paged through and left in peace.
    const QByteArray before = readBytes(bookPath());
    const QDateTime modified = QFileInfo(bookPath()).lastModified();
    QFile::setPermissions(bookPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    click("cmdFF");
    click("cmdRR");
    click("Command1");
    QVERIFY2(m_desk->messages.shown.isEmpty(), qPrintable(m_desk->messages.texts().join(u'\n')));
    QVERIFY(!m_editor->isFormLoaded());
    QCOMPARE(readBytes(bookPath()), before);
    QCOMPARE(QFileInfo(bookPath()).lastModified(), modified);
}

void TestCardEditor::writeFailureKeepsEditorOpen() {
    openOn(3);
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("Z"));
    click("cmdAdd");
    const QByteArray before = readBytes(bookPath());
    QFile::setPermissions(bookPath(), QFile::ReadOwner);
    click("Command1");
    QCOMPARE(m_desk->messages.shown.size(), 1);
    QVERIFY(m_desk->messages.shown.at(0).text.contains(bookPath()));
    QVERIFY(m_editor->isFormLoaded());
    QCOMPARE(m_editor->card(1).field(AddressRecord::Name), QStringLiteral("名前1Z"));
    QCOMPARE(readBytes(bookPath()), before);

    // Closing by the frame asks before throwing the book away.
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::No};
    m_editor->close();
    QVERIFY(m_editor->isFormLoaded());
    QCOMPARE(m_desk->messages.shown.last().buttons, MessageButtons::YesNo);
    QFile::setPermissions(bookPath(), QFile::ReadOwner | QFile::WriteOwner);
    m_editor->close();
    QVERIFY(!m_editor->isFormLoaded());
    QCOMPARE(fileBook(bookPath()).record(1).field(AddressRecord::Name), QStringLiteral("名前1Z"));
}

void TestCardEditor::listSheetWithoutFile() {
    openNew();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("山田"));
    click("cmdAdd");
    click("Command3");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("表示するデータがありません。")});
    QVERIFY(m_editor->isFormLoaded());
    // Nothing was written anywhere.
    QCOMPARE(QDir(m_desk->folder()).entryList(QDir::Files), QStringList{"Nuvel.ini"});
}

void TestCardEditor::splitIntoLines() {
    openOn(2);
    click("cmdOp");
    QVERIFY(ctl<QWidget>("txtNewadd")->isVisible());
    click("Command5");
    QCOMPARE(m_desk->messages.texts(), QStringList{QStringLiteral("入力データがありません！")});
    QVERIFY(ctl<QWidget>("txtNewadd")->isVisible());
    QCOMPARE(ctl<QLineEdit>("txtAdd1")->text(), QStringLiteral("住所1"));

    typeText(ctl<QLineEdit>("txtNewadd"), QStringLiteral("東京都西多摩郡瑞穂町箱根ケ崎"));
    ctl<QRadioButton>("Option2")->click();
    QVERIFY(!ctl<QRadioButton>("Option1")->isChecked());
    click("Command5");
    QCOMPARE(ctl<QLineEdit>("txtAdd1")->text(), QStringLiteral("西多摩郡"));
    QCOMPARE(ctl<QLineEdit>("txtAdd2")->text(), QStringLiteral("瑞穂町箱根ケ崎"));
    QVERIFY(ctl<QWidget>("txtAdd1")->isVisible());
    QVERIFY(!ctl<QWidget>("Frame1")->isVisible());
    QCOMPARE(ctl<QLineEdit>("txtNewadd")->text(), QStringLiteral("東京都西多摩郡瑞穂町箱根ケ崎"));
    QVERIFY(m_editor->modified());

    click("cmdOp");
    click("Command2");
    QVERIFY(ctl<QWidget>("txtAdd1")->isVisible());
    QVERIFY(ctl<QWidget>("cmdOp")->isEnabled());
}

void TestCardEditor::helpContext() {
    openOn(1);
    click("Command4");
    QCOMPARE(m_desk->help.calls.size(), 1);
    QCOMPARE(m_desk->help.calls.at(0).context, 26);
    QCOMPARE(m_desk->help.calls.at(0).command, HelpCommand::Topic);
}

void TestCardEditor::fromMainWindowAndBack() {
    writeBytes(bookPath(), cp932(bookText(2)));
    auto *main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    main->showForm();
    m_desk->fileDialogs.openAnswers = {bookPath()};
    child<QAbstractButton>(main, "cmdOpen")->click();
    child<QAbstractButton>(main, "cmdCard")->click();
    m_editor = m_desk->context.windows.get<CardEditor>(WindowId::CardEditor);
    QVERIFY(m_editor->isVisible());
    QVERIFY(!main->isFormLoaded());
    QCOMPARE(label(), QStringLiteral("1/2"));

    click("cmdJump");
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("三人目"));
    click("cmdAdd");
    click("Command1");
    QVERIFY(!m_editor->isFormLoaded());
    QVERIFY(main->isFormLoaded() && main->isVisible());
    auto *names = child<QListView>(main, "lstSet1");
    QCOMPARE(rowCount(names), 3);
    QCOMPARE(cellText(names, 2), QStringLiteral("三人目"));
    QVERIFY(m_desk->context.book.hasFile());

    // New: the book is written back, the editor starts empty.
    child<QAbstractButton>(main, "cmdNew")->click();
    QVERIFY(m_editor->isVisible());
    QCOMPARE(label(), QStringLiteral("1/新規"));
    QCOMPARE(fileBook(bookPath()).recordCount(), 3);
    QCoreApplication::processEvents();
    QCOMPARE(m_desk->endCalls, 0);
}

void TestCardEditor::lastAndFirstOnEmptyNewBookStay() {
    openNew();
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("未登録"));
    click("cmdFF");
    click("cmdRR");
    QCOMPARE(label(), QStringLiteral("1/新規"));
    QCOMPARE(ctl<QLineEdit>("txtName")->text(), QStringLiteral("未登録"));
    QVERIFY(m_desk->messages.shown.isEmpty());
}

void TestCardEditor::deleteWriteFailureChangesNothing() {
    openOn(4);
    click("cmdFow");
    const QByteArray before = readBytes(bookPath());
    QFile::setPermissions(bookPath(), QFile::ReadOwner);
    m_desk->messages.answers = {MessageAnswer::Ok};
    click("cmdDel");
    QCOMPARE(m_desk->messages.shown.size(), 2);
    QVERIFY(m_desk->messages.shown.at(1).text.contains(bookPath()));
    QCOMPARE(label(), QStringLiteral("2/4"));
    QCOMPARE(m_editor->card(2).field(AddressRecord::Name), QStringLiteral("名前2"));
    QCOMPARE(readBytes(bookPath()), before);
    QFile::setPermissions(bookPath(), QFile::ReadOwner | QFile::WriteOwner);
}

// 連名, reading, tags and this card year's marks typed on a card go with it
// into the companion, on a card registered and on a new one, and come back
// into the fields; the tag box completes the word typed from the book's
// tags; earlier years are listed.
void TestCardEditor::jointNamesTypedAndKept() {
    m_desk->context.today = [] {
        return QDate(2026, 12, 8);
    };
    openOn(2);
    m_desk->context.book.setRecordData(
        1, withMark(withMark({}, 2026, YearMark::Received, true), 2025, YearMark::Mourning, true));
    auto *joint = ctl<QLineEdit>("txtJoint1");
    QCOMPARE(joint->maxLength(), ctl<QLineEdit>("txtName")->maxLength());
    typeText(joint, QStringLiteral("花子"));
    QVERIFY(m_editor->modified());
    typeText(ctl<QLineEdit>("txtJoint2"), QStringLiteral("健太"));
    ctl<QComboBox>("cboJoint2")
        ->setCurrentIndex(int(jointHonorifics().indexOf(QStringLiteral("くん"))));
    typeText(ctl<QLineEdit>("txtReading"), QStringLiteral("やまだ"));
    typeText(ctl<QLineEdit>("txtTags"), QStringLiteral("家族；同窓会、家族"));
    // This card year and the three before it, each editable: last year's
    // card received is recorded here too.
    QCOMPARE(ctl<QLabel>("lblYear0")->text(), QStringLiteral("2027年"));
    QCOMPARE(ctl<QLabel>("lblYear1")->text(), QStringLiteral("2026年"));
    QCOMPARE(ctl<QCheckBox>("chkReceived_1")->accessibleName(),
             QStringLiteral("2026年 受け取った"));
    ctl<QCheckBox>("chkReceived")->click();
    ctl<QCheckBox>("chkReceived_1")->click();
    click("cmdAdd");
    click("cmdFow");
    QVERIFY(ctl<QCheckBox>("chkReceived_1")->isChecked());
    QVERIFY(ctl<QCheckBox>("chkMourning_2")->isChecked());
    QVERIFY(!ctl<QCheckBox>("chkReceived")->isChecked());
    QCOMPARE(ctl<QLabel>("lblHistory")->text(), QString());
    ctl<QCheckBox>("chkMourning")->click();
    click("cmdAdd");
    click("cmdFF");
    click("cmdFow"); // a new card
    typeText(ctl<QLineEdit>("txtName"), QStringLiteral("追加 三郎"));
    typeText(ctl<QLineEdit>("txtJoint1"), QStringLiteral("佐藤 四郎"));
    auto *tags = ctl<QLineEdit>("txtTags");
    typeText(tags, QStringLiteral("仕事; 同"));
    tags->completer()->setCompletionPrefix(tags->completer()->splitPath(tags->text()).value(0));
    tags->setText(tags->completer()->currentCompletion());
    QCOMPARE(tags->text(), QStringLiteral("仕事; 同窓会"));
    // The same from the row of choices under the box.
    tags->clear();
    typeText(tags, QStringLiteral("仕事; 同"));
    QPushButton *choice = nullptr;
    for (QPushButton *button : m_editor->findChildren<QPushButton *>())
        if (button->accessibleName() == QStringLiteral("タグ「同窓会」を付ける") &&
            button->isVisible())
            choice = button;
    QVERIFY(choice != nullptr);
    choice->click();
    QCOMPARE(tags->text(), QStringLiteral("仕事; 同窓会"));
    click("cmdAdd");
    click("cmdRR");
    QCOMPARE(joint->text(), QStringLiteral("花子"));
    QCOMPARE(ctl<QComboBox>("cboJoint2")->currentText(), QStringLiteral("くん"));
    QCOMPARE(ctl<QLineEdit>("txtTags")->text(), QStringLiteral("家族; 同窓会"));
    m_desk->messages.answers = {MessageAnswer::Yes};
    click("Command1");
    BookDocument saved;
    QVERIFY(saved.load(bookPath()).ok());
    QCOMPARE(saved.recordCount(), 3);
    QCOMPARE(jointNamesOf(saved.recordData(0)),
             JointNames({{QStringLiteral("花子"), QStringLiteral("様")},
                         {QStringLiteral("健太"), QStringLiteral("くん")}}));
    QCOMPARE(readingOf(saved.recordData(0)), QStringLiteral("やまだ"));
    QCOMPARE(yearMarksOf(saved.recordData(0)),
             (YearMarks{{2027, int(YearMark::Received)}, {2026, int(YearMark::Received)}}));
    QCOMPARE(yearMarksOf(saved.recordData(1)), (YearMarks{{2027, int(YearMark::Mourning)},
                                                          {2026, int(YearMark::Received)},
                                                          {2025, int(YearMark::Mourning)}}));
    QVERIFY(jointNamesOf(saved.recordData(1)).isEmpty());
    QCOMPARE(tagsOf(saved.recordData(2)), QStringList({"仕事", "同窓会"}));
    QCOMPARE(jointNamesOf(saved.recordData(2)),
             JointNames({{QStringLiteral("佐藤 四郎"), QStringLiteral("様")}}));
}

// The word being typed is completed from the book's tags; a tag already on
// the card is not offered again, and a complete one is followed, not replaced.
void TestCardEditor::tagChoicesOffered_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("afterFirst");
    QTest::newRow("nothing typed") << "" << QStringList{"家族", "同窓会", "仕事", "同僚"} << "家族";
    QTest::newRow("a beginning") << "同" << QStringList{"同窓会", "同僚"} << "同窓会";
    QTest::newRow("after one tag")
        << "家族；同" << QStringList{"同窓会", "同僚"} << "家族； 同窓会";
    QTest::newRow("a complete tag")
        << "家族" << QStringList{"同窓会", "仕事", "同僚"} << "家族; 同窓会";
    QTest::newRow("after a separator")
        << "仕事、" << QStringList{"家族", "同窓会", "同僚"} << "仕事、 家族";
    QTest::newRow("a new word") << "ゴルフ" << QStringList{} << "";
}

void TestCardEditor::tagChoicesOffered() {
    QFETCH(QString, typed);
    QFETCH(QStringList, offered);
    QFETCH(QString, afterFirst);
    const QStringList book{"家族", "同窓会", "仕事", "同僚"};
    const QStringList choices = tagChoices(typed, book, TagChoices::Most);
    QCOMPARE(choices, offered);
    if (!choices.isEmpty())
        QCOMPARE(withChosenTag(typed, choices.first(), book), afterFirst);
}

QTEST_MAIN(TestCardEditor)
#include "tst_cardeditor.moc"

// A word beyond the six typed in 敬称 is kept as the card's own: the
// book's field holds 様's index, the word comes back when the card does.
void TestCardEditor::honorificWordTyped() {
    openOn(2);
    auto *honorific = ctl<QComboBox>("Combo1");
    honorific->lineEdit()->clear();
    typeText(honorific->lineEdit(), QStringLiteral("各位"));
    QVERIFY(m_editor->modified());
    click("cmdAdd");
    QCOMPARE(m_desk->context.book.record(1).field(AddressRecord::Honorific), QStringLiteral("0"));
    QCOMPARE(RecordExtras::fromJson(m_desk->context.book.recordData(0)).honorificWord,
             QStringLiteral("各位"));
    click("cmdFow");
    QVERIFY(honorific->currentText() != QStringLiteral("各位")); // the next card's own
    click("cmdRew");
    QCOMPARE(honorific->currentText(), QStringLiteral("各位"));
    // One of the six chosen again: the word goes.
    honorific->setCurrentIndex(1);
    click("cmdAdd");
    QCOMPARE(m_desk->context.book.record(1).field(AddressRecord::Honorific), QStringLiteral("1"));
    QVERIFY(RecordExtras::fromJson(m_desk->context.book.recordData(0)).honorificWord.isEmpty());
}
