// The main window's file commands and the reorder window, answered through
// the real file dialogs and message boxes.
#include "bookdocument.h"
#include "fakeplatform.h"
#include "jointnames.h"
#include "journey.h"
#include "mainwindow.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneyFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void openCancelledKeepsEverything();
    void saveAsOverExistingFile_data();
    void saveAsOverExistingFile();
    void reorderMovesRecordInFile();
    void reorderAsksAboutAnOutsideChange();
    void refusedOpenKeepsTheBookShown();
    void newAfterRestartKeepsLastBook_data();
    void newAfterRestartKeepsLastBook();
    void importVCardIntoTheOpenBook();
    void longImportShowsProgressAndCancels();
    void importCsvIntoANewBookAndExport();
    void openingAForeignCsvOffersImport();
    void companionEntriesAfterAnOutsideEdit();
};

namespace {

const QByteArray Contacts =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:一人目\r\nADR:;;千代田1-1;千代田区;東京都;100-0001;\r\n"
    "END:VCARD\r\nBEGIN:VCARD\r\nFN:住所なし\r\nEND:VCARD\r\n";

} // namespace

void TestJourneyFiles::openCancelledKeepsEverything() {
    Journey journey;
    ModalAnswers answers;
    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 2), answers);
    QCOMPARE(rowCount(bookList(journey.mainWindow())), 2);
    answers.then(pressButton(QStringLiteral("キャンセル")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ファイルを開く")));
    QTRY_VERIFY(answers.allAnswered());
    // The book stays usable: its commands are still there.
    QVERIFY(buttonNamed(journey.mainWindow(), QStringLiteral("住所録編集"))->isEnabled());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::saveAsOverExistingFile_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("はい replaces") << QStringLiteral("はい") << true;
    QTest::newRow("いいえ, then キャンセル keeps") << QStringLiteral("いいえ") << false;
}

void TestJourneyFiles::saveAsOverExistingFile() {
    QFETCH(QString, answer);
    QFETCH(bool, replaced);
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 4);
    const QString other = journey.writeBook(QStringLiteral("b.dat"), 1);
    const QByteArray otherBefore = readBytes(other);
    journey.openBook(book, answers);

    answers.then(typeFileNameAndPress(other, QStringLiteral("保存"))).then(pressButton(answer));
    if (!replaced)
        answers.then(pressButton(QStringLiteral("キャンセル")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("名前をつけて保存")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts().size(), 1); // Qt's question before overwriting
    if (replaced)
        QCOMPARE(journey.bookNames(other), journey.bookNames(book));
    else
        QCOMPARE(readBytes(other), otherBefore);
    QCOMPARE(journey.bookNames(book).size(), 4);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::reorderAsksAboutAnOutsideChange() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 4);
    journey.openBook(book, answers);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("順序入替")));
    QWidget *reorder = journey.window(WindowId::Reorder);
    QVERIFY(reorder);
    auto *list = reorder->findChild<QListView *>();
    QVERIFY(list && rowCount(list) == 4);
    // Another program (an import, say) adds a record meanwhile.
    journey.writeBook(QStringLiteral("a.dat"), 5);
    const QByteArray theirs = readBytes(book);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(0, 0)).center());
    typeText(controlNamed(reorder, QStringLiteral("挿入先の番号")), QStringLiteral("3"));
    answers.then(pressButton(QStringLiteral("キャンセル")));
    QVERIFY(press(reorder, QStringLiteral("実行")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts().size(), 1);
    QVERIFY(answers.messageTexts().first().contains(QStringLiteral("ほかのプログラムに変更")));
    QCOMPARE(readBytes(book), theirs);
    QCOMPARE(rowTexts(list).at(0).simplified(), QStringLiteral("1 宛名1"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::refusedOpenKeepsTheBookShown() {
    Journey journey;
    ModalAnswers answers;
    const QString good = journey.writeBook(QStringLiteral("good.dat"), 2);
    const QString tooMany = journey.writeBook(QStringLiteral("many.dat"), 301);
    journey.openBook(good, answers);
    QTRY_VERIFY(answers.allAnswered());
    answers.then(typeFileNameAndPress(tooMany, QStringLiteral("開く")))
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ファイルを開く")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(answers.messageTexts().size(), 1);
    QVERIFY(answers.messageTexts().first().contains(tooMany));
    // What is shown is what the commands act on: the book still open.
    QCOMPARE(rowTexts(bookList(journey.mainWindow())), (QStringList{"宛名1", "宛名2"}));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::reorderMovesRecordInFile() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 4);
    journey.openBook(book, answers);
    QVERIFY(press(journey.mainWindow(), QStringLiteral("順序入替")));
    QWidget *reorder = journey.window(WindowId::Reorder);
    QVERIFY(reorder);
    QCOMPARE(reorder->windowTitle(), QStringLiteral("Order Set"));
    auto *list = reorder->findChild<QListView *>();
    QVERIFY(list);
    QCOMPARE(rowCount(list), 4);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualRect(list->model()->index(0, 0)).center());
    QWidget *destination = controlNamed(reorder, QStringLiteral("挿入先の番号"));
    QVERIFY(destination);
    typeText(destination, QStringLiteral("3"));
    QVERIFY(press(reorder, QStringLiteral("実行")));
    QCOMPARE(journey.bookNames(book), (QStringList{"宛名2", "宛名3", "宛名1", "宛名4"}));
    QCOMPARE(rowTexts(list).at(2).simplified(), QStringLiteral("3 宛名1"));

    QVERIFY(press(reorder, QStringLiteral("戻る")));
    QTRY_VERIFY(journey.mainWindow());
    QCOMPARE(cellText(bookList(journey.mainWindow()), 0), QStringLiteral("宛名2"));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::newAfterRestartKeepsLastBook_data() {
    QTest::addColumn<QString>("book");
    QTest::newRow("the last book") << QStringLiteral("最後の住所録.dat");
    QTest::newRow("any file the settings name") << QStringLiteral("victim.txt");
}

void TestJourneyFiles::newAfterRestartKeepsLastBook() {
    // The previous run opened a book and ended; this run starts with its
    // settings and has read nothing yet.
    QFETCH(QString, book);
    QString path;
    QByteArray before;
    Journey journey([&](Journey &j) {
        path = j.writeBook(book, 3);
        before = readBytes(path);
        writeBytes(j.path(QStringLiteral("Nuvel.ini")),
                   cp932(QStringLiteral("\"%1\",\"3\"\r\n").arg(path)));
    });
    ModalAnswers answers;
    QVERIFY(press(journey.mainWindow(), QStringLiteral("新規作成")));
    QVERIFY(journey.window(WindowId::CardEditor));
    QCOMPARE(readBytes(path), before);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneyFiles::importVCardIntoTheOpenBook() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 2);
    const QString contacts = journey.path(QStringLiteral("連絡先.vcf"));
    writeBytes(contacts, Contacts);
    journey.openBook(book, answers);
    answers.then(typeFileNameAndPress(contacts, QStringLiteral("開く")))
        .then(pressButton(QStringLiteral("OK")))   // the contact without an address
        .then(pressButton(QStringLiteral("はい"))) // add to the open book
        .then(pressButton(QStringLiteral("OK")));  // done
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("連絡先を取り込む")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    const QStringList texts = answers.messageTexts();
    QCOMPARE(texts.size(), 3);
    QVERIFY(texts.at(0).contains(QStringLiteral("住所なし")));
    QCOMPARE(journey.bookNames(book), (QStringList{"宛名1", "宛名2", "一人目"}));
    QCOMPARE(rowCount(bookList(journey.mainWindow())), 3);
}

void TestJourneyFiles::longImportShowsProgressAndCancels() {
    Journey journey;
    // A phone's export with photos: 100 MB, read a megabyte at a time.
    const QString contacts = journey.path(QStringLiteral("photos.vcf"));
    QFile file(contacts);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray photoLines = QByteArray(" " + QByteArray(74, 'Q') + "\r\n").repeated(14000);
    for (int i = 0; i < 100; ++i)
        file.write("BEGIN:VCARD\r\nFN:写真" + QByteArray::number(i) + "\r\nPHOTO;ENCODING=b:\r\n" +
                   photoLines + "ADR:;;千代田1-1;千代田区;東京都;;\r\nEND:VCARD\r\n");
    file.close();
    // Shown from the start here: this machine reads it faster than a user waits.
    journey.program->context.windows.get<MainWindow>(WindowId::Main)->setImportProgressDelay(0);
    ModalAnswers answers;
    QString title;
    answers.then(typeFileNameAndPress(contacts, QStringLiteral("開く")))
        .then(inspectThen([&title](QWidget *dialog) { title = dialog->windowTitle(); },
                          pressButton(QStringLiteral("キャンセル"))));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("連絡先を取り込む")));
    QTRY_VERIFY(answers.allAnswered());
    QCOMPARE(title, QStringLiteral("連絡先を取り込む"));
    // Cancelled: no question, no book, nothing written.
    QTest::qWait(200);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(QDir(journey.folder.path()).entryList(QDir::Files), QStringList{"photos.vcf"});
}

