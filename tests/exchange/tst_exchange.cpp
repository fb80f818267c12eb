// vCard and foreign CSV in, CSV and vCard out: the readers against the
// files phones and web address books write, broken ones included, and the
// round trips.
#include "contactfile.h"
#include "foreigncsv.h"
#include "recordsearch.h"
#include "vcard.h"

#include <QStringEncoder>
#include <QtTest>

using namespace nvl;

namespace {

// name|postal code|住所１|住所２|建物名
QString summary(const AddressRecord &r) {
    return QStringList{r.field(AddressRecord::Name), r.field(AddressRecord::PostalCode),
                       r.field(AddressRecord::Address1), r.field(AddressRecord::Address2),
                       r.field(AddressRecord::Address3)}
        .join(u'|');
}

QStringList summaries(const QList<AddressRecord> &records) {
    QStringList out;
    for (const AddressRecord &r : records)
        out.append(summary(r));
    return out;
}

QByteArray sjis(const QString &text) {
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

QByteArray utf8(const char *text) {
    return QByteArray(text);
}

// Quoted-printable of bytes, every byte encoded, soft breaks every 30.
QByteArray qp(const QByteArray &bytes) {
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out += '=' + bytes.mid(i, 1).toHex().toUpper();
        if (i % 10 == 9 && i + 1 < bytes.size())
            out += "=\r\n";
    }
    return out;
}

AddressRecord record(const QString &name, const QString &zip, const QString &a1, const QString &a2,
                     const QString &building, const QString &code = {},
                     const QString &honorific = QStringLiteral("0")) {
    AddressRecord r;
    r.setField(AddressRecord::Name, name);
    r.setField(AddressRecord::PostalCode, zip);
    r.setField(AddressRecord::Address1, a1);
    r.setField(AddressRecord::Address2, a2);
    r.setField(AddressRecord::Address3, building);
    r.setField(AddressRecord::Code, code);
    r.setField(AddressRecord::Honorific, honorific);
    return r;
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void vcards_data();
    void vcards();
    void csvFiles_data();
    void csvFiles();
    void foreignOrBook_data();
    void foreignOrBook();
    void roundTrips();
    void capacity();
    void longFieldsKeptWithAWarning();
    void largeQuotedPrintableInLinearTime();
    void formulasEscapedOnExport();
    void hostileContacts_data();
    void realExports_data();
    void realExports();
    void hostileContacts();
    void importedCodes();
    void readingsFromEveryColumn_data();
    void readingsFromEveryColumn();
    void tagsAndMarksThroughCsv_data();
    void tagsAndMarksThroughCsv();
};

void TestExchange::vcards_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<bool>("broken");

    QTest::newRow("3.0, folded, home before work, two cards")
        << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nN:山田;太郎;;;\r\n"
                "ADR;TYPE=WORK:;;丸の内1-1;千代田区;東京都;100-0005;日本\r\n"
                "ADR;TYPE=HOME:;グランハイツ101;千代田1-2-3;千代田\r\n 区;東京都;1000001;日本\r\n"
                "END:VCARD\r\n"
                "BEGIN:VCARD\r\nVERSION:3.0\r\nN:佐藤;花子;;;\r\n"
                "item1.ADR;type=HOME;type=pref:;;梅田3-1;大阪市北区;大阪府;〒５３０－０００１;\r\n"
                "END:VCARD\r\n")
        << QStringList{"山田 太郎|1000001|東京都千代田区|千代田1-2-3|グランハイツ101",
                       "佐藤 花子|530-0001|大阪府大阪市北区|梅田3-1|"}
        << QStringList{} << false;
    const QByteArray sjisAddress = sjis(QStringLiteral("東京都千代田区千代田１－１"));
    QTest::newRow("2.1, quoted-printable Shift_JIS with soft breaks")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:" +
               qp(sjis(QStringLiteral("高橋"))) + ";" + qp(sjis(QStringLiteral("一郎"))) +
               "\r\nADR;HOME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:;;" + qp(sjisAddress) +
               ";;;100-0001;\r\nEND:VCARD\r\n"
        << QStringList{"高橋 一郎|100-0001|東京都千代田区|千代田１－１|"} << QStringList{} << false;
    QTest::newRow("2.1, quoted-printable UTF-8, bare QUOTED-PRINTABLE")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;QUOTED-PRINTABLE:" +
               qp(QStringLiteral("𠮷田 鷗外").toUtf8()) +
               "\r\nADR;CHARSET=UTF-8;QUOTED-PRINTABLE:;;" +
               qp(QStringLiteral("京都市左京区岡崎").toUtf8()) + ";;;6068001;\r\nEND:VCARD\r\n"
        << QStringList{"𠮷田 鷗外|6068001|京都市左京区|岡崎|"} << QStringList{} << false;
    QTest::newRow("4.0, quoted label with a colon, TYPE list, no address skipped")
        << utf8("BEGIN:VCARD\nVERSION:4.0\nFN:伊藤 誠\n"
                "ADR;TYPE=\"home,work\";LABEL=\"住所: "
                "札幌\":;;北一条西2-1;札幌市中央区;北海道;060-0001;\n"
                "END:VCARD\nBEGIN:VCARD\nVERSION:4.0\nFN:電話だけの人\nTEL:0312345678\nEND:VCARD\n")
        << QStringList{"伊藤 誠|060-0001|北海道札幌市中央区|北一条西2-1|"}
        << QStringList{"電話だけの人（住所がありません）"} << false;
    QTest::newRow("whole address in the street, escapes")
        << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:中村\\, 商店\r\n"
                "ADR:;;福岡県福岡市博多区博多駅前1-1;;;812-0011;\r\nEND:VCARD\r\n")
        << QStringList{"中村, 商店|812-0011|福岡県福岡市博多区|博多駅前1-1|"} << QStringList{}
        << false;
    QTest::newRow("an address of a country or control characters only is none")
        << utf8("BEGIN:VCARD\r\nFN:国だけ\r\nADR:;;;;;;日本\r\nEND:VCARD\r\n"
                "BEGIN:VCARD\r\nFN:制御文字\r\nADR:;;\x01;\x02;;;\r\nEND:VCARD\r\n")
        << QStringList{}
        << QStringList{"国だけ（住所がありません）", "制御文字（住所がありません）"} << false;
    QTest::newRow("no vCard at all")
        << utf8("山田,東京都\r\n") << QStringList{} << QStringList{} << true;
    QTest::newRow("card never closed")
        << utf8("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:途中\r\nADR:;;東京都;;;;\r\n") << QStringList{}
        << QStringList{} << true;
    QTest::newRow("card inside a card")
        << utf8("BEGIN:VCARD\r\nFN:一\r\nBEGIN:VCARD\r\nEND:VCARD\r\n") << QStringList{}
        << QStringList{} << true;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{} << true;
}

