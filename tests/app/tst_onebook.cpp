// Every window command and command-line verb that touches a book, on a book
// whose companion holds 連名, a reading, tags, marks for two years, sync
// settings and an entry no record matches: afterwards the companion, read
// back from the file, holds what it held plus the command's own change.
#include "../print/printfixture.h"
#include "buildpaths.h"

#include "application.h"
#include "bookdocument.h"
#include "fonts.h"
#include "jointnames.h"
#include "recordsearch.h"
#include "yearmarks.h"

#include <QAction>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

// What the companion beside `book` says, by record name: each record's
// data, the book's settings and the entries left unmatched.
QMap<QString, QString> held(const QString &book) {
    BookDocument document;
    if (!document.load(book).ok())
        return {{QStringLiteral("(unreadable)"), book}};
    QMap<QString, QString> held;
    const auto json = [](const QJsonObject &o) {
        return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    };
    for (int row = 0; row < document.recordCount(); ++row)
        if (!document.recordData(row).isEmpty())
            held.insert(document.record(row + 1).field(AddressRecord::Name),
                        json(document.recordData(row)));
    held.insert(QStringLiteral("(settings)"), json(document.bookSettings()));
    for (const CompanionEntry &entry : document.unmatchedEntries())
        held.insert(QStringLiteral("(unmatched) ") + entry.fingerprint.name, json(entry.data));
    return held;
}

QJsonObject everything() {
    QJsonObject data = withJointNames({}, {{QStringLiteral("次郎"), QStringLiteral("様")}});
    data = withTags(withReading(data, QStringLiteral("アテナイチ")),
                    {QStringLiteral("家族"), QStringLiteral("友人")});
    return withMark(withMark(data, 2026, YearMark::Sent, true), 2027, YearMark::Received, true);
}

QString program() {
    return builtProgram();
}

} // namespace

class TestOneBook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void init();
    void cleanup() { m_desk.reset(); }
    void windowCommands_data();
    void windowCommands();
    void commandLine_data();
    void commandLine();

private:
    QString book() const { return m_desk->file(QStringLiteral("book.dat")); }
    MainWindow *openInMain();
    void clickIn(QWidget *window, const char *name) {
        child<QAbstractButton>(window, name)->click();
    }
    std::unique_ptr<FakeDesktop> m_desk;
};

void TestOneBook::init() {
    m_desk = std::make_unique<FakeDesktop>();
    registerWindows(m_desk->context);
    writeSenders(*m_desk);
    m_desk->context.today = [] {
        return QDate(2026, 12, 9);
    };
    writeBytes(book(), cp932(QStringLiteral(
                           "\"宛名1\",\"東京都千代田区1\",\"\",\"100-0001\",\"\",\"0\",\"\"\r\n"
                           "\"宛名2\",\"東京都千代田区2\",\"\",\"100-0002\",\"\",\"0\",\"\"\r\n"
                           "\"宛名3\",\"東京都千代田区3\",\"\",\"100-0003\",\"\",\"0\",\"\"\r\n")));
    BookDocument document;
    QVERIFY(document.load(book()).ok());
    document.setRecordData(0, everything());
    document.setRecordData(1, withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")}}));
    // A record another program removed: its data waits to be attached.
    QVERIFY(document.appendRecords(
        {AddressRecord::fromList({"消えた人", "大阪府", "", "530-0001", "", "0", ""})}));
    document.setRecordData(3, withReading({}, QStringLiteral("キエタヒト")));
    document.setBookSettings(
        {{QStringLiteral("sync"),
          QJsonObject{{QStringLiteral("collection"), QStringLiteral("https://dav.example/ab/")},
                      {QStringLiteral("user"), QStringLiteral("alice")}}}});
    QVERIFY(document.save().ok());
    QVERIFY(document.removeRecord(3));
    QVERIFY(writeBookFile(book(), document.book()).ok); // as another program writes it
    QVERIFY(held(book()).contains(QStringLiteral("(unmatched) 消えた人")));
}

MainWindow *TestOneBook::openInMain() {
    auto *main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    main->showForm();
    m_desk->fileDialogs.openAnswers.push_back(book());
    clickIn(main, "cmdOpen");
    return main;
}

using Change = QMap<QString, QString>; // name → data; "" removes it

void TestOneBook::windowCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<Change>("change");
    QTest::newRow("open") << "open" << Change{};
    QTest::newRow("新規作成, not saved") << "new" << Change{};
    QTest::newRow("新規作成, saved elsewhere") << "new and save" << Change{};
    QTest::newRow("名前をつけて保存, its own name") << "save as own" << Change{};
    QTest::newRow("名前をつけて保存, another name") << "save as other" << Change{};
    QTest::newRow("住所録編集 and back") << "editor" << Change{};
    QTest::newRow("順序入替") << "reorder" << Change{};
    QTest::newRow("住所録を書き出す") << "export" << Change{};
    QTest::newRow("連絡先を取り込む") << "import" << Change{};
    QTest::newRow("印刷, 記録する") << "print" << Change{{"宛名1", "sent"}, {"宛名2", "sent"}};
    QTest::newRow("同期の設定") << "sync settings" << Change{{"(settings)", "user bob"}};
    QTest::newRow("付属データの整理, 捨てる")
        << "entries" << Change{{"(unmatched) 消えた人", QString()}};
}