void TestJourneyFiles::importCsvIntoANewBookAndExport() {
    Journey journey;
    ModalAnswers answers;
    const QString csv = journey.path(QStringLiteral("list.csv"));
    writeBytes(csv,
               cp932(QStringLiteral("氏名,郵便番号,住所,建物名\r\n"
                                    "山田 太郎,100-0001,東京都千代田区千代田1-1,ハイツ101\r\n")));
    const QString book = journey.path(QStringLiteral("取り込み.dat"));
    bool mappingShown = false;
    answers.then(typeFileNameAndPress(csv, QStringLiteral("開く")))
        .then(inspectThen(
            [&](QWidget *dialog) {
                mappingShown = dialog->windowTitle() == QStringLiteral("CSV ファイルの取り込み");
            },
            pressButton(QStringLiteral("取り込む"))))
        .then(typeFileNameAndPress(book, QStringLiteral("保存")))
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("連絡先を取り込む")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QVERIFY(mappingShown);
    QCOMPARE(journey.bookNames(book), QStringList{"山田 太郎"});

    // The new book is open: it goes out again as vCard.
    const QString out = journey.path(QStringLiteral("書き出し.vcf"));
    answers.then(typeFileNameAndPress(out, QStringLiteral("保存")))
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"),
                           QStringLiteral("住所録を書き出す")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    const QString vcard = QString::fromUtf8(readBytes(out));
    QVERIFY2(vcard.contains(QStringLiteral("FN:山田 太郎")) &&
                 vcard.contains(QStringLiteral(";ハイツ101;千代田1-1;千代田区;東京都;100-0001;")),
             qPrintable(vcard));
}