void TestExchange::vcards() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, records);
    QFETCH(QStringList, skipped);
    QFETCH(bool, broken);
    const ImportResult read = readVCards(file);
    QCOMPARE(!read.ok(), broken);
    QCOMPARE(summaries(read.records), records);
    QCOMPARE(read.skipped, skipped);
    for (const AddressRecord &r : read.records)
        QCOMPARE(r.field(AddressRecord::Honorific), QStringLiteral("0"));
    // Read as a file streams in, chunks ending anywhere in a line.
    for (const int chunk : {1, 5}) {
        VCardReader reader;
        for (qsizetype at = 0; at < file.size(); at += chunk)
            reader.feed(file.mid(at, chunk));
        const ImportResult fed = reader.finish();
        QCOMPARE(fed.records, read.records);
        QCOMPARE(fed.skipped, read.skipped);
        QCOMPARE(fed.error, read.error);
    }
}

void TestExchange::csvFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<bool>("broken");

    const QString japanese =
        QStringLiteral("氏名,郵便番号,住所,建物名,敬称\r\n"
                       "山田 太郎,〒100-0001,東京都千代田区千代田1-1,\"ハイツ\"\"A\"\", 1\",殿\r\n"
                       "住所なし,,,,\r\n,,,,\r\n");
    const QStringList japaneseRecords{"山田 太郎|100-0001|東京都千代田区|千代田1-1|ハイツ\"A\", 1"};
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + japanese.toUtf8() << japaneseRecords
                                    << QStringList{"住所なし（住所がありません）"} << false;
    QTest::newRow("UTF-8") << japanese.toUtf8() << japaneseRecords
                           << QStringList{"住所なし（住所がありません）"} << false;
    QTest::newRow("CP932") << sjis(japanese) << japaneseRecords
                           << QStringList{"住所なし（住所がありません）"} << false;
    QTest::newRow("Google Contacts")
        << utf8("Name,Given Name,Family Name,Address 1 - Type,Address 1 - Formatted,"
                "Address 1 - Street,Address 1 - City,Address 1 - Region,Address 1 - Postal Code,"
                "Address 1 - Extended Address\n"
                "鈴木 一郎,一郎,鈴木,Home,\"〒530-0001\n大阪府大阪市北区梅田1-1\",梅田1-1,"
                "大阪市北区,大阪府,530-0001,梅田ビル5F\n")
        << QStringList{"鈴木 一郎|530-0001|大阪府大阪市北区|梅田1-1|梅田ビル5F"} << QStringList{}
        << false;
    // The only address: its code fills the postal code, the country goes.
    QTest::newRow("one formatted address, lines and country dropped")
        << utf8("Name,Address 1 - Formatted\n"
                "\"高橋 一郎\",\"〒100-0001\n東京都千代田区千代田1-1\n日本\"\n"
                "\"田中 花子\",\"日本、〒１００－０００５ 東京都千代田区丸の内1-1\"\n")
        << QStringList{"高橋 一郎|100-0001|東京都千代田区|千代田1-1|",
                       "田中 花子|100-0005|東京都千代田区|丸の内1-1|"}
        << QStringList{} << false;
    QTest::newRow("Outlook, family and given name")
        << utf8("First Name,Last Name,Home Street,Home City,Home State,Home Postal Code\r\n"
                "花子,佐藤,大保1-2,小郡市,福岡県,8380106\r\n")
        << QStringList{"佐藤 花子|8380106|福岡県小郡市|大保1-2|"} << QStringList{} << false;
    QTest::newRow("the card's own columns")
        << utf8("氏名,住所１,住所２,郵便番号,コード,敬称,建物名\r\n"
                "\"株式会社 "
                "NVL\",\"東京都港区\",\"芝公園4-2-8\",\"105-0011\",\"A1\",\"御中\",\"\"\r\n")
        << QStringList{"株式会社 NVL|105-0011|東京都港区|芝公園4-2-8|"} << QStringList{} << false;
    QTest::newRow("quote never closed")
        << utf8("氏名,住所\r\n\"山田,東京都\r\n") << QStringList{} << QStringList{} << true;
    // A control character in a postal code or honorific reads the same when
    // the record is exported and imported again.
    QTest::newRow("control characters")
        << utf8("氏名,郵便番号,住所,敬称\r\n山田,\"〒100-00\x01\"01,東京都千代田区,\"殿\x02\"\r\n")
        << QStringList{"山田|100-0001|東京都千代田区||"} << QStringList{} << false;
    QTest::newRow("an address of control characters only is none")
        << utf8("氏名,住所\r\n山田,\"\x01\x02\"\r\n") << QStringList{}
        << QStringList{"山田（住所がありません）"} << false;
    QTest::newRow("no name column")
        << utf8("電話,メモ\r\n03,x\r\n") << QStringList{} << QStringList{} << true;
    QTest::newRow("not text") << QByteArray("\x00\x01\x02", 3) << QStringList{} << QStringList{}
                              << true;
}

