#include "postcardlayout.h"
#include "nameblock.h"
#include "paperlayout.h"
#include "postcardpaper.h"

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
constexpr double CardWidthMm = 100;
// Nothing is printed nearer a card's right edge than this.
constexpr double EdgeMm = 3;

std::array<float, 7> digitRow(float y, int higherBox = -1) {
    std::array<float, 7> ys;
    ys.fill(y);
    if (higherBox >= 0)
        ys.at(higherBox) = y - 10;
    return ys;
}

// Draws the cards of the A4 sheets with the offsets of one job.
class CardDrawer {
public:
    CardDrawer(const PrintJob &job, PrinterSurface &surface)
        : m_job(job), m_surface(surface), m_h(job.sheetOffsets.x * TwipsPerStep),
          m_v(job.sheetOffsets.y * TwipsPerStep), m_w(job.sheetOffsets.secondRow * TwipsPerStep) {}

    double v() const { return m_v; }
    double w() const { return m_w; }

    void digits(int entry, Column column, double top, const std::array<float, 7> &ys) {
        const auto &xs = column == Column::Left ? LeftDigitX : RightDigitX;
        const ZipDigits digits =
            postalDigits(field(entry, AddressRecord::PostalCode)).value_or(ZipDigits{});
        for (int i = 0; i < 7; ++i) {
            // Printed as a number: a blank for the sign, the digit, a blank.
            print(xs.at(i), top + ys.at(i), m_job.postalFont, DigitPoints,
                  QStringLiteral(" %1 ").arg(digits.at(i)));
        }
    }

    // A card's lines, then its sender block. `add1X` and `nameX` move the
    // sender's first line and name on the left cards; 0 keeps their place.
    void card(int entry, Column column, double top, float add1X, float nameX) {
        if (m_job.vertical) {
            verticalCard(entry, column, top);
            return;
        }
        const JointNames joint = m_job.jointNamesAt(entry);
        double below = 0; // how far the 連名 push the code line down
        for (const TextItem &item : RecipientItems) {
            if (item.field == NameLineField && !joint.isEmpty()) {
                below = nameBlock(entry, item, column, top, joint);
            } else if (item.field == AddressRecord::Code && below > 0) {
                TextItem moved = item;
                moved.y = static_cast<float>(item.y + below);
                text(moved, column, top, recipientText(entry, item));
            } else {
                text(item, column, top, recipientText(entry, item));
            }
        }
        text(SenderZip, column, top, m_job.sender.postalCode);
        text(SenderAdd1, column, top, m_job.sender.address1, add1X);
        text(SenderAdd2, column, top, m_job.sender.address2);
        text(SenderName, column, top, m_job.sender.name, nameX);
    }

private:
    void text(const TextItem &item, Column column, double top, const QString &text,
              float leftX = 0) {
        const float x = column == Column::Right ? item.rightX : leftX > 0 ? leftX : item.leftX;
        m_surface.setFontName(m_job.addressFont);
        m_surface.setFontSize(item.points);
        // A line longer than its card is set smaller, just enough to end at
        // the card's edge; every other line keeps its size.
        const double room = cardRight(column) - x;
        double points = item.points;
        if (const double length = m_surface.advance(text); length > room && room > 0) {
            points = std::floor(item.points * room / length * 20) / 20;
            m_surface.setFontSize(points);
            while (points > 1 && m_surface.advance(text) > room) {
                points -= 0.05;
                m_surface.setFontSize(points);
            }
            // Smaller than this reads as a grey line: said before printing.
            if (points < postcard::LeastPoints)
                m_surface.noteUnfitted();
        }
        print(x, top + item.y, m_job.addressFont, points, text);
    }

    static double cardRight(Column column) {
        return SheetCardCorner.x() + (column == Column::Right ? ColumnPitch : 0) +
               CardWidthMm * 1440 / 25.4 - EdgeMm * 1440 / 25.4;
    }

    QString field(int entry, int number) const { return m_job.records.at(entry).field(number); }

    // The name with its 連名, a line each under it; returns how far they
    // reach below the name's line, for the code line to follow.
    double nameBlock(int entry, const TextItem &item, Column column, double top,
                     const JointNames &joint) {
        const float x = column == Column::Right ? item.rightX : item.leftX;
        // No smaller than the address while a second line can be had, and
        // clear of the sender's block.
        return drawNameBlockAcross(
            m_surface, m_job.addressFont, item.points, RecipientItems[0].points,
            nameBlockLines(field(entry, AddressRecord::Name),
                           honorificWord(field(entry, AddressRecord::Honorific)), joint),
            QPointF(m_h + x, top + item.y), cardRight(column) - x,
            SenderZip.y - item.y - 3 * 1440 / 25.4);
    }

    // The printed name line uses a half-width blank before the honorific.
    QString recipientText(int entry, const TextItem &item) const {
        if (item.field != NameLineField)
            return field(entry, item.field);
        const QString word = honorificWord(field(entry, AddressRecord::Honorific));
        const QString name = field(entry, AddressRecord::Name);
        return word.isEmpty() ? name : name + u' ' + word;
    }

