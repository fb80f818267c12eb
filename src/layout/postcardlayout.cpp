#include "postcardlayout.h"

#include <QLocale>
#include <cmath>

namespace nvl {

namespace {

constexpr double TwipsPerStep = 55;
constexpr float RowOffset = 8450;
constexpr double DigitPoints = 12;

constexpr std::array<float, 7> LeftDigitX = {2625, 3005, 3385, 3825, 4205, 4585, 4965};
constexpr std::array<float, 7> RightDigitX = {8575, 8955, 9335, 9775, 10155, 10535, 10915};

struct TextItem {
    float leftX;
    float rightX;
    float y;
    double points;
    int field; // record field printed; 0 for the name line, -1 for sender lines
};

constexpr int NameLineField = 0;
constexpr TextItem RecipientItems[] = {
    {1500, 7400, 2850, 11, AddressRecord::Address1},
    {1500, 7400, 3150, 11, AddressRecord::Address2},
    {1700, 7600, 3450, 11, AddressRecord::Address3},
    {2300, 8200, 3800, 14, NameLineField},
    {2500, 8400, 4200, 10, AddressRecord::Code},
};
constexpr TextItem SenderZip{1700, 7600, 5900, 10, -1};
constexpr TextItem SenderAdd1{1700, 7600, 6150, 10, -1};
constexpr TextItem SenderAdd2{1700, 7600, 6400, 10, -1};
constexpr TextItem SenderName{1800, 7900, 6700, 11, -1};

enum class Column { Left, Right };

constexpr float ColumnPitch = 5950;

std::array<float, 7> digitRow(float y, int higherBox = -1) {
    std::array<float, 7> ys;
    ys.fill(y);
    if (higherBox >= 0)
        ys.at(higherBox) = y - 10;
    return ys;
}

// Draws the items of the two layouts with the offsets of one job.
class CardDrawer {
public:
    CardDrawer(const LayoutInput &input, PrinterSurface &surface)
        : m_in(input), m_surface(surface), m_h(leadingNumber(input.xOffset) * TwipsPerStep),
          m_v(leadingNumber(input.yOffset) * TwipsPerStep),
          m_w(leadingNumber(input.secondRow) * TwipsPerStep) {}

    double h() const { return m_h; }
    double v() const { return m_v; }
    double w() const { return m_w; }

    int labelCount() const { return static_cast<int>(m_in.printList.size()); }

    // Sheets to draw: as many as asked, never more than the list fills.
    int sheets(int perSheet) const {
        const double asked = std::floor(leadingNumber(m_in.sheetCount));
        const int filled = (labelCount() + perSheet - 1) / perSheet;
        return asked < filled ? static_cast<int>(std::max(asked, 0.0)) : filled;
    }

    void digits(int entry, Column column, double top, const std::array<float, 7> &ys) {
        const auto &xs = column == Column::Left ? LeftDigitX : RightDigitX;
        const ZipDigits digits = m_in.zipDigits.value(entry, ZipDigits{});
        for (int i = 0; i < 7; ++i) {
            // Printed as a number: a blank for the sign, the digit, a blank.
            print(xs.at(i), top + ys.at(i), m_in.postalFont, DigitPoints,
                  QStringLiteral(" %1 ").arg(digits.at(i)));
        }
    }

    void text(const TextItem &item, Column column, double top, const QString &text,
              float leftX = 0) {
        const float x = column == Column::Right ? item.rightX : leftX > 0 ? leftX : item.leftX;
        print(x, top + item.y, m_in.addressFont, item.points, text);
    }

    QString field(int entry, int number) const { return m_in.printList.at(entry).field(number); }

    // The printed name line uses a half-width blank before the honorific.
    QString recipientText(int entry, const TextItem &item) const {
        if (item.field != NameLineField)
            return field(entry, item.field);
        const QString word = honorificWord(field(entry, AddressRecord::Honorific));
        const QString name = field(entry, AddressRecord::Name);
        return word.isEmpty() ? name : name + u' ' + word;
    }

    void recipient(int entry, Column column, double top) {
        for (const TextItem &item : RecipientItems)
            text(item, column, top, recipientText(entry, item));
    }

    void sender(Column column, double top, float add1X, float nameX) {
        text(SenderZip, column, top, m_in.sendZip);
        text(SenderAdd1, column, top, m_in.sendAdd1, add1X);
        text(SenderAdd2, column, top, m_in.sendAdd2);
        text(SenderName, column, top, m_in.sendName, nameX);
    }

    // One card with its sender block, alone in its row.
    void single(int entry, Column column, double top, float add1X, float nameX) {
        if (m_in.vertical) {
            verticalCard(entry, column, top);
            return;
        }
        recipient(entry, column, top);
        sender(column, top, add1X, nameX);
    }