void TestExchange::csvFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, records);
    QFETCH(QStringList, skipped);
    QFETCH(bool, broken);
    const CsvRead table = readCsvTable(file);
    ImportResult read;
    if (table.ok())
        read = recordsFromTable(table.table, guessMapping(table.table.header));
    else
        read.error = table.error;
    QCOMPARE(!read.ok(), broken);
    QVERIFY(!broken || !read.error.isEmpty());
    QCOMPARE(summaries(read.records), records);
    QCOMPARE(read.skipped, skipped);
    // What was read reads the same after export and import.
    if (!read.records.isEmpty()) {
        const CsvRead again = readCsvTable(writeExportCsv(read.records));
        QVERIFY(again.ok());
        QCOMPARE(recordsFromTable(again.table, guessMapping(again.table.header)).records,
                 read.records);
    }
    if (QTest::currentDataTag() == QByteArrayLiteral("UTF-8") ||
        QTest::currentDataTag() == QByteArrayLiteral("control characters"))
        QCOMPARE(read.records.first().field(AddressRecord::Honorific), QStringLiteral("1"));
    if (QTest::currentDataTag() == QByteArrayLiteral("the card's own columns")) {
        QCOMPARE(read.records.first().field(AddressRecord::Honorific), QStringLiteral("2"));
        QCOMPARE(read.records.first().field(AddressRecord::Code), QStringLiteral("A1"));
    }
}

void TestExchange::foreignOrBook_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("foreign");
    const QString book = QStringLiteral(
        "\"山田 太郎\",\"東京都千代田区\",\"千代田1-1\",\"100-0001\",\"\",\"0\",\"\"\r\n");
    QTest::newRow("a book in CP932") << sjis(book) << false;
    QTest::newRow("a book in UTF-8 with BOM (𠮷)")
        << "\xEF\xBB\xBF" + QString(book).replace(u'山', QStringLiteral("𠮷")).toUtf8() << false;
    QTest::newRow("a header row") << sjis(QStringLiteral("氏名,郵便番号,住所\r\n")) << true;
    QTest::newRow("English header row") << utf8("Name,Address 1 - Street\n") << true;
    QTest::newRow("BOM, not a book") << utf8("\xEF\xBB\xBF"
                                             "a,b\r\n")
                                     << true;
    QTest::newRow("plain text") << utf8("memo\r\n") << false;
}

void TestExchange::foreignOrBook() {
    QFETCH(QByteArray, file);
    QFETCH(bool, foreign);
    QCOMPARE(isForeignCsv(file), foreign);
}

