// ファイル → 同期 against a real CardDAV server (Radicale, started by the
// CTest fixture): settings with 接続テスト, the password in the desktop's
// keyring or asked each time, a conflict answered in the window, and a
// cancelled sync. Run twice: in a D-Bus session with GNOME's keyring
// unlocked (NVL_KEYRING set), and with no session bus to reach.
#include "bookdocument.h"
#include "davserver.h"
#include "fakeplatform.h"
#include "journey.h"
#include "keyringstore.h"
#include "testmain.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

class TestJourneySync : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void settingsTestAndAConflictAnswered();
    void cancelledSyncWritesNothing();
    void emptiedServerAskedFirst();
    void passwordTheKeyringRefused();
    void postponedNotAskedAgain();
    void addressBookChosenFromTheServer();

private:
    DavServer m_server;
    const QString m_password = QStringLiteral("secret");
};

namespace {

const bool InKeyring = qEnvironmentVariableIsSet("NVL_KEYRING");

void type(QWidget *dialog, const char *name, const QString &text) {
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY(edit);
    edit->clear();
    typeText(edit, text);
}

QString labelText(QWidget *dialog, const char *name) {
    auto *label = dialog->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QString();
}

// Fills in the settings; with `test`, presses 接続テスト first with a wrong
// password, then with the right one, and keeps what each said.
ModalAnswers::Action fillSettings(const QString &url, const QString &password,
                                  QStringList *testResults = nullptr) {
    return [=](QWidget *dialog) {
        type(dialog, "txtSyncUrl", url);
        type(dialog, "txtSyncUser", QStringLiteral("alice"));
        if (testResults) {
            testResults->append(labelText(dialog, "lblKeyring"));
            for (const QString &tried : {QStringLiteral("wrong"), password}) {
                type(dialog, "txtSyncPassword", tried);
                press(dialog, QStringLiteral("接続テスト"));
                if (!QTest::qWaitFor(
                        [&] {
                            return buttonNamed(dialog, QStringLiteral("接続テスト"))->isEnabled();
                        },
                        20000))
                    QFAIL("the connection test did not end");
                testResults->append(labelText(dialog, "lblSyncTest"));
                testResults->append(labelText(dialog, "lblSyncDetail"));
            }
        } else {
            type(dialog, "txtSyncPassword", password);
        }
        press(dialog, QStringLiteral("OK"));
    };
}

// Every file under `folder` that holds `text`.
QStringList filesHolding(const QString &folder, const QByteArray &text) {
    QStringList found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        if (readBytes(files.next()).contains(text))
            found.append(files.filePath());
    return found;
}

} // namespace

void TestJourneySync::initTestCase() {
    prepareApplication(*qApp);
    m_server.base = radicaleUrl();
    if (m_server.base.isEmpty())
        NVL_SKIP_UNLESS_CI("no Radicale server (the radicale fixture, NVL_RADICALE)");
}