// What the command should have done to the companion, applied to `before`.
static QMap<QString, QString> expected(QMap<QString, QString> before, const Change &change) {
    for (auto it = change.begin(); it != change.end(); ++it) {
        if (it.value().isEmpty()) {
            before.remove(it.key());
        } else if (it.value() == QLatin1String("sent")) {
            QJsonObject data = QJsonDocument::fromJson(before.value(it.key()).toUtf8()).object();
            data = withMark(data, 2027, YearMark::Sent, true);
            before.insert(it.key(),
                          QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact)));
        } else if (it.value() == QLatin1String("user bob")) {
            before.insert(it.key(),
                          QStringLiteral("{\"sync\":{\"collection\":\"https://dav.example/ab/\","
                                         "\"user\":\"bob\"}}"));
        }
    }
    return before;
}

void TestOneBook::windowCommands() {
    QFETCH(QString, command);
    QFETCH(Change, change);
    const QMap<QString, QString> before = held(book());
    MainWindow *main = openInMain();
    QString other = m_desk->file(QStringLiteral("other.dat"));
    if (command == QLatin1String("new") || command == QLatin1String("new and save")) {
        clickIn(main, "cmdNew");
        QWidget *editor = m_desk->context.windows.existing(WindowId::CardEditor);
        QVERIFY(editor && editor->isVisible());
        if (command == QLatin1String("new and save")) {
            child<QLineEdit>(editor, "txtName")->setText(QStringLiteral("新しい人"));
            clickIn(editor, "cmdAdd");
            m_desk->messages.answers = {MessageAnswer::Yes};
            m_desk->fileDialogs.saveAnswers = {other};
        }
        clickIn(editor, "Command1");
        if (command == QLatin1String("new and save"))
            QCOMPARE(readBookFile(other).book.recordCount(), 1);
    } else if (command.startsWith(QLatin1String("save as"))) {
        if (command.endsWith(QLatin1String("own")))
            other = book();
        m_desk->fileDialogs.saveAnswers = {other};
        clickIn(main, "cmdSave");
        if (other != book())
            QCOMPARE(held(other), before); // the copy takes everything along
    } else if (command == QLatin1String("editor")) {
        clickIn(main, "cmdCard");
        clickIn(m_desk->context.windows.existing(WindowId::CardEditor), "Command1");
    } else if (command == QLatin1String("reorder")) {
        clickIn(main, "cmdReorder");
        QWidget *reorder = m_desk->context.windows.existing(WindowId::Reorder);
        auto *list = child<QListView>(reorder, "lstName");
        list->clicked(list->model()->index(0, 0));
        child<QLineEdit>(reorder, "txt2")->setText(QStringLiteral("3"));
        clickIn(reorder, "Command1");
        QCOMPARE(readBookFile(book()).book.record(3).field(AddressRecord::Name),
                 QStringLiteral("宛名1"));
        clickIn(reorder, "Command2");
    } else if (command == QLatin1String("export")) {
        m_desk->fileDialogs.saveAnswers = {m_desk->file(QStringLiteral("out.csv"))};
        main->findChild<QAction *>(QStringLiteral("mnuExport"))->trigger();
        QVERIFY(QFile::exists(m_desk->file(QStringLiteral("out.csv"))));
    } else if (command == QLatin1String("import")) {
        writeBytes(m_desk->file(QStringLiteral("in.vcf")),
                   QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:取り込み\r\n"
                              "ADR:;;1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n"));
        m_desk->fileDialogs.openAnswers = {m_desk->file(QStringLiteral("in.vcf"))};
        m_desk->messages.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
        main->findChild<QAction *>(QStringLiteral("mnuImport"))->trigger();
        QCOMPARE(readBookFile(book()).book.recordCount(), 4);
    } else if (command == QLatin1String("print")) {
        child<QListView>(main, "lstSet1")
            ->selectionModel()
            ->select(QItemSelection(main->findChild<QListView *>("lstSet1")->model()->index(0, 0),
                                    main->findChild<QListView *>("lstSet1")->model()->index(1, 0)),
                     QItemSelectionModel::Select);
        clickIn(main, "cmdAdd");
        clickIn(main, "cmdPrint");
        QWidget *print = m_desk->context.windows.existing(WindowId::Print);
        m_desk->printerDialog.outputFile = m_desk->file(QStringLiteral("out.pdf"));
        m_desk->printerDialog.answers = {true};
        m_desk->printerDialog.sentYears = {2027};
        m_desk->messages.answers = {MessageAnswer::Ok};
        clickIn(print, "cmdPrint");
        QVERIFY(QFile::exists(m_desk->file(QStringLiteral("out.pdf"))));
    } else if (command == QLatin1String("sync settings")) {
        QTimer::singleShot(0, this, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            child<QLineEdit>(dialog, "txtSyncUser")->setText(QStringLiteral("bob"));
            for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
                if (button->text() == QStringLiteral("OK"))
                    button->click();
        });
        main->findChild<QAction *>(QStringLiteral("mnuSyncSettings"))->trigger();
    } else if (command == QLatin1String("entries")) {
        m_desk->messages.answers = {MessageAnswer::Yes};
        QTimer::singleShot(0, this, [] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            child<QListWidget>(dialog, "lstEntries")->setCurrentRow(0);
            child<QAbstractButton>(dialog, "cmdDiscard")->click();
            child<QAbstractButton>(dialog, "cmdClose")->click();
        });
        main->findChild<QAction *>(QStringLiteral("mnuEntries"))->trigger();
    }
    QCOMPARE(held(book()), expected(before, change));
    // The book's next save finds its files as it left them: no other
    // program's change to ask about.
    BookDocument &open = m_desk->context.book;
    if (open.holds(book()))
        QVERIFY(open.commit([&open] {
                        open.setRecordData(2, withTags({}, {QStringLiteral("あと")}));
                        return true;
                    })
                    .ok());
}