void TestExchange::roundTrips() {
    const QList<AddressRecord> records = {
        record(QStringLiteral("山田 太郎"), QStringLiteral("100-0001"),
               QStringLiteral("東京都千代田区"), QStringLiteral("千代田1-1"),
               QStringLiteral("ハイツ\"A\", 1;2\\3"), QStringLiteral("C-1"), QStringLiteral("0")),
        record(QStringLiteral("𠮷田　鷗外"), QStringLiteral("606-8001"),
               QStringLiteral("京都府京都市左京区"), QStringLiteral("岡崎"), {}, {},
               QStringLiteral("4")),
        record(QStringLiteral("株式会社ＮＶＬ"), QStringLiteral("1050011"),
               QStringLiteral("東京都港区芝公園"), {},
               QStringLiteral("５階 ＮＶＬ芝公園タワー南棟 総務部受付気付"), QStringLiteral("x"),
               QStringLiteral("2")),
        record(QStringLiteral("敬称なし"), {}, QStringLiteral("北海道"), QStringLiteral("札幌"), {},
               {}, QString()),
    };
    // Both keep every field; an empty honorific comes back as 様, as typed.
    QList<AddressRecord> expected = records;
    expected.last().setField(AddressRecord::Honorific, QStringLiteral("0"));
    // 連名, readings and tags with them, back in their own columns and properties.
    const QList<QJsonObject> joint = {
        withTags(withReading(withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")},
                                                 {QStringLiteral("健太"), QStringLiteral("くん")},
                                                 {QStringLiteral("鈴木 一郎"), QString()}}),
                             QStringLiteral("やまだ たろう")),
                 {QStringLiteral("家族"), QStringLiteral("同窓会")}),
        withMark(withMark(withReading({}, QStringLiteral("よしだ")), 2026, YearMark::Sent, true),
                 2027, YearMark::Mourning, true),
        withJointNames({}, {{QStringLiteral("総務部;経理,部"), QStringLiteral("御中")}}),
        withTags({}, {QStringLiteral("仕事")})};
    const CsvRead table = readCsvTable(writeExportCsv(records, joint));
    QVERIFY(table.ok());
    const ImportResult csv = recordsFromTable(table.table, guessMapping(table.table.header));
    QVERIFY(csv.ok() && csv.skipped.isEmpty());
    QCOMPARE(csv.records, expected);
    QCOMPARE(csv.data, joint);
    const QByteArray vcard = writeVCards(records, joint);
    const ImportResult vcf = readVCards(vcard);
    QVERIFY(vcf.ok() && vcf.skipped.isEmpty());
    QCOMPARE(vcf.records, expected);
    QCOMPARE(vcf.data, joint);
    // A postcard program's spellings of the columns.
    const CsvRead other =
        readCsvTable(QStringLiteral("氏名,ﾌﾘｶﾞﾅ,郵便番号,住所1,連名１,連名1(敬称),家族2,連名2敬称,"
                                    "グループ,2026年送信,受信(2026),喪中２０２５,送受信2026\r\n"
                                    "山田 太郎,ﾔﾏﾀﾞ ﾀﾛｳ,100-0001,東京都千代田区1,"
                                    "花子,様,健太,くん,家族；友人、家族,済,○,1,送受\r\n")
                         .toUtf8());
    const ImportResult spelled = recordsFromTable(other.table, guessMapping(other.table.header));
    QCOMPARE(spelled.data.size(), 1);
    QJsonObject spelledData = spelled.data.value(0);
    spelledData.remove(QStringLiteral("history"));
    QCOMPARE(spelledData,
             QJsonObject(withTags(
                 withReading(withJointNames({}, {{QStringLiteral("花子"), QStringLiteral("様")},
                                                 {QStringLiteral("健太"), QStringLiteral("くん")}}),
                             QStringLiteral("ﾔﾏﾀﾞ ﾀﾛｳ")),
                 {QStringLiteral("家族"), QStringLiteral("友人")})));
    QCOMPARE(yearMarksOf(spelled.data.value(0)),
             (YearMarks{{2026, int(YearMark::Sent) | int(YearMark::Received)},
                        {2025, int(YearMark::Mourning)}}));
    QCOMPARE(spelled.warnings, QStringList{"読み込まなかった列: 送受信2026（山田 太郎）"});
    // Readings and categories as address books write them.
    const ImportResult books = readVCards(utf8(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎\r\nSORT-STRING:やまだ\r\n"
        "X-PHONETIC-FIRST-NAME:タロウ\r\nX-PHONETIC-LAST-NAME:ヤマダ\r\n"
        "CATEGORIES:家族,大学\\,同期\r\nADR:;;千代田1;千代田区;東京都;;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:佐藤 花子\r\nN;SORT-AS=\"さとう,はなこ\":佐藤;花子;;;\r\n"
        "SORT-STRING:ちがう\r\nADR:;;梅田1;大阪市北区;大阪府;;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:鈴木\r\nSORT-STRING:すずき\r\n"
        "ADR:;;栄1;名古屋市中区;愛知県;;\r\nEND:VCARD\r\n"));
    QCOMPARE(books.data,
             QList<QJsonObject>({withTags(withReading({}, QStringLiteral("ヤマダ タロウ")),
                                          {QStringLiteral("家族"), QStringLiteral("大学,同期")}),
                                 withReading({}, QStringLiteral("さとう はなこ")),
                                 withReading({}, QStringLiteral("すずき"))}));
    // Folded at 75 octets, each piece still UTF-8.
    for (const QByteArray &line : vcard.split('\n')) {
        QVERIFY2(line.size() <= 76, line.constData()); // with its CR
        QVERIFY(QString::fromUtf8(line).toUtf8() == line);
    }
}