void TestJourneySync::settingsTestAndAConflictAnswered() {
    const QString url =
        m_server.addressBook(QStringLiteral("journey-%1").arg(QDateTime::currentMSecsSinceEpoch()));
    // The server knows 宛名1 at another address, and one person the book lacks.
    m_server.send("PUT", url + QStringLiteral("one.vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:one\r\nFN:宛名1\r\nTEL:03-1234-5678\r\n"
                  "ADR;TYPE=HOME:;;丸の内9;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n");
    m_server.send("PUT", url + QStringLiteral("other.vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:other\r\nFN:新しい人\r\n"
                  "ADR;TYPE=HOME:;;大手町1;千代田区;東京都;100-0004;\r\nEND:VCARD\r\n");
    QCOMPARE(m_server.status, 201);

    Journey journey;
    ModalAnswers answers;
    answers.leftAlone.append(QStringLiteral("同期"));
    const QString book = journey.writeBook(QStringLiteral("a.dat"), 2);
    journey.openBook(book, answers);
    QTRY_COMPARE(rowCount(bookList(journey.mainWindow())), 2);

    QStringList results;
    answers.then(fillSettings(url, m_password, &results));
    QVERIFY(
        chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期の設定")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QCOMPARE(results.size(), 5);
    QVERIFY2(results.at(0).contains(InKeyring ? QStringLiteral("キーリングに保存されます")
                                              : QStringLiteral("保存されません")),
             qPrintable(results.at(0)));
    // The server's own words only behind 詳細.
    QCOMPARE(results.at(1), QStringLiteral("ユーザー名かパスワードが違います。"));
    QVERIFY2(results.at(2).contains(QStringLiteral("401")), qPrintable(results.at(2)));
    QVERIFY2(results.at(3).contains(QStringLiteral("連絡先が 2 件")), qPrintable(results.at(3)));
    QCOMPARE(results.at(4), QString());

    // Without a keyring the password is asked for again at the sync.
    if (!InKeyring)
        answers.then(fillSettings(url, m_password));
    QStringList serverColumn;
    answers
        .then([&serverColumn](QWidget *dialog) {
            for (QLabel *label : dialog->findChildren<QLabel *>())
                if (label->accessibleName().startsWith(QStringLiteral("サーバーの")))
                    serverColumn.append(label->text());
            for (QRadioButton *choice : dialog->findChildren<QRadioButton *>())
                if (choice->text() == QStringLiteral("サーバーの内容にする"))
                    choice->click();
            press(dialog, QStringLiteral("決定"));
        })
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QVERIFY2(serverColumn.contains(QStringLiteral("丸の内9")), qPrintable(serverColumn.join(u'|')));
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    const QStringList messages = answers.messageTexts();
    QVERIFY2(messages.last().startsWith(QStringLiteral("同期しました")),
             qPrintable(messages.last()));

    // Saved: 宛名1 as the server has it, the new person added; 宛名2 sent.
    BookDocument saved;
    QVERIFY(saved.load(book).ok());
    QCOMPARE(saved.recordCount(), 3);
    QCOMPARE(saved.record(1).field(AddressRecord::Address2), QStringLiteral("丸の内9"));
    QCOMPARE(saved.record(3).field(AddressRecord::Name), QStringLiteral("新しい人"));
    const QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 3);
    QVERIFY(cards.value(QStringLiteral("one.vcf")).contains("TEL:03-1234-5678"));
    // The list marks what the sync changed in the book.
    QStringList marked;
    QAbstractItemModel *list = bookList(journey.mainWindow())->model();
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->index(row, 0).data().toString().endsWith(QStringLiteral("（同期で更新）")))
            marked.append(list->index(row, 0).data().toString());
    QCOMPARE(marked.size(), 2);

    // The password is in the keyring or nowhere: not in the companion, the
    // program's settings or anything the program wrote.
    QCOMPARE(filesHolding(journey.folder.path(), m_password.toUtf8()), QStringList());
    QCOMPARE(filesHolding(qEnvironmentVariable("XDG_CONFIG_HOME"), m_password.toUtf8()),
             QStringList());
    for (const QString &message : messages)
        QVERIFY(!message.contains(m_password));
    const SecretStore::Result stored =
        KeyringStore().read(QStringLiteral("carddav alice %1").arg(url));
    QCOMPARE(stored.outcome,
             InKeyring ? SecretStore::Outcome::Ok : SecretStore::Outcome::NoKeyring);
    QCOMPARE(stored.secret, InKeyring ? m_password : QString());
}

// The keyring cannot keep the password (it has no collection and its prompt
// is cancelled): the user is told so in Japanese, the keyring's own words
// behind 詳細.
void TestJourneySync::passwordTheKeyringRefused() {
    if (!qEnvironmentVariableIsSet("NVL_KEYRING_NO_COLLECTION"))
        QSKIP("for a session whose keyring has no collection");
    Journey journey;
    ModalAnswers answers;
    journey.openBook(journey.writeBook(QStringLiteral("a.dat"), 1), answers);
    QString detail;
    answers.then(fillSettings(m_server.addressBook(QStringLiteral("refused")), m_password))
        .then(inspectThen(
            [&detail](QWidget *box) { detail = qobject_cast<QMessageBox *>(box)->detailedText(); },
            pressButton(QStringLiteral("OK"))));
    QVERIFY(
        chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期の設定")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    const QString told = answers.messageTexts().value(0);
    QVERIFY2(
        told.startsWith(QStringLiteral("パスワードをデスクトップのキーリングに保存できません")),
        qPrintable(told));
    QVERIFY2(!told.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(told));
    QVERIFY(!detail.isEmpty());
}

// Two conflicts: one answered with the book's version, one left for later.
// The later one is not asked again in the same sync, and the card that kept
// the book's version is not marked as changed by the sync.
void TestJourneySync::postponedNotAskedAgain() {
    const QString url =
        m_server.addressBook(QStringLiteral("later-%1").arg(QDateTime::currentMSecsSinceEpoch()));
    for (const char *n : {"1", "2"})
        m_server.send("PUT", url + QStringLiteral("p%1.vcf").arg(QLatin1String(n)),
                      QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:p") + n + "\r\nFN:宛名" + n +
                          "\r\nADR;TYPE=HOME:;;丸の内9;千代田区;東京都;100-000" + n +
                          ";\r\nEND:VCARD\r\n");
    Journey journey;
    ModalAnswers answers;
    answers.leftAlone.append(QStringLiteral("同期"));
    const QString book = journey.writeBook(QStringLiteral("later.dat"), 2);
    journey.openBook(book, answers);
    const QByteArray before = readBytes(book);
    int asked = 0;
    answers.then(fillSettings(url, m_password))
        .then([&asked](QWidget *dialog) {
            if (auto *box = qobject_cast<QMessageBox *>(dialog))
                QFAIL(qPrintable(box->text()));
            ++asked;
            for (QRadioButton *choice : dialog->findChildren<QRadioButton *>())
                if (choice->text() == QStringLiteral("住所録の内容にする")) {
                    choice->click();
                    break;
                }
            press(dialog, QStringLiteral("決定"));
        })
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QTest::qWait(200);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(asked, 1);
    QVERIFY2(answers.messageTexts().last().contains(QStringLiteral("あとで決めるものが 1 件")),
             qPrintable(answers.messageTexts().last()));
    QCOMPARE(readBytes(book), before);
    QAbstractItemModel *list = bookList(journey.mainWindow())->model();
    for (int row = 0; row < list->rowCount(); ++row)
        QVERIFY2(!list->index(row, 0).data().toString().contains(QStringLiteral("同期で更新")),
                 qPrintable(list->index(row, 0).data().toString()));
}

// 同期の設定 with the server's address only: 接続テスト lists the user's
// address books, one is chosen, and its URL is what the book keeps.
void TestJourneySync::addressBookChosenFromTheServer() {
    const QString name = QStringLiteral("chosen-%1").arg(QDateTime::currentMSecsSinceEpoch());
    const QString url = m_server.addressBook(name);
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("chosen.dat"), 1);
    journey.openBook(book, answers);
    QString chosen;
    answers.then([this, &name, &chosen](QWidget *dialog) {
        type(dialog, "txtSyncUrl", m_server.base.toString());
        type(dialog, "txtSyncUser", QStringLiteral("alice"));
        type(dialog, "txtSyncPassword", m_password);
        press(dialog, QStringLiteral("接続テスト"));
        auto *books = dialog->findChild<QListWidget *>(QStringLiteral("lstSyncBooks"));
        QVERIFY(books);
        QVERIFY(QTest::qWaitFor([books] { return books->count() > 0; }, 20000));
        for (int row = 0; row < books->count(); ++row)
            if (books->item(row)->text().contains(name))
                books->setCurrentRow(row);
        chosen = dialog->findChild<QLineEdit *>(QStringLiteral("txtSyncUrl"))->text();
        press(dialog, QStringLiteral("OK"));
    });
    QVERIFY(
        chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期の設定")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(QUrl(chosen).path(), QUrl(url).path());
    QVERIFY(readBytes(book + QStringLiteral(".nvl")).contains(QUrl(url).path().toUtf8()));
}

void TestJourneySync::cancelledSyncWritesNothing() {
    const QString url =
        m_server.addressBook(QStringLiteral("cancel-%1").arg(QDateTime::currentMSecsSinceEpoch()));
    Journey journey;
    ModalAnswers answers;
    const QString book = journey.writeBook(QStringLiteral("many.dat"), 300);
    journey.openBook(book, answers);
    QTRY_COMPARE(rowCount(bookList(journey.mainWindow())), 300);
    const QByteArray before = readBytes(book);

    // キャンセル once some contacts are on their way.
    answers.then(fillSettings(url, m_password))
        .then([](QWidget *dialog) {
            auto *progress = qobject_cast<QProgressDialog *>(dialog);
            QVERIFY(progress);
            // Its bar is named for a screen reader.
            QVERIFY(controlNamed(dialog, QStringLiteral("同期の進み具合")));
            if (!QTest::qWaitFor([progress] { return progress->value() > 20; }, 20000))
                QFAIL("the sync did not progress");
            press(dialog, QStringLiteral("キャンセル"));
        })
        .then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    QVERIFY2(answers.messageTexts().last().startsWith(QStringLiteral("同期を中止しました")),
             qPrintable(answers.messageTexts().last()));
    QCOMPARE(readBytes(book), before);
    const int sent = int(m_server.cards(url).size());
    QVERIFY2(sent > 0 && sent < 300, qPrintable(QString::number(sent)));

    // The next sync carries on: each record on the server once.
    answers.leftAlone.append(QStringLiteral("同期"));
    if (!InKeyring)
        answers.then(fillSettings(url, m_password));
    answers.then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 60000);
    QVERIFY2(answers.unexpected.isEmpty(), qPrintable(describe(answers.unexpected)));
    QCOMPARE(m_server.cards(url).size(), 300);
    QCOMPARE(readBytes(book), before);
}

// Every contact gone from the server is not taken as deletions: the window
// says how many records that would remove and asks; いいえ leaves both
// sides as they were, はい deletes them from the book.
void TestJourneySync::emptiedServerAskedFirst() {
    const QString url =
        m_server.addressBook(QStringLiteral("emptied-%1").arg(QDateTime::currentMSecsSinceEpoch()));
    Journey journey;
    ModalAnswers answers;
    answers.leftAlone.append(QStringLiteral("同期"));
    const QString book = journey.writeBook(QStringLiteral("three.dat"), 3);
    journey.openBook(book, answers);
    QTRY_COMPARE(rowCount(bookList(journey.mainWindow())), 3);
    answers.then(fillSettings(url, m_password)).then(pressButton(QStringLiteral("OK")));
    QVERIFY(chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
    QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
    const QMap<QString, QByteArray> cards = m_server.cards(url);
    QCOMPARE(cards.size(), 3);
    for (const QString &file : cards.keys())
        m_server.send("DELETE", url + file);
    const QByteArray before = readBytes(book);

    for (const QString &answer : {QStringLiteral("いいえ"), QStringLiteral("はい")}) {
        if (!InKeyring)
            answers.then(fillSettings(url, m_password));
        answers.then(pressButton(answer)).then(pressButton(QStringLiteral("OK")));
        QVERIFY(
            chooseFromMenu(journey.mainWindow(), QStringLiteral("ﾌｧｲﾙ"), QStringLiteral("同期")));
        QTRY_VERIFY_WITH_TIMEOUT(answers.allAnswered(), 30000);
        const QStringList messages = answers.messageTexts();
        QVERIFY2(messages.at(messages.size() - 2).contains(QStringLiteral("住所録からも 3 件")),
                 qPrintable(messages.join(u'|')));
        if (answer == QStringLiteral("いいえ")) {
            QVERIFY2(messages.last().startsWith(QStringLiteral("同期を中止しました")),
                     qPrintable(messages.last()));
            QCOMPARE(readBytes(book), before);
        }
    }
    QVERIFY2(answers.messageTexts().last().startsWith(QStringLiteral("同期しました")),
             qPrintable(answers.messageTexts().last()));
    BookDocument saved;
    QVERIFY(saved.load(book).ok());
    QCOMPARE(saved.recordCount(), 0);
}

NVL_TEST_MAIN(TestJourneySync)
#include "tst_journey_sync.moc"
