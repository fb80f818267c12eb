// Import and export from the main window's File menu: the file dialogs and
// messages scripted, the column mapping window real and driven as a user
// drives it.
#include "bookfile.h"
#include "fakeplatform.h"
#include "importmappingdialog.h"
#include "mainwindow.h"
#include "testmain.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

using namespace nvl;
using namespace nvl::test;

namespace {

QByteArray bookOf(int count, const QString &tag = QStringLiteral("宛名")) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("\"%1%2\",\"東京都\",\"一丁目\",\"100-0001\",\"\",\"0\",\"\"\r\n")
                    .arg(tag)
                    .arg(i);
    return cp932(text);
}

const QByteArray TwoContacts =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:一人目\r\nADR:;;千代田1-1;千代田区;東京都;100-0001;\r\n"
    "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:二人目\r\nADR:;;梅田1-1;大阪市北区;大阪府;"
    "530-0001;\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:住所なし\r\nEND:VCARD\r\n";

// Runs `answer` on the column mapping window as soon as it is shown.
void whenMappingShown(std::function<void(ImportMappingDialog *)> answer) {
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto *dialog = qobject_cast<ImportMappingDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start(10);
}

} // namespace

class TestImportExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_desk.reset(); }
    void vCardIntoTheOpenBook_data();
    void vCardIntoTheOpenBook();
    void csvThroughTheMappingWindow_data();
    void csvThroughTheMappingWindow();
    void openingAForeignCsvOffersImport();
    void neverPastTheCapNorOverOtherChanges_data();
    void neverPastTheCapNorOverOtherChanges();
    void fullDiskLeavesTheBook();
    void exportWritesCsvAndVCard_data();
    void exportWritesCsvAndVCard();

private:
    void start();
    void open(const QString &path) {
        m_desk->fileDialogs.openAnswers.push_back(path);
        child<QAbstractButton>(m_main, "cmdOpen")->click();
    }
    void import(const QString &path) {
        m_desk->fileDialogs.openAnswers.push_back(path);
        child<QAction>(m_main, "mnuImport")->trigger();
    }
    QStringList listed() { return rowTexts(child<QListView>(m_main, "lstSet1")); }

    std::unique_ptr<FakeDesktop> m_desk;
    MainWindow *m_main = nullptr;
};

void TestImportExport::init() {
    m_desk = std::make_unique<FakeDesktop>();
    m_desk->context.windows.setFactory(WindowId::Main,
                                       [](AppContext &c) { return new MainWindow(c); });
}

void TestImportExport::start() {
    m_main = m_desk->context.windows.get<MainWindow>(WindowId::Main);
    m_main->showForm();
}

void TestImportExport::vCardIntoTheOpenBook_data() {
    QTest::addColumn<int>("answer"); // to "add to the open book?"
    QTest::addColumn<QStringList>("inOpenBook");
    QTest::addColumn<QStringList>("inNewBook");
    QTest::newRow("yes: appended and saved")
        << int(MessageAnswer::Yes) << QStringList{"宛名1", "宛名2", "一人目", "二人目"}
        << QStringList{};
    QTest::newRow("no: a new book") << int(MessageAnswer::No) << QStringList{"宛名1", "宛名2"}
                                    << QStringList{"一人目", "二人目"};
    QTest::newRow("cancel: nothing")
        << int(MessageAnswer::Cancel) << QStringList{"宛名1", "宛名2"} << QStringList{};
}

void TestImportExport::vCardIntoTheOpenBook() {
    QFETCH(int, answer);
    QFETCH(QStringList, inOpenBook);
    QFETCH(QStringList, inNewBook);
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    writeBytes(book, bookOf(2));
    const QString contacts = m_desk->file(QStringLiteral("contacts.vcf"));
    writeBytes(contacts, TwoContacts);
    const QString newBook = m_desk->file(QStringLiteral("new.dat"));
    start();
    open(book);
    // The skipped contact is named, then the question.
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer(answer)};
    m_desk->fileDialogs.saveAnswers.push_back(newBook);
    import(contacts);
    QVERIFY(m_desk->messages.texts().value(0).contains(QStringLiteral("住所なし")));
    QVERIFY(m_desk->messages.texts().value(1).contains(QStringLiteral("（2件）")));
    QCOMPARE(m_desk->messages.shown.value(1).buttons, MessageButtons::YesNoCancel);

    const BookRead onDisk = readBookFile(book);
    QStringList names;
    for (const AddressRecord &r : onDisk.book.records)
        names.append(r.field(AddressRecord::Name));
    QCOMPARE(names, inOpenBook);
    if (inNewBook.isEmpty()) {
        QVERIFY(!QFile::exists(newBook));
        QCOMPARE(listed(), inOpenBook);
        return;
    }
    QCOMPARE(listed(), inNewBook); // the new book is the one open now
    QCOMPARE(m_desk->context.book.filePath(), newBook);
    QCOMPARE(readBookFile(newBook).book.recordCount(), 2);
}