void TestExchange::capacity() {
    AddressBook book;
    for (int i = 0; i < 298; ++i)
        book.records.append(record(QString::number(i), {}, QStringLiteral("東京都"), {}, {}));
    const QList<AddressRecord> two(2,
                                   record(QStringLiteral("新"), {}, QStringLiteral("a"), {}, {}));
    const MergeResult fits = appendRecords(book, two);
    QVERIFY(fits.ok());
    QCOMPARE(fits.book.recordCount(), 300);
    const MergeResult over = appendRecords(book, two + two.mid(0, 1));
    QVERIFY(!over.ok());
    QCOMPARE(over.book.recordCount(), 298); // nothing imported
    QVERIFY2(over.error.contains(QStringLiteral("301件")) &&
                 over.error.contains(QStringLiteral("2件")),
             qPrintable(over.error));
}

void TestExchange::longFieldsKeptWithAWarning() {
    const QString longName(25, QChar(0x9f8d));
    const QByteArray file = "BEGIN:VCARD\r\nFN:" + longName.toUtf8() +
                            "\r\nADR:;;一丁目;千代田区;東京都;;\r\nEND:VCARD\r\n";
    const ImportResult read = readVCards(file);
    QCOMPARE(read.records.size(), 1);
    QCOMPARE(read.records.first().field(AddressRecord::Name), longName);
    QCOMPARE(read.warnings.size(), 1);
    QVERIFY(read.warnings.first().contains(QStringLiteral("25文字")));
}

void TestExchange::largeQuotedPrintableInLinearTime() {
    // One address of 4 MB in soft-broken lines, and a photo of 4 MB passed
    // over: a join that rescans its line would take this test past its
    // CTest timeout.
    QByteArray street;
    for (int line = 0; street.size() < 4 * 1024 * 1024; ++line)
        street += QByteArray(72, 'A' + line % 26) + "=\r\n";
    street += "B";
    QByteArray photo;
    for (int line = 0; photo.size() < 4 * 1024 * 1024; ++line)
        photo += " " + QByteArray(74, 'Q') + "\r\n";
    const QByteArray file = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:長い住所\r\n"
                            "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\n" +
                            photo + "\r\nADR;HOME;ENCODING=QUOTED-PRINTABLE:;;" + street +
                            ";千代田区;東京都;;\r\nEND:VCARD\r\n";
    const ImportResult read = readVCards(file);
    QCOMPARE(read.records.size(), 1);
    const QString &line2 = read.records.first().field(AddressRecord::Address2);
    QVERIFY(line2.size() > 4000000);
    QVERIFY(line2.endsWith(u'B') && !line2.contains(u'='));
}

void TestExchange::formulasEscapedOnExport() {
    const QStringList names{
        "=1+1", "+cmd|' /C calc'!A0", "-1+1", "@SUM(A1)", "'=quoted", "'' kept", "it's", "\t=tab"};
    QList<AddressRecord> records;
    for (const QString &name : names) {
        AddressRecord record;
        record.setField(AddressRecord::Name, name);
        record.setField(AddressRecord::Address1, QStringLiteral("東京都"));
        record.setField(AddressRecord::Honorific, QStringLiteral("0"));
        records.append(record);
    }
    const QString csv = QString::fromUtf8(writeExportCsv(records));
    for (const char *escaped : {"\"'=1+1\"", "\"'+cmd", "\"'-1+1\"", "\"'@SUM", "\"''=quoted\"",
                                "\"'' kept\"", "\"it's\"", "\"'\t=tab\""})
        QVERIFY2(csv.contains(QString::fromUtf8(escaped)), escaped);
    const CsvRead table = readCsvTable(csv.toUtf8());
    const ImportResult back = recordsFromTable(table.table, guessMapping(table.table.header));
    QStringList read;
    for (const AddressRecord &record : back.records)
        read.append(record.field(AddressRecord::Name));
    QCOMPARE(read, QStringList(names.mid(0, 7)) << "=tab"); // the tab trimmed as ever
}