void TestJourneyFiles::openingAForeignCsvOffersImport() {
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 1);
    const QString csv = journey.path(QStringLiteral("google.csv"));
    writeBytes(csv, QByteArray("\xEF\xBB\xBF") +
                        QStringLiteral("Name,Address 1 - Street,Address 1 - City,Address 1 - "
                                       "Region,Address 1 - Postal Code\n"
                                       "鈴木 一郎,梅田1-1,大阪市北区,大阪府,530-0001\n")
                            .toUtf8());
    journey.openBook(book, answers);
    // The dialog lists books first: the CSV file type is chosen with the
    // keyboard, then the file.
    answers
        .then(inspectThen(
            [](QWidget *dialog) {
                auto *kinds = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                QVERIFY(kinds);
                QTest::keyClick(kinds, Qt::Key_Down);
                QCOMPARE(kinds->currentText(), QStringLiteral("CSVファイル(*.csv)"));
            },
            typeFileNameAndPress(csv, QStringLiteral("開く"))))
        .then(pressButton(QStringLiteral("はい")))     // import it?
        .then(pressButton(QStringLiteral("取り込む"))) // the mapping as guessed
        .then(pressButton(QStringLiteral("はい")))     // into the open book
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ファイルを開く")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QVERIFY(answers.messageTexts().value(0).contains(QStringLiteral("CSV ファイル")));
    QCOMPARE(journey.bookNames(book), (QStringList{"宛名1", "鈴木 一郎"}));
    QCOMPARE(rowCount(bookList(journey.mainWindow())), 2);
}

// Another program renamed two cards: their joint names are told on opening,
// then one is attached to its card and the other discarded, each saved.
void TestJourneyFiles::companionEntriesAfterAnOutsideEdit() {
    Journey journey;
    const QString book = journey.writeBook(QStringLiteral("連名.dat"), 3);
    {
        BookDocument document;
        QVERIFY(document.load(book).ok());
        document.setRecordData(
            0, withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")}}));
        document.setRecordData(
            1, withJointNames({}, {{QStringLiteral("次郎"), QStringLiteral("様")}}));
        QVERIFY(document.save().ok());
        AddressBook renamed = document.book();
        renamed.records[0].setField(AddressRecord::Name, QStringLiteral("宛名一"));
        renamed.records[1].setField(AddressRecord::Name, QStringLiteral("宛名二"));
        QVERIFY(writeBookFile(book, renamed).ok);
    }
    ModalAnswers answers;
    answers.then(typeFileNameAndPress(book, QStringLiteral("開く")))
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ファイルを開く")));
    QTRY_VERIFY(answers.allAnswered());
    QVERIFY2(answers.messageTexts().value(0).contains(QStringLiteral("2件")),
             qPrintable(answers.messageTexts().join(u'|')));

    QStringList listed;
    answers
        .then([&listed](QWidget *dialog) {
            auto *entries = dialog->findChild<QListWidget *>(QStringLiteral("lstEntries"));
            auto *records = dialog->findChild<QComboBox *>(QStringLiteral("cboRecord"));
            QVERIFY(entries && records && entries->count() == 2);
            for (int i = 0; i < entries->count(); ++i)
                listed.append(entries->item(i)->text());
            entries->setCurrentRow(0); // 宛名1's 花子 goes to 宛名一, offered by its address
            QCOMPARE(records->currentText(), QStringLiteral("1  宛名一（東京都千代田区1）"));
            press(dialog, QStringLiteral("宛名に付ける"));
            press(dialog, QStringLiteral("捨てる")); // 宛名2's 次郎
        })
        .then(pressButton(QStringLiteral("はい")))
        .then(pressButton(QStringLiteral("閉じる")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("編集"),
                           QStringLiteral("付属データの整理")));
    QTRY_VERIFY2(answers.allAnswered(), qPrintable(describe(answers.seen)));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(listed.size(), 2);
    QVERIFY2(listed.at(0).contains(QStringLiteral("宛名1")) &&
                 listed.at(0).contains(QStringLiteral("連名 花子 様")),
             qPrintable(listed.join(u'|')));
    BookDocument saved;
    QVERIFY(saved.load(book).ok());
    QVERIFY(saved.unmatchedEntries().isEmpty());
    QCOMPARE(jointNamesOf(saved.recordData(0)).value(0).name, QStringLiteral("花子"));
    QVERIFY(saved.recordData(1).isEmpty());
}

QTEST_MAIN(TestJourneyFiles)
#include "tst_journey_files.moc"