void TestOneBook::commandLine_data() {
    QTest::addColumn<QStringList>("arguments"); // BOOK for the book
    QTest::addColumn<int>("status");
    QTest::addColumn<Change>("change");
    QTest::newRow("list") << QStringList{"list", "BOOK"} << 0 << Change{};
    QTest::newRow("mark") << QStringList{"mark", "BOOK", "--records", "1,2", "--sent", "2027"} << 0
                          << Change{{"宛名1", "sent"}, {"宛名2", "sent"}};
    QTest::newRow("import --append")
        << QStringList{"import", "in.vcf", "BOOK", "--append"} << 0 << Change{};
    QTest::newRow("export") << QStringList{"export", "BOOK", "out.vcf"} << 0 << Change{};
    QTest::newRow("print-pdf") << QStringList{"print-pdf", "BOOK", "out.pdf"} << 0 << Change{};
    // No server there: nothing is changed, and it says so.
    QTest::newRow("sync, server away")
        << QStringList{"sync", "BOOK", "http://127.0.0.1:9/ab/", "--password-file", "pw"} << 1
        << Change{};
}

void TestOneBook::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(Change, change);
    const QMap<QString, QString> before = held(book());
    writeBytes(m_desk->file(QStringLiteral("in.vcf")),
               QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:取り込み\r\n"
                          "ADR:;;1-1;千代田区;東京都;100-0001;\r\nEND:VCARD\r\n"));
    writeBytes(m_desk->file(QStringLiteral("pw")), QByteArray("secret\n"));
    for (QString &argument : arguments)
        if (argument == QLatin1String("BOOK"))
            argument = book();
        else if (argument.contains(u'.') && !argument.contains(u'/'))
            argument = m_desk->file(argument);
        else if (argument == QLatin1String("pw"))
            argument = m_desk->file(argument);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program(), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(held(book()), expected(before, change));
}

QTEST_MAIN(TestOneBook)
#include "tst_onebook.moc"