void TestExchange::hostileContacts_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("warning"); // empty: none
    const QByteArray adr = "ADR:;;一丁目;千代田区;東京都;;\r\n";
    QTest::newRow("NUL in a CSV field")
        << QByteArray("氏名,住所\r\n山田,東京都\r\n佐\0藤,大阪府\r\n", 52) << "佐 藤"
        << "3行目の NUL";
    QTest::newRow("direction controls in a vCard name")
        << "BEGIN:VCARD\r\nFN:\u202E山田\u2066太郎\u2069\r\n" + adr + "END:VCARD\r\n"
        << "山田 太郎"
        << "";
    QTest::newRow("bytes that are not UTF-8 in a vCard")
        << "BEGIN:VCARD\r\nFN:山田\xff\r\n" + adr + "END:VCARD\r\n"
        << "山田\uFFFD"
        << "「山田\uFFFD」には文字として読めないバイト";
    QTest::newRow("a name of 5000 characters")
        << "BEGIN:VCARD\r\nFN:" + QByteArray(5000, 'x') + "\r\n" + adr + "END:VCARD\r\n"
        << QString(5000, u'x') << "「xxxxxxxxxxxxxxxxxxxx…」の名前は5000文字";
}

void TestExchange::hostileContacts() {
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, warning);
    ImportResult read;
    if (file.startsWith("BEGIN:VCARD")) {
        read = readVCards(file);
    } else {
        const CsvRead table = readCsvTable(file);
        QVERIFY2(table.ok(), qPrintable(table.error));
        read = recordsFromTable(table.table, guessMapping(table.table.header));
    }
    QVERIFY(read.ok());
    QCOMPARE(read.records.last().field(AddressRecord::Name), name);
    if (warning.isEmpty()) {
        QCOMPARE(read.warnings, QStringList());
    } else {
        QCOMPARE(read.warnings.size(), 1);
        QVERIFY2(read.warnings.first().startsWith(warning), qPrintable(read.warnings.first()));
        QVERIFY(read.warnings.first().size() < 100);
    }
}