    // A row of two cards: their lines alternate, then the two sender blocks.
    void fullRow(int left, double top, float leftSenderNameX) {
        if (m_in.vertical) {
            verticalCard(left, Column::Left, top);
            verticalCard(left + 1, Column::Right, top);
            return;
        }
        for (const TextItem &item : RecipientItems) {
            text(item, Column::Left, top, recipientText(left, item));
            text(item, Column::Right, top, recipientText(left + 1, item));
        }
        sender(Column::Left, top, SenderAdd1.leftX, leftSenderNameX);
        sender(Column::Right, top, 0, 0);
    }

    void newPage() { m_surface.newPage(); }

private:
    void verticalCard(int entry, Column column, double top) {
        const AddressRecord &record = m_in.printList.at(entry);
        const VerticalSenderText sender = verticalSenderText(m_in);
        const QPointF corner(m_h + (column == Column::Right ? ColumnPitch : 0) +
                                 SheetCardCorner.x(),
                             top + SheetCardCorner.y());
        drawVerticalCard(
            m_surface, m_in.addressFont, corner, m_in.numbers,
            verticalCardText(record, honorificWord(record.field(AddressRecord::Honorific))),
            &sender);
    }

    void print(float x, double y, const QString &font, double points, const QString &text) {
        m_surface.setX(static_cast<float>(m_h + x));
        m_surface.setY(static_cast<float>(y));
        m_surface.setFontName(font);
        m_surface.setFontSize(points);
        m_surface.printText(text);
    }

    const LayoutInput &m_in;
    PrinterSurface &m_surface;
    double m_h;
    double m_v;
    double m_w;
};

bool isDigitChar(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= QChar(0xFF10) && c <= QChar(0xFF19));
}

} // namespace

std::optional<ZipDigits> postalDigits(const QString &postalCode) {
    ZipDigits digits{};
    const bool hyphen = postalCode.mid(3, 1) == u"-";
    const qsizetype count = hyphen ? postalCode.size() - 1 : postalCode.size();
    for (qsizetype j = 0; j < count; ++j) {
        const QChar c = postalCode.at(hyphen && j >= 3 ? j + 1 : j);
        if (j > 6 || !isDigitChar(c))
            return std::nullopt;
        digits.at(j) = c.digitValue();
    }
    return digits;
}

int sheetCount(int labelCount, bool fourUp) {
    return fourUp ? static_cast<int>(std::floor(labelCount / 4.0 + 0.75))
                  : static_cast<int>(std::floor(labelCount / 2.0 + 0.5));
}

void drawFourUpSheets(const LayoutInput &input, PrinterSurface &surface) {
    CardDrawer card(input, surface);
    const int count = card.labelCount();
    const int sheets = card.sheets(4);
    const double bottom = card.w() + RowOffset;
    for (int s = 1; s <= sheets; ++s) {
        const int b = 4 * (s - 1);
        card.digits(b, Column::Left, card.v(), digitRow(600));
        if (b + 1 >= count) {
            card.single(b, Column::Left, card.v(), 2000, 1900);
            return;
        }
        card.digits(b + 1, Column::Right, card.v(), digitRow(600, 3));
        card.fullRow(b, card.v(), 1800);
        if (b + 2 >= count)
            return;
        card.digits(b + 2, Column::Left, bottom, digitRow(590));
        if (b + 3 >= count) {
            card.single(b + 2, Column::Left, bottom, 0, 1900);
            return;
        }
        card.digits(b + 3, Column::Right, bottom, digitRow(590));
        card.fullRow(b + 2, bottom, 1900);
        if (s < sheets)
            card.newPage();
    }
}

void drawReturnCardSheets(const LayoutInput &input, PrinterSurface &surface) {
    CardDrawer card(input, surface);
    const int count = card.labelCount();
    const int sheets = card.sheets(2);
    const double bottom = card.v() + card.w() + RowOffset;
    for (int s = 1; s <= sheets; ++s) {
        const int b = 2 * (s - 1);
        card.digits(b, Column::Left, card.v(), digitRow(600, 1));
        card.single(b, Column::Left, card.v(), 0, 1900);
        if (b + 1 >= count)
            return;
        card.digits(b + 1, Column::Left, bottom, digitRow(590));
        card.single(b + 1, Column::Left, bottom, 0, 1900);
        if (s < sheets)
            card.newPage();
    }
}

VerticalCardText verticalCardText(const AddressRecord &record, const QString &honorific) {
    const QString &name = record.field(AddressRecord::Name);
    return {record.field(AddressRecord::Address1), record.field(AddressRecord::Address2),
            record.field(AddressRecord::Address3),
            honorific.isEmpty() ? name : name + u'　' + honorific,
            record.field(AddressRecord::Code)};
}

VerticalSenderText verticalSenderText(const LayoutInput &input) {
    return {input.sendZip, input.sendAdd1, input.sendAdd2, input.sendName};
}

QString shortestDecimal(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace nvl
