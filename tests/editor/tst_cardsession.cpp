// The card editor's rules without a window: what each command asks, in
// which order, where it leaves the editor and what it puts into the book.
#include "cardsession.h"
#include "fakeplatform.h"

#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

AddressRecord named(const QString &name) {
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    return record;
}

const QString Save = QStringLiteral("内容が変更されています、保存しますか…?");
const QString Discard = QStringLiteral("このカードは未登録です。破棄して戻りますか?。");
const QString NewCard = QStringLiteral("新規カードを登録しますか？");
const QString SaveEdited = QStringLiteral("変更した内容を保存しますか…?");

} // namespace

class TestCardSession : public QObject {
    Q_OBJECT
private slots:
    void questionsAndMoves_data();
    void questionsAndMoves();
};

void TestCardSession::questionsAndMoves_data() {
    QTest::addColumn<int>("start"); // card shown in a book of three; 4 is a new card
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("shownAfter");
    QTest::addColumn<QStringList>("book"); // names afterwards
    const QStringList three{"名1", "名2", "名3"};
    const auto yes = MessageAnswer::Yes;
    const auto no = MessageAnswer::No;
    using L = QList<MessageAnswer>;
    QTest::newRow("＞ unchanged") << 1 << false << "next" << L{} << QStringList{} << 2 << three;
    QTest::newRow("＞ edited, はい") << 1 << true << "next" << L{yes} << QStringList{Save} << 2
                                     << QStringList{"画面", "名2", "名3"};
    QTest::newRow("＞ edited, いいえ")
        << 1 << true << "next" << L{no} << QStringList{Save} << 2 << three;
    QTest::newRow("＞ after the last: a new card")
        << 3 << false << "next" << L{} << QStringList{} << 4 << three;
    QTest::newRow("＞ on a new card")
        << 4 << true << "next" << L{} << QStringList{"登録されていません。"} << 4 << three;
    QTest::newRow("≪ from a new card, いいえ")
        << 4 << true << "first" << L{no} << QStringList{Discard} << 4 << three;
    QTest::newRow("≪ from a new card, はい")
        << 4 << true << "first" << L{yes} << QStringList{Discard} << 1 << three;
    QTest::newRow("＜ edited, はい") << 2 << true << "previous" << L{yes} << QStringList{Save} << 1
                                     << QStringList{"名1", "画面", "名3"};
    QTest::newRow("≫ edited, いいえ")
        << 1 << true << "last" << L{no} << QStringList{Save} << 3 << three;
    QTest::newRow("∥ edited, はい") << 2 << true << "new" << L{yes} << QStringList{Save} << 4
                                    << QStringList{"名1", "画面", "名3"};
    QTest::newRow("登録 a new card") << 4 << true << "register" << L{} << QStringList{} << 4
                                     << QStringList{"名1", "名2", "名3", "画面"};
    QTest::newRow("登録 a card") << 3 << true << "register" << L{} << QStringList{} << 3
                                 << QStringList{"名1", "名2", "画面"};
    QTest::newRow("削除 asks") << 2 << false << "delete" << L{MessageAnswer::Ok}
                               << QStringList{"このカードを削除します。"} << 2 << three;
    QTest::newRow("close box, new card, はい")
        << 4 << true << "leave" << L{yes} << QStringList{NewCard} << 4
        << QStringList{"名1", "名2", "名3", "画面"};
    QTest::newRow("close box, card, いいえ")
        << 2 << true << "leave" << L{no} << QStringList{SaveEdited} << 2 << three;
    QTest::newRow("close box, unchanged")
        << 2 << false << "leave" << L{} << QStringList{} << 2 << three;
    // 戻る asks about a new card first, then about the edit.
    QTest::newRow("戻る, new card, いいえ then はい")
        << 4 << true << "return" << L{no, yes} << QStringList{NewCard, SaveEdited} << 4
        << QStringList{"名1", "名2", "名3", "画面"};
    QTest::newRow("戻る, card, はい") << 1 << true << "return" << L{yes} << QStringList{SaveEdited}
                                      << 1 << QStringList{"画面", "名2", "名3"};
}

void TestCardSession::questionsAndMoves() {
    QFETCH(int, start);
    QFETCH(bool, edited);
    QFETCH(QString, command);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(QStringList, asked);
    QFETCH(int, shownAfter);
    QFETCH(QStringList, book);
    BookDocument document;
    document.setRecords(
        {named(QStringLiteral("名1")), named(QStringLiteral("名2")), named(QStringLiteral("名3"))});
    FakeMessages messages;
    CardSession session(document, messages);
    session.shown = [] {
        return named(QStringLiteral("画面"));
    };
    session.showCard(start);
    if (start > session.cardCount())
        QCOMPARE(session.next(), CardSession::Next::NewCard);
    QCOMPARE(session.cardNo(), start);
    session.setModified(edited);
    messages.shown.clear();
    messages.answers.assign(answers.begin(), answers.end());

    if (command == QLatin1String("next"))
        session.next();
    else if (command == QLatin1String("first"))
        session.first();
    else if (command == QLatin1String("previous"))
        session.previous();
    else if (command == QLatin1String("last"))
        session.last();
    else if (command == QLatin1String("new"))
        session.startNewCard();
    else if (command == QLatin1String("register"))
        session.registerShown();
    else if (command == QLatin1String("delete"))
        QVERIFY(session.confirmDelete());
    else if (command == QLatin1String("leave"))
        session.askAboutEditOnLeaving();
    else if (command == QLatin1String("return")) {
        session.offerNewCardOnReturn();
        session.offerEditOnReturn();
    }

    QCOMPARE(messages.texts(), asked);
    QVERIFY(messages.answers.empty());
    QCOMPARE(session.cardNo(), shownAfter);
    QStringList names;
    for (const AddressRecord &record : document.book().records)
        names.append(record.field(AddressRecord::Name));
    QCOMPARE(names, book);
}

QTEST_MAIN(TestCardSession)
#include "tst_cardsession.moc"