void TestExchange::realExports_data() {
    QTest::addColumn<QString>("file"); // in tests/data/import
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QStringList>("honorifics");
    QTest::addColumn<QString>("warning"); // empty: none
    // 住所3 is the building; 連名 and フリガナ are named as not read.
    QTest::newRow("a postcard program's CSV (CP932)")
        << "postcard-program.csv"
        << QStringList{"山田 太郎|100-0001|東京都千代田区|千代田1-1|グランハイツ101",
                       "佐藤 一郎|530-0001|大阪府大阪市北区|梅田3-1|"}
        << QStringList{"0", "0"} << ""; // 連名 and フリガナ go to the companion
    QTest::newRow("Google's formatted address only")
        << "google-formatted.csv"
        << QStringList{"高橋 一郎|100-0001|東京都千代田区|千代田1-1|",
                       "田中 花子|100-0005|東京都千代田区|丸の内1-1|"}
        << QStringList{"0", "0"} << "";
    // Home before work, then whatever address the row holds.
    QTest::newRow("Google: work and home")
        << "google-work-and-home.csv"
        << QStringList{"鈴木 一郎|530-0001|大阪府大阪市北区|梅田3-1|",
                       "鈴木 次郎|105-0011|東京都港区|芝公園2-2|"}
        << QStringList{"0", "0"}
        << "読み込まなかった列: Address 1 - Street・Address 1 - City・Address 1 - Region・"
           "Address 1 - Postal Code（鈴木 一郎）";
    QTest::newRow("Google in Japanese: 勤務先, then 自宅")
        << "google-japanese-work-home.csv"
        << QStringList{"鈴木 一郎|530-0001|大阪府大阪市北区|梅田3-1|"} << QStringList{"0"}
        << "読み込まなかった列: 住所 1 - 番地・住所 1 - 市区町村・住所 1 - 都道府県・"
           "住所 1 - 郵便番号（鈴木 一郎）";
    QTest::newRow("Google: work, then the primary \"* Home\"")
        << "google-primary-home.csv" << QStringList{"佐藤 花子|530-0001|大阪府大阪市北区|梅田3-1|"}
        << QStringList{"0"}
        << "読み込まなかった列: Address 1 - Street・Address 1 - City・Address 1 - Region・"
           "Address 1 - Postal Code（佐藤 花子）";
    // A filled column no field takes is named with the contacts losing it;
    // a company naming a row is read for that row only.
    QTest::newRow("unused columns named with their contacts")
        << "unused-columns.csv"
        << QStringList{"山田 太郎|100-0001|東京都千代田区|千代田1-1|",
                       "みどり工業|100-0005|東京都千代田区|丸の内1-1|",
                       "佐藤 花子|530-0001|大阪府大阪市北区|梅田3-1|",
                       "高橋 一郎|108-0075|東京都港区|港南1-2|"}
        << QStringList{"0", QString::number(honorificWords().indexOf(QStringLiteral("御中"))), "0",
                       "0"}
        << "読み込まなかった列: 会社名（山田 太郎）、"
           "電話（山田 太郎、みどり工業、佐藤 花子 ほか 1 件）";
    QTest::newRow("Outlook: a business address only")
        << "outlook-business-only.csv"
        << QStringList{"佐藤 花子|100-0005|東京都千代田区|丸の内1-1|"} << QStringList{"0"} << "";
    // A company card gets 御中; a quoted TYPE is read as home; a street's
    // second line (or second value) is the building.
    QTest::newRow("iPhone company card and vCard 4.0")
        << "iphone-and-vcard4.vcf"
        << QStringList{"株式会社ＮＶＬ|100-0005|東京都千代田区|丸の内1-1|ＮＶＬビル5F",
                       "山田 太郎|100-0001|東京都千代田区|千代田1-1|グランハイツ101"}
        << QStringList{QString::number(honorificWords().indexOf(QStringLiteral("御中"))), "0"}
        << "";
    // What a spreadsheet saves: "Unicode テキスト" (UTF-16, tabs), semicolons.
    QTest::newRow("a spreadsheet's Unicode text")
        << "spreadsheet-unicode-text.txt"
        << QStringList{"山田 太郎|100-0001|東京都千代田区|千代田1-1|"} << QStringList{"0"} << "";
    QTest::newRow("semicolons") << "semicolons.csv"
                                << QStringList{"佐藤 花子|530-0001|大阪府大阪市北区|梅田3-1|"}
                                << QStringList{"0"} << "";
    // A company named by its company column or ORG alone, with 御中.
    const QString onchu = QString::number(honorificWords().indexOf(QStringLiteral("御中")));
    QTest::newRow("a company-only row")
        << "company-only.csv"
        << QStringList{"株式会社さくら商事 総務部|150-0041|東京都渋谷区|神南1-2-3|"}
        << QStringList{onchu} << "";
    QTest::newRow("an ORG-only vCard")
        << "org-only.vcf" << QStringList{"有限会社みどり 営業部|100-0005|東京都千代田区|丸の内1-1|"}
        << QStringList{onchu} << "";
    // Addresses from every kind of column: nothing dropped.
    QTest::newRow("English home columns")
        << "home-english.csv"
        << QStringList{"山田 太郎|980-0811|宮城県仙台市青葉区|一番町1-2-3|",
                       "Sato Hanako|530-0001|Osaka Osaka|1-1 Umeda|"}
        << QStringList{"0", "0"} << "";
    QTest::newRow("都道府県, 市区町村, 番地 and 住所")
        << "prefecture-city-street.csv"
        << QStringList{"鈴木 一郎|530-0001|大阪府大阪市北区|梅田3-1 梅田ハイツ201|"}
        << QStringList{"0"} << "";
    QTest::newRow("都道府県 before a 住所1 without it")
        << "prefecture-and-line1.csv" << QStringList{"高橋 恵|108-0075|東京都港区|港南1-2|"}
        << QStringList{"0"} << "";
    QTest::newRow("a street of two lines: the second is the building")
        << "street-two-lines.csv"
        << QStringList{"山田 太郎|100-0001|東京都千代田区|千代田1-1|グランハイツ101"}
        << QStringList{"0"} << "";
    QTest::newRow("連名 past the third named")
        << "five-renmei.vcf" << QStringList{"山田 太郎|100-0001|東京都千代田区|千代田1-1|"}
        << QStringList{"0"}
        << "「山田 太郎」の連名は3人までのため、三郎、四郎 は取り込んでいません。";
    QTest::newRow("自宅住所1–3, 自宅〒, 宛名敬称")
        << "home-columns.csv" << QStringList{"鈴木 一郎|105-0011|東京都港区|芝公園2-2|芝ハイツ3"}
        << QStringList{QString::number(honorificWords().indexOf(QStringLiteral("殿")))} << "";
}