    void verticalCard(int entry, Column column, double top) {
        const AddressRecord &record = m_job.records.at(entry);
        const VerticalSenderText sender = verticalSenderText(m_job.sender);
        const QPointF corner(m_h + (column == Column::Right ? ColumnPitch : 0) +
                                 SheetCardCorner.x(),
                             top + SheetCardCorner.y());
        VerticalCardText text =
            verticalCardText(record, honorificWord(record.field(AddressRecord::Honorific)));
        text.joint = m_job.jointNamesAt(entry);
        drawVerticalCard(m_surface, m_job.addressFont, corner, m_job.numbers, text, &sender);
    }

    void print(float x, double y, const QString &font, double points, const QString &text) {
        m_surface.setX(static_cast<float>(m_h + x));
        m_surface.setY(static_cast<float>(y));
        m_surface.setFontName(font);
        m_surface.setFontSize(points);
        m_surface.printText(text);
    }

    const PrintJob &m_job;
    PrinterSurface &m_surface;
    double m_h;
    double m_v;
    double m_w;
};

constexpr double TwipsPerMm = 1440 / 25.4;
constexpr double QuarterWidthMm = 105;
constexpr double HalfHeightMm = 148.5;

// The A4 sheets: four postcards in two columns and two rows, or two return
// postcards one above the other, their address sides on the left. Each
// place has its own digit row and sender positions, as the sheets always
// printed them.
class SheetLayout : public PaperLayout {
public:
    explicit SheetLayout(bool fourUp) : m_fourUp(fourUp) {}

    QSizeF pageMm() const override { return {210, 297}; }
    int cardsPerPage() const override { return m_fourUp ? 4 : 2; }
    QPointF originTwips() const override { return SheetOrigin; }

    QRectF cardTwips(int n) const override {
        const int place = n % cardsPerPage();
        const int column = m_fourUp ? place % 2 : 0;
        const int row = m_fourUp ? place / 2 : place;
        return {SheetCardCorner + QPointF(column * QuarterWidthMm, row * HalfHeightMm) * TwipsPerMm,
                QSizeF(100, 148) * TwipsPerMm};
    }

    void drawCard(const PrintJob &job, int n, PrinterSurface &surface) const override {
        CardDrawer card(job, surface);
        const int place = n % cardsPerPage();
        if (!m_fourUp) {
            const double top = place == 0 ? card.v() : card.v() + card.w() + RowOffset;
            card.digits(n, Column::Left, top, place == 0 ? digitRow(600, 1) : digitRow(590));
            card.card(n, Column::Left, top, 0, 1900);
            return;
        }
        const double top = place < 2 ? card.v() : card.w() + RowOffset;
        switch (place) {
        case 0: {
            // Alone in its row, its sender block stands a little further in.
            const bool alone = n + 1 >= job.cardCount();
            card.digits(n, Column::Left, top, digitRow(600));
            card.card(n, Column::Left, top, alone ? 2000 : SenderAdd1.leftX, alone ? 1900 : 1800);
            break;
        }
        case 1:
            card.digits(n, Column::Right, top, digitRow(600, 3));
            card.card(n, Column::Right, top, 0, 0);
            break;
        case 2:
            card.digits(n, Column::Left, top, digitRow(590));
            card.card(n, Column::Left, top, 0, 1900);
            break;
        default:
            card.digits(n, Column::Right, top, digitRow(590));
            card.card(n, Column::Right, top, 0, 0);
            break;
        }
    }

private:
    bool m_fourUp;
};

bool isDigitChar(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= QChar(0xFF10) && c <= QChar(0xFF19));
}

} // namespace

std::optional<QList<int>> typedPostalDigits(const QString &typed) {
    // Blanks around the code (or a code of blanks alone) are not part of it.
    const QString trimmed = typed.trimmed();
    const QString postalCode = trimmed.startsWith(u'〒') ? trimmed.mid(1).trimmed() : trimmed;
    const bool hyphen = postalCode.size() > 3 && QStringView(u"-－−‐ー").contains(postalCode.at(3));
    QList<int> digits;
    for (qsizetype j = 0; j < postalCode.size(); ++j) {
        if (hyphen && j == 3)
            continue;
        const QChar c = postalCode.at(j);
        if (digits.size() == 7 || !isDigitChar(c))
            return std::nullopt;
        digits.append(c.digitValue());
    }
    return digits;
}

std::optional<ZipDigits> postalDigits(const QString &postalCode) {
    const std::optional<QList<int>> typed = typedPostalDigits(postalCode);
    if (!typed)
        return std::nullopt;
    ZipDigits digits{};
    std::copy(typed->begin(), typed->end(), digits.begin());
    return digits;
}

std::unique_ptr<PaperLayout> sheetLayout(bool fourUp) {
    return std::make_unique<SheetLayout>(fourUp);
}

VerticalCardText verticalCardText(const AddressRecord &record, const QString &honorific) {
    const QString &name = record.field(AddressRecord::Name);
    return {record.field(AddressRecord::Address1),
            record.field(AddressRecord::Address2),
            record.field(AddressRecord::Address3),
            honorific.isEmpty() ? name : name + u'　' + honorific,
            record.field(AddressRecord::Code),
            {},
            name,
            honorific,
            {}};
}

VerticalSenderText verticalSenderText(const SenderLines &sender) {
    return {sender.postalCode, sender.address1, sender.address2, sender.name};
}

QString shortestDecimal(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace nvl