void TestImportExport::csvThroughTheMappingWindow_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("columns changed, imported") << true;
    QTest::newRow("cancelled: nothing") << false;
}

void TestImportExport::csvThroughTheMappingWindow() {
    QFETCH(bool, accept);
    // Headers the guess cannot place: the user picks the columns.
    const QString csv = m_desk->file(QStringLiteral("list.csv"));
    writeBytes(csv, cp932(QStringLiteral("お名前,〒,おところ\r\n山田 太郎,1000001,"
                                         "東京都千代田区千代田1-1\r\n")));
    start();
    bool sawPreview = false;
    bool importBlocked = false;
    bool fits = false;
    whenMappingShown([&](ImportMappingDialog *dialog) {
        auto *table = child<QTableWidget>(dialog, "tblPreview");
        sawPreview = table->item(0, 0) && table->item(0, 0)->text() == QStringLiteral("山田 太郎");
        // No taller than the screen (800 × 600 here), its buttons inside it.
        const QRect screen = dialog->screen()->availableGeometry();
        auto *import = child<QPushButton>(dialog, "cmdImport");
        fits = dialog->height() <= screen.height() &&
               dialog->rect().contains(QRect(import->mapTo(dialog, QPoint()), import->size()));
        // Only the postal code is recognised: nothing to import yet.
        importBlocked = !child<QPushButton>(dialog, "cmdImport")->isEnabled();
        if (!accept) {
            child<QPushButton>(dialog, "cmdCancel")->click();
            return;
        }
        child<QComboBox>(dialog, "cmbColumn0")->setCurrentIndex(1); // 氏名
        child<QComboBox>(dialog, QStringLiteral("cmbColumn%1")
                                     .arg(int(ImportColumn::WholeAddress))
                                     .toLatin1()
                                     .constData())
            ->setCurrentIndex(3);
        child<QPushButton>(dialog, "cmdImport")->click();
    });
    m_desk->fileDialogs.saveAnswers.push_back(m_desk->file(QStringLiteral("new.dat")));
    import(csv);
    QVERIFY(sawPreview);
    QVERIFY(fits);
    QVERIFY(importBlocked);
    if (!accept) {
        QVERIFY(m_desk->messages.shown.isEmpty());
        QVERIFY(m_desk->fileDialogs.saveRequests.isEmpty());
        return;
    }
    const BookRead read = readBookFile(m_desk->file(QStringLiteral("new.dat")));
    QVERIFY(read.ok());
    QCOMPARE(read.book.recordCount(), 1);
    const AddressRecord &r = read.book.record(1);
    QCOMPARE(r.field(AddressRecord::Name), QStringLiteral("山田 太郎"));
    QCOMPARE(r.field(AddressRecord::PostalCode), QStringLiteral("100-0001"));
    QCOMPARE(r.field(AddressRecord::Address1), QStringLiteral("東京都千代田区"));
    QCOMPARE(r.field(AddressRecord::Address2), QStringLiteral("千代田1-1"));
}

void TestImportExport::openingAForeignCsvOffersImport() {
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    writeBytes(book, bookOf(1));
    const QString csv = m_desk->file(QStringLiteral("google.csv"));
    writeBytes(csv, QByteArray("\xEF\xBB\xBF") +
                        QStringLiteral("Name,Address 1 - Street,Address 1 - City,Address 1 - "
                                       "Region,Address 1 - Postal Code\n"
                                       "鈴木 一郎,梅田1-1,大阪市北区,大阪府,530-0001\n")
                            .toUtf8());
    start();
    open(book);
    // Yes to import, the mapping as guessed, yes to add to the open book.
    m_desk->messages.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};
    whenMappingShown(
        [](ImportMappingDialog *dialog) { child<QPushButton>(dialog, "cmdImport")->click(); });
    open(csv);
    QVERIFY(m_desk->messages.texts().value(0).contains(QStringLiteral("CSV")));
    QCOMPARE(listed(), (QStringList{"宛名1", "鈴木 一郎"}));
    QCOMPARE(m_desk->context.book.filePath(), book); // the CSV was not taken for a book
    QCOMPARE(readBookFile(book).book.recordCount(), 2);
    QCOMPARE(readBookFile(book).book.record(2).field(AddressRecord::Address1),
             QStringLiteral("大阪府大阪市北区"));
}

