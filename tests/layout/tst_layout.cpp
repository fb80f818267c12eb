#include "paperlayout.h"
#include "postcardlayout.h"

#include <QtTest>

using namespace nvl;
using Item = RecordingSurface::Item;

namespace {

AddressRecord entry(int i, const QString &honorific = QStringLiteral("0")) {
    AddressRecord r;
    r.setField(AddressRecord::Name, QStringLiteral("名%1").arg(i));
    r.setField(AddressRecord::Address1, QStringLiteral("住所一%1").arg(i));
    r.setField(AddressRecord::Address2, QStringLiteral("住所二%1").arg(i));
    r.setField(AddressRecord::PostalCode, QStringLiteral("123-4567"));
    r.setField(AddressRecord::Code, QStringLiteral("C%1").arg(i));
    r.setField(AddressRecord::Honorific, honorific);
    r.setField(AddressRecord::Address3, QStringLiteral("棟%1").arg(i));
    return r;
}

PrintJob input(int count, bool fourUp = true) {
    PrintJob in;
    for (int i = 0; i < count; ++i)
        in.records.append(entry(i));
    in.paper = fourUp ? Paper::A4FourUp : Paper::A4TwoUp;
    in.sender = {QStringLiteral("530-0001"), QStringLiteral("差出住所一"),
                 QStringLiteral("差出住所二"), QStringLiteral("差出人")};
    in.addressFont = QStringLiteral("ＭＳ 明朝");
    in.postalFont = QStringLiteral("OCR-B");
    return in;
}

RecordingSurface draw(const PrintJob &in, bool fourUp = true) {
    RecordingSurface surface;
    drawJob(in, *sheetLayout(fourUp), surface);
    return surface;
}

const Item *find(const RecordingSurface &s, const QString &text, int page = 1) {
    for (const Item &item : s.items) {
        if (item.text == text && item.page == page)
            return &item;
    }
    return nullptr;
}

QList<Item> digitsOf(const RecordingSurface &s, int nth) {
    QList<Item> all;
    for (const Item &item : s.items) {
        if (item.font == QLatin1String("OCR-B"))
            all.append(item);
    }
    return all.mid(7 * nth, 7);
}

QList<Item> senderNames(const RecordingSurface &s) {
    QList<Item> names;
    for (const Item &item : s.items) {
        if (item.text == QStringLiteral("差出人"))
            names.append(item);
    }
    return names;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void fourUpCells_data();
    void fourUpCells();
    void twoUpCells_data();
    void twoUpCells();
    void cardsDrawnWhole();
    void digitRows();
    void offsets_data();
    void offsets();
    void honorifics_data();
    void honorifics();
    void postalBoxes_data();
    void postalBoxes();
    void postalDigits_data();
    void postalDigits();
    void sheetCounts_data();
    void sheetCounts();
    void verticalText_data();
    void verticalText();
    void verticalCardsStayOnTheirCards_data();
    void verticalCardsStayOnTheirCards();
};

void TestLayout::fourUpCells_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QList<float>>("senderNameX"); // in print order
    QTest::addColumn<QList<float>>("senderAdd1X");

    QTest::newRow("1: lone top-left") << 1 << 1 << QList<float>{1900} << QList<float>{2000};
    QTest::newRow("2: full top row")
        << 2 << 1 << QList<float>{1800, 7900} << QList<float>{1700, 7600};
    QTest::newRow("3: lone bottom-left")
        << 3 << 1 << QList<float>{1800, 7900, 1900} << QList<float>{1700, 7600, 1700};
    QTest::newRow("4: full sheet")
        << 4 << 1 << QList<float>{1800, 7900, 1900, 7900} << QList<float>{1700, 7600, 1700, 7600};
    QTest::newRow("5: new page, lone top-left")
        << 5 << 2 << QList<float>{1800, 7900, 1900, 7900, 1900}
        << QList<float>{1700, 7600, 1700, 7600, 2000};
}

void TestLayout::fourUpCells() {
    QFETCH(int, count);
    QFETCH(int, pages);
    QFETCH(QList<float>, senderNameX);
    QFETCH(QList<float>, senderAdd1X);
    const RecordingSurface s = draw(input(count));
    QCOMPARE(s.pages, pages);
    QList<float> names, add1s;
    for (const Item &item : s.items) {
        if (item.text == QStringLiteral("差出人"))
            names.append(item.x);
        if (item.text == QStringLiteral("差出住所一"))
            add1s.append(item.x);
    }
    QCOMPARE(names, senderNameX);
    QCOMPARE(add1s, senderAdd1X);
    // Every entry printed exactly once, on the page its number gives.
    for (int i = 0; i < count; ++i) {
        const Item *name = find(s, QStringLiteral("名%1 様").arg(i), i / 4 + 1);
        QVERIFY2(name, qPrintable(QStringLiteral("entry %1").arg(i)));
        QCOMPARE(name->x, (i % 2 == 0) ? 2300.f : 8200.f);
        QCOMPARE(name->y, (i % 4 < 2) ? 3800.f : 8450.f + 3800.f);
        QCOMPARE(name->size, 14.0);
        QCOMPARE(name->font, QStringLiteral("ＭＳ 明朝"));
    }
    QCOMPARE(s.items.size(), count * (7 + 9));
}

