// The print window's own windows: the sender window and the print-position
// window write their files and hand their values back to the print window.
#include "fakeplatform.h"
#include "journey.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

#include <sys/stat.h>

using namespace nvl;
using namespace nvl::test;

class TestJourneySettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(*qApp); }
    void senderRegisteredAndShown();
    void printPositionStored();
    void ownSettingsFilesKeptSafe_data();
    void ownSettingsFilesKeptSafe();
};

namespace {

QWidget *openPrintWindow(Journey &journey, ModalAnswers &answers) {
    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 2), answers);
    clickRows(bookList(journey.mainWindow()), {0});
    press(journey.mainWindow(), QStringLiteral("一括選択"));
    press(journey.mainWindow(), QStringLiteral("次へ"));
    return journey.window(WindowId::Print);
}

QStringList labelTexts(QWidget *window) {
    QStringList texts;
    for (QLabel *label : window->findChildren<QLabel *>())
        if (label->isVisible())
            texts.append(label->text());
    return texts;
}

} // namespace

void TestJourneySettings::senderRegisteredAndShown() {
    Journey journey;
    ModalAnswers answers;
    QWidget *print = openPrintWindow(journey, answers);
    QVERIFY(print);
    QVERIFY(press(print, QStringLiteral("差出人編集")));
    QWidget *sender = journey.window(WindowId::Sender);
    QVERIFY(sender);
    QCOMPARE(sender->windowTitle(), QStringLiteral("差出人データ"));
    const std::pair<const char *, const char *> fields[] = {{"〒", "123-4567"},
                                                            {"住所１", "大阪府大阪市北区"},
                                                            {"住所２", "梅田1-1"},
                                                            {"差出人", "鈴木花子"}};
    for (const auto &[caption, value] : fields) {
        auto *edit = qobject_cast<QLineEdit *>(controlNamed(sender, QString::fromUtf8(caption)));
        QVERIFY2(edit, caption);
        edit->clear();
        typeText(edit, QString::fromUtf8(value));
    }
    QVERIFY(press(sender, QStringLiteral("登録")));
    QVERIFY(press(sender, QStringLiteral("戻る")));
    QVERIFY(!journey.window(WindowId::Sender));

    const QByteArray file = readBytes(journey.path(QStringLiteral("Wolt.tds")));
    QVERIFY(file.startsWith(
        cp932(QStringLiteral("\"123-4567\",\"大阪府大阪市北区\",\"梅田1-1\",\"鈴木花子\"\r\n"))));
    // The card shows the sender; a screen reader reads it from the card.
    auto *card = print->findChild<QWidget *>(QStringLiteral("picCard"));
    QVERIFY(card &&
            card->accessibleDescription().split(u'\n').contains(QStringLiteral("鈴木花子")));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneySettings::printPositionStored() {
    Journey journey;
    ModalAnswers answers;
    QWidget *print = openPrintWindow(journey, answers);
    QVERIFY(print);
    QVERIFY(press(print, QStringLiteral("印字位置設定")));
    QWidget *position = journey.window(WindowId::PrintPosition);
    QVERIFY(position);
    QCOMPARE(position->windowTitle(), QStringLiteral("印字位置調整"));
    QVERIFY(press(position, QStringLiteral("＞")));
    QVERIFY(press(position, QStringLiteral("＞")));
    QVERIFY(press(position, QStringLiteral("∨")));
    QVERIFY(press(position, QStringLiteral("はなす")));
    QVERIFY(press(position, QStringLiteral("OK")));
    QVERIFY(!journey.window(WindowId::PrintPosition));
    QCOMPARE(readBytes(journey.path(QStringLiteral("Nuvel.opt"))),
             QByteArray("\"1480\",\"900\",\"1\"\r\n"));
    // Opened again, the window starts from what was stored.
    QVERIFY(press(print, QStringLiteral("印字位置設定")));
    position = journey.window(WindowId::PrintPosition);
    QVERIFY(position);
    QVERIFY(labelTexts(position).contains(QStringLiteral("2")));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

void TestJourneySettings::ownSettingsFilesKeptSafe_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind"); // what stands in the file's place
    QTest::addColumn<QString>("says");
    // Read as the print window opens: a FIFO would block it for ever.
    QTest::newRow("nvl-hagaki.ini a FIFO") << "nvl-hagaki.ini"
                                           << "fifo"
                                           << "通常のファイルではない";
    // Written as the paper is chosen, by the same checked writer as the rest.
    QTest::newRow("nvl-hagaki.ini write-protected") << "nvl-hagaki.ini"
                                                    << "read-only"
                                                    << "書き込み禁止";
    // Never written through a link, whatever it points to.
    QTest::newRow("nvl-hagaki.ini a link") << "nvl-hagaki.ini"
                                           << "link"
                                           << "リンク";
    QTest::newRow("Wolt.tds a link") << "Wolt.tds"
                                     << "link"
                                     << "リンク";
    QTest::newRow("Nuvel.ini a link") << "Nuvel.ini"
                                      << "link"
                                      << "リンク";
}

void TestJourneySettings::ownSettingsFilesKeptSafe() {
    QFETCH(QString, file);
    QFETCH(QString, kind);
    QFETCH(QString, says);
    const QByteArray precious("precious data");
    Journey journey([&](Journey &j) {
        const QString path = j.path(file);
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == QLatin1String("read-only")) {
            writeBytes(path, precious);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else {
            writeBytes(j.path(QStringLiteral("precious.txt")), precious);
            QVERIFY(QFile::link(j.path(QStringLiteral("precious.txt")), path));
        }
    });
    const QString path = journey.path(file);
    ModalAnswers answers;
    // Nuvel.ini is written as the book opens, the others once the print window is.
    answers.then(typeFileNameAndPress(journey.writeBook(QStringLiteral("a.dat"), 2),
                                      QStringLiteral("開く")));
    if (file == QLatin1String("Nuvel.ini"))
        answers.then(pressButton(QStringLiteral("OK")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("ファイルを開く")));
    QTRY_VERIFY(answers.allAnswered());
    if (file != QLatin1String("Nuvel.ini"))
        answers.then(pressButton(QStringLiteral("OK")));
    clickRows(bookList(journey.mainWindow()), {0});
    QVERIFY(press(journey.mainWindow(), QStringLiteral("一括選択")));
    QVERIFY(press(journey.mainWindow(), QStringLiteral("次へ")));
    QWidget *print = journey.window(WindowId::Print);
    QVERIFY(print);
    if (file == QLatin1String("nvl-hagaki.ini") && kind != QLatin1String("fifo")) {
        auto *postcard =
            qobject_cast<QRadioButton *>(controlNamed(print, QStringLiteral("はがき用紙")));
        QVERIFY(postcard);
        postcard->click();
    } else if (file == QLatin1String("Wolt.tds")) {
        QVERIFY(press(print, QStringLiteral("差出人編集")));
        QWidget *sender = journey.window(WindowId::Sender);
        QVERIFY(sender);
        QVERIFY(press(sender, QStringLiteral("戻る")));
    }
    QTRY_VERIFY(answers.allAnswered());
    const QStringList texts = answers.messageTexts();
    QCOMPARE(texts.size(), 1);
    // Read as one text: the box breaks its lines where it likes.
    const QString told = QString(texts.first()).remove(u'\n');
    QVERIFY2(told.contains(path) && told.contains(says), qPrintable(texts.first()));
    if (kind == QLatin1String("link")) {
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(readBytes(journey.path(QStringLiteral("precious.txt"))), precious);
    } else if (kind == QLatin1String("read-only")) {
        QCOMPARE(readBytes(path), precious);
    }
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
}

QTEST_MAIN(TestJourneySettings)
#include "tst_journey_settings.moc"