void TestExchange::realExports() {
    QFETCH(QString, file);
    QFETCH(QStringList, records);
    QFETCH(QStringList, honorifics);
    QFETCH(QString, warning);
    const QString path = QFINDTESTDATA(QStringLiteral("../data/import/") + file);
    QVERIFY(!path.isEmpty());
    const ContactFile read = readContactFile(path);
    QVERIFY2(read.ok(), qPrintable(read.error));
    ImportResult result = read.vcards;
    if (read.format == ImportFormat::Csv) {
        const CsvRead table = readCsvTable(read.csv);
        result = recordsFromTable(table.table, guessMapping(table.table.header));
    }
    QCOMPARE(summaries(result.records), records);
    QStringList words;
    for (const AddressRecord &record : result.records)
        words.append(record.field(AddressRecord::Honorific));
    QCOMPARE(words, honorifics);
    QCOMPARE(result.warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
}

// A bare seven-digit code is stored as NNN-NNNN; any code not of seven
// digits is kept as given and named.
void TestExchange::importedCodes() {
    ImportResult read;
    for (const char *code : {"5300001", "530-0001", "", "1234", "ABC-DEFG"})
        read.records.append(
            AddressRecord::fromList({QStringLiteral("宛名%1").arg(read.records.size()), "大阪府",
                                     "1", QLatin1String(code), "", "0", ""}));
    tidyImportedCodes(read);
    QStringList codes;
    for (const AddressRecord &record : read.records)
        codes.append(record.field(AddressRecord::PostalCode));
    QCOMPARE(codes, QStringList({"530-0001", "530-0001", "", "1234", "ABC-DEFG"}));
    QCOMPARE(read.warnings.size(), 1);
    QVERIFY2(read.warnings.first().contains(QStringLiteral("宛名3（1234）、宛名4（ABC-DEFG）")),
             qPrintable(read.warnings.first()));
}

void TestExchange::readingsFromEveryColumn_data() {
    QTest::addColumn<QString>("file"); // in tests/data/import
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QStringList>("tags");
    QTest::newRow("姓フリガナ and 名フリガナ")
        << "split-readings.csv" << QStringList{"ヤマダ タロウ"} << QStringList{""};
    QTest::newRow("Google's Yomi columns")
        << "google-yomi.csv" << QStringList{"さとう はなこ"} << QStringList{""};
    QTest::newRow("a phone's SOUND;X-IRMC-N and X-GN, Outlook's X-MS-N-YOMI")
        << "phone-readings.vcf" << QStringList{"ﾀｶﾊｼ ｲﾁﾛｳ", "すずき じろう"}
        << QStringList{"友人", ""};
    // Google's labels are tags, its own myContacts and starred are not.
    QTest::newRow("Google's Labels")
        << "google-labels.csv" << QStringList{"", ""} << QStringList{"家族,大学", ""};
}

// A reading in two columns or in the properties phones and Outlook write
// comes in, family and given name joined with a blank; a phone's group is
// a tag.
void TestExchange::readingsFromEveryColumn() {
    QFETCH(QString, file);
    QFETCH(QStringList, readings);
    QFETCH(QStringList, tags);
    const ContactFile read =
        readContactFile(QFINDTESTDATA(QStringLiteral("../data/import/") + file));
    QVERIFY2(read.ok(), qPrintable(read.error));
    ImportResult result = read.vcards;
    if (read.format == ImportFormat::Csv) {
        const CsvRead table = readCsvTable(read.csv);
        result = recordsFromTable(table.table, guessMapping(table.table.header));
    }
    QStringList gotReadings, gotTags;
    for (const QJsonObject &data : result.data) {
        gotReadings.append(readingOf(data));
        gotTags.append(tagsOf(data).join(u','));
    }
    QCOMPARE(gotReadings, readings);
    QCOMPARE(gotTags, tags);
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join(u'\n')));
}

void TestExchange::tagsAndMarksThroughCsv_data() {
    QTest::addColumn<QStringList>("tags");
    QTest::newRow("tags holding a comma and a semicolon")
        << QStringList{"家族", "友人,会社", "a;b"};
    QTest::newRow("one tag holding a comma") << QStringList{"友人,会社"};
    QTest::newRow("plain tags") << QStringList{"家族", "友人"};
}

// The program's own CSV gives back every tag whole and every year's mark,
// 2150 included.
void TestExchange::tagsAndMarksThroughCsv() {
    QFETCH(QStringList, tags);
    const AddressRecord record =
        AddressRecord::fromList({"山田 太郎", "東京都千代田区", "1-1", "100-0001", "", "0", ""});
    QJsonObject data = withTags({}, tags);
    data = withMark(data, 2150, YearMark::Sent, true);
    data = withMark(data, 2026, YearMark::Received, true);
    const CsvRead table = readCsvTable(writeExportCsv({record}, {data}));
    QVERIFY(table.ok());
    const ImportResult read = recordsFromTable(table.table, guessMapping(table.table.header));
    QCOMPARE(read.records.size(), 1);
    QCOMPARE(tagsOf(read.data.first()), tags);
    QCOMPARE(yearMarksOf(read.data.first()),
             (YearMarks{{2026, int(YearMark::Received)}, {2150, int(YearMark::Sent)}}));
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