void TestLayout::twoUpCells_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pages");
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("3") << 3 << 2;
}

void TestLayout::twoUpCells() {
    QFETCH(int, count);
    QFETCH(int, pages);
    const RecordingSurface s = draw(input(count, false), false);
    QCOMPARE(s.pages, pages);
    QCOMPARE(s.items.size(), count * 16);
    for (const Item &name : senderNames(s))
        QCOMPARE(name.x, 1900.f);
    for (const Item &item : s.items)
        QVERIFY2(item.x < 5953, "two-up uses the left column only");
    const Item *last = find(s, QStringLiteral("名%1 様").arg(count - 1), pages);
    QVERIFY(last);
    QCOMPARE(last->y, count % 2 == 1 ? 3800.f : 8450.f + 3800.f);
}

void TestLayout::cardsDrawnWhole() {
    // Each card's lines together, then its sender block: a PDF's text reads
    // card by card.
    const RecordingSurface s = draw(input(2));
    QStringList texts;
    for (const Item &item : s.items.mid(7, 9))
        texts.append(item.text);
    QCOMPARE(texts, QStringList({"住所一0", "住所二0", "棟0", "名0 様", "C0", "530-0001",
                                 "差出住所一", "差出住所二", "差出人"}));
    QCOMPARE(s.items.at(12).x, 1700.f);
    QCOMPARE(s.items.at(16 + 12).x, 7600.f);
}

void TestLayout::digitRows() {
    const RecordingSurface four = draw(input(4));
    const QList<Item> topLeft = digitsOf(four, 0);
    QCOMPARE(topLeft.at(0).x, 2625.f);
    QCOMPARE(topLeft.at(0).y, 600.f);
    QCOMPARE(topLeft.at(0).text, QStringLiteral(" 1 "));
    QCOMPARE(topLeft.at(0).size, 12.0);
    QCOMPARE(topLeft.at(3).x, 3825.f);
    const QList<Item> topRight = digitsOf(four, 1);
    QCOMPARE(topRight.at(0).x, 8575.f);
    QCOMPARE(topRight.at(3).y, 590.f); // box 4 of the top-right cell
    QCOMPARE(topRight.at(2).y, 600.f);
    for (int cell = 2; cell < 4; ++cell) {
        for (const Item &d : digitsOf(four, cell))
            QCOMPARE(d.y, 8450.f + 590.f);
    }

    const RecordingSurface two = draw(input(2, false), false);
    const QList<Item> top = digitsOf(two, 0);
    QCOMPARE(top.at(1).y, 590.f); // box 2 of the two-up top cell
    QCOMPARE(top.at(0).y, 600.f);
    QCOMPARE(top.at(6).y, 600.f);
    QCOMPARE(digitsOf(two, 1).at(0).y, 8450.f + 590.f);
    QCOMPARE(digitsOf(two, 1).at(0).x, 2625.f);
}

void TestLayout::offsets_data() {
    QTest::addColumn<bool>("fourUp");
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("second");
    QTest::addColumn<float>("topY");
    QTest::addColumn<float>("bottomY");
    QTest::addColumn<float>("leftX");

    // Digit box 1 of the first and of the third card (four-up) or second (two-up).
    QTest::newRow("four-up neutral") << true << "0"
                                     << "0"
                                     << "0" << 600.f << 9040.f << 2625.f;
    QTest::newRow("four-up Text5 moves the top row only") << true << "0"
                                                          << "10"
                                                          << "0" << 1150.f << 9040.f << 2625.f;
    QTest::newRow("four-up Text9 moves the bottom row only") << true << "0"
                                                             << "0"
                                                             << "-2" << 600.f << 8930.f << 2625.f;
    QTest::newRow("four-up Text4 moves both columns") << true << "-10"
                                                      << "0"
                                                      << "0" << 600.f << 9040.f << 2075.f;
    QTest::newRow("two-up Text5 moves both cells") << false << "0"
                                                   << "10"
                                                   << "0" << 1150.f << 9590.f << 2625.f;
    QTest::newRow("two-up Text9 adds to the bottom cell") << false << "0"
                                                          << "10"
                                                          << "3" << 1150.f << 9755.f << 2625.f;
    QTest::newRow("fractional step") << true << "0.5"
                                     << "0"
                                     << "0" << 600.f << 9040.f << 2652.5f;
}