void TestImportExport::neverPastTheCapNorOverOtherChanges_data() {
    QTest::addColumn<int>("inBook");
    QTest::addColumn<bool>("changedOnDisk");
    QTest::addColumn<QString>("says");
    QTest::newRow("299 + 2 > 300") << 299 << false << QStringLiteral("あと1件");
    QTest::newRow("changed by another program") << 2 << true << QStringLiteral("ほかのプログラム");
}

void TestImportExport::neverPastTheCapNorOverOtherChanges() {
    QFETCH(int, inBook);
    QFETCH(bool, changedOnDisk);
    QFETCH(QString, says);
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    writeBytes(book, bookOf(inBook));
    const QString contacts = m_desk->file(QStringLiteral("contacts.vcf"));
    writeBytes(contacts, TwoContacts);
    start();
    open(book);
    if (changedOnDisk)
        writeBytes(book, bookOf(inBook, QStringLiteral("他")));
    const QByteArray before = readBytes(book);
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Ok};
    import(contacts);
    QVERIFY2(m_desk->messages.texts().value(2).contains(says),
             qPrintable(m_desk->messages.texts().join(u'\n')));
    QCOMPARE(readBytes(book), before);
    QCOMPARE(listed().size(), inBook);
}

// Adding to a book on a full disk: the book stays as it was, on disk and in
// the window, and the user is told which file.
void TestImportExport::fullDiskLeavesTheBook() {
    const SmallDisk disk("64k");
    if (!disk.mounted())
        NVL_SKIP_UNLESS_CI("mounting a small tmpfs is not allowed here");
    const QString book = disk.filePath(QStringLiteral("book.dat"));
    writeBytes(book, bookOf(2));
    const QString contacts = m_desk->file(QStringLiteral("contacts.vcf"));
    writeBytes(contacts, TwoContacts);
    start();
    open(book);
    QFile filler(disk.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();
    m_desk->messages.answers = {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Ok};
    import(contacts);
    QVERIFY2(m_desk->messages.texts().value(2).contains(book),
             qPrintable(m_desk->messages.texts().join(u'\n')));
    QCOMPARE(readBytes(book), bookOf(2));
    QCOMPARE(listed(), (QStringList{"宛名1", "宛名2"}));
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"book.dat", "filler"}));
}

void TestImportExport::exportWritesCsvAndVCard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("CSV") << "out.csv" << QByteArray("\xEF\xBB\xBF\"氏名\",\"住所１\"");
    QTest::newRow("vCard") << "out.vcf" << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:");
    QTest::newRow("no extension: CSV") << "out" << QByteArray("\xEF\xBB\xBF\"氏名\"");
}

void TestImportExport::exportWritesCsvAndVCard() {
    QFETCH(QString, name);
    QFETCH(QByteArray, starts);
    const QString book = m_desk->file(QStringLiteral("book.dat"));
    writeBytes(book, bookOf(3));
    start();
    QVERIFY(!child<QAction>(m_main, "mnuExport")->isEnabled()); // no book yet
    open(book);
    QVERIFY(child<QAction>(m_main, "mnuExport")->isEnabled());
    m_desk->fileDialogs.saveAnswers.push_back(m_desk->file(name));
    child<QAction>(m_main, "mnuExport")->trigger();
    const QString written =
        m_desk->file(name.contains(u'.') ? name : name + QStringLiteral(".csv"));
    QVERIFY2(readBytes(written).startsWith(starts), readBytes(written).left(80).constData());
    QVERIFY(m_desk->messages.texts().value(0).contains(QStringLiteral("3件")));
    QCOMPARE(readBytes(book), bookOf(3));
}

NVL_TEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