void TestLayout::offsets() {
    QFETCH(bool, fourUp);
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QString, second);
    QFETCH(float, topY);
    QFETCH(float, bottomY);
    QFETCH(float, leftX);
    PrintJob in = input(4, fourUp);
    in.sheetOffsets = {x.toDouble(), y.toDouble(), second.toDouble()};
    const RecordingSurface s = draw(in, fourUp);
    QCOMPARE(digitsOf(s, 0).at(0).y, topY);
    QCOMPARE(digitsOf(s, 0).at(0).x, leftX);
    QCOMPARE(digitsOf(s, fourUp ? 2 : 1).at(0).y, bottomY);
}

void TestLayout::honorifics_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("line");
    QTest::newRow("empty is 様") << "山田"
                                 << "" << QStringLiteral("山田 様");
    QTest::newRow("2") << "山田商事"
                       << "2" << QStringLiteral("山田商事 御中");
    QTest::newRow("2.5 to even") << "山田"
                                 << "2.5" << QStringLiteral("山田 御中");
    QTest::newRow("3.5 to even") << "山田"
                                 << "3.5" << QStringLiteral("山田 先生");
    QTest::newRow("none chosen") << "山田"
                                 << "-1" << QStringLiteral("山田");
    QTest::newRow("empty name") << ""
                                << "0" << QStringLiteral(" 様");
}

void TestLayout::honorifics() {
    QFETCH(QString, name);
    QFETCH(QString, field);
    QFETCH(QString, line);
    PrintJob in = input(1);
    in.records[0].setField(AddressRecord::Name, name);
    in.records[0].setField(AddressRecord::Honorific, field);
    const RecordingSurface s = draw(in);
    const Item *item = find(s, line);
    QVERIFY(item);
    QCOMPARE(item->x, 2300.f);
    QCOMPARE(item->size, 14.0);
}

void TestLayout::postalBoxes_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("digits"); // as printed, box by box
    const int a4 = int(Paper::A4FourUp);
    const int postcard = int(Paper::Postcard);
    QTest::newRow("A4, short: zeros") << a4 << "123-45"
                                      << "1234500";
    QTest::newRow("A4, empty: zeros") << a4 << ""
                                      << "0000000";
    QTest::newRow("A4, full width") << a4 << "１００－０００５"
                                    << "1000005";
    QTest::newRow("postcard, empty: empty boxes") << postcard << ""
                                                  << "";
    QTest::newRow("postcard, six digits as typed") << postcard << "123456"
                                                   << "123456";
    QTest::newRow("postcard, full width") << postcard << "１００－０００５"
                                          << "1000005";
    QTest::newRow("return reply, the sender's") << int(Paper::ReturnReply) << ""
                                                << "5300001";
}

void TestLayout::postalBoxes() {
    QFETCH(int, paper);
    QFETCH(QString, code);
    QFETCH(QString, digits);
    PrintJob in = input(1);
    in.paper = Paper(paper);
    in.records[0].setField(AddressRecord::PostalCode, code);
    RecordingSurface s;
    drawJob(in, *paperLayout(in.paper), s);
    QString printed;
    for (const Item &item : s.items)
        if (item.font == QLatin1String("OCR-B"))
            printed += item.text.trimmed();
    QCOMPARE(printed, digits);
}

void TestLayout::postalDigits_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("digits");
    QTest::newRow("with hyphen") << "123-4567" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("without") << "1234567" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("short") << "123-45" << true << QList<int>{1, 2, 3, 4, 5, 0, 0};
    QTest::newRow("empty") << "" << true << QList<int>{0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("full-width digits")
        << "１２３-４５６７" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("with 〒") << "〒123-4567" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("full-width hyphen")
        << "１２３－４５６７" << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("letter") << "12a-4567" << false << QList<int>{};
    QTest::newRow("eight digits") << "12345678" << false << QList<int>{};
    QTest::newRow("eight after hyphen") << "123-45678" << false << QList<int>{};
    QTest::newRow("blank") << "123 4567" << false << QList<int>{};
}

void TestLayout::postalDigits() {
    QFETCH(QString, code);
    QFETCH(bool, ok);
    QFETCH(QList<int>, digits);
    const auto result = nvl::postalDigits(code);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(QList<int>(result->begin(), result->end()), digits);
}

void TestLayout::sheetCounts_data() {
    QTest::addColumn<int>("labels");
    QTest::addColumn<int>("fourUp");
    QTest::addColumn<int>("twoUp");
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("4") << 4 << 1 << 2;
    QTest::newRow("5") << 5 << 2 << 3;
    QTest::newRow("300") << 300 << 75 << 150;
}

void TestLayout::sheetCounts() {
    QFETCH(int, labels);
    QFETCH(int, fourUp);
    QFETCH(int, twoUp);
    QCOMPARE(paperLayout(Paper::A4FourUp)->pageCount(labels), fourUp);
    QCOMPARE(paperLayout(Paper::A4TwoUp)->pageCount(labels), twoUp);
    QCOMPARE(paperLayout(Paper::ReturnReply)->pageCount(labels), labels);
    QCOMPARE(draw(input(labels, false), false).pages, twoUp);
}

QTEST_APPLESS_MAIN(TestLayout)
void TestLayout::verticalText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("arabic");
    QTest::addColumn<QString>("printed");
    const auto row = [](const char *name, const char *text, bool arabic, const char *printed) {
        QTest::newRow(name) << QString::fromUtf8(text) << arabic << QString::fromUtf8(printed);
    };
    row("digit by digit", "1-2-3", false, "一ー二ー三");
    row("ten", "10", false, "一〇");
    row("room", "101号室", false, "一〇一号室");
    row("full width, ー between digits", "３丁目１ー１５", false, "三丁目一ー一五");
    row("katakana ー kept", "ロード1-2", false, "ロード一ー二");
    row("minus sign and hyphen", "1−2‐3", false, "一ー二ー三");
    row("letters upright", "3F", false, "三Ｆ");
    row("blank and signs", "A棟 #2", false, "Ａ棟　＃二");
    row("Arabic: one digit", "3F", true, "３Ｆ");
    row("Arabic: two digits side by side", "15階", true, "15階");
    row("Arabic: full-width pair too", "１５階", true, "15階");
    row("Arabic: three digits one by one", "101号室", true, "１０１号室");
    row("Arabic: hyphens", "1-15", true, "１ー15");
    row("no numbers", "千代田区丸の内", false, "千代田区丸の内");
}

void TestLayout::verticalText() {
    QFETCH(QString, text);
    QFETCH(bool, arabic);
    QFETCH(QString, printed);
    QCOMPARE(verticalAddressText(text, arabic ? VerticalNumbers::Arabic : VerticalNumbers::Kanji),
             printed);
}

void TestLayout::verticalCardsStayOnTheirCards_data() {
    QTest::addColumn<bool>("fourUp");
    QTest::addColumn<int>("count");
    QTest::newRow("four up, full sheet") << true << 4;
    QTest::newRow("four up, lone cards") << true << 3;
    QTest::newRow("two up") << false << 2;
}

void TestLayout::verticalCardsStayOnTheirCards() {
    QFETCH(bool, fourUp);
    QFETCH(int, count);
    // The longest values the editor accepts, on every card.
    AddressRecord record;
    record.setField(AddressRecord::Name, QString(20, QChar(0x9f8d)));
    record.setField(AddressRecord::Address1,
                    QStringLiteral("北海道札幌市中央区北一条西二十丁目１２３４５"));
    record.setField(AddressRecord::Address2,
                    QStringLiteral("北海道札幌市中央区北一条西二十丁目１２３４５"));
    record.setField(AddressRecord::Address3, QString(22, QChar(0x30D3)));
    record.setField(AddressRecord::PostalCode, QStringLiteral("060-0001"));
    PrintJob input;
    for (int i = 0; i < count; ++i)
        input.records.append(record);
    input.sender = {QString(), record.field(AddressRecord::Address1),
                    record.field(AddressRecord::Address1), record.field(AddressRecord::Name)};
    input.vertical = true;
    RecordingSurface surface;
    drawJob(input, *sheetLayout(fourUp), surface);

    constexpr double Mm = 1440 / 25.4;
    const double cardWidth = fourUp ? 5950 : 11900;
    const QPointF corner = SheetCardCorner;
    qsizetype nameCharacters = 0;
    for (const Item &item : std::as_const(surface.items)) {
        if (!item.vertical)
            continue;
        if (item.size >= vertical::Address.points)
            nameCharacters += item.text.count(QChar(0x9f8d));
        // Which card: by the column and the row the item starts in.
        const double left = std::floor((item.x - corner.x()) / cardWidth) * cardWidth + corner.x();
        const double top = std::floor((item.y - corner.y()) / 8450) * 8450 + corner.y();
        const double em = item.size * 20;
        const double cells = double(verticalCells(item.text).size());
        const double bottom = item.y + cells * em + (cells - 1) * item.gap;
        QVERIFY2(item.x - em / 2 >= left + 5 * Mm && item.x + em / 2 <= left + 95 * Mm &&
                     item.y >= top + 20 * Mm && bottom <= top + 143 * Mm,
                 qPrintable(QStringLiteral("%1 at %2, %3 – %4")
                                .arg(item.text)
                                .arg(item.x)
                                .arg(item.y)
                                .arg(bottom)));
    }
    // Every name whole, no smaller than the address.
    QCOMPARE(nameCharacters, 20 * count);
}

#include "tst_layout.moc"
