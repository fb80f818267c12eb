#include "verticallayout.h"

#include "nameblock.h"
#include "postcardpaper.h"

#include <algorithm>

namespace nvl {

namespace {

using postcard::TwipsPerMm;
// The names keep this far from the address columns, and from the sender's.
constexpr double ColumnGapMm = 2;
constexpr double SenderGapMm = 3;
// The names' right edge where the address leaves more room.
constexpr double BandRightMm = 72;

int digitValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
        return c.unicode() - 0xFF10;
    return -1;
}

bool isHyphen(QChar c) {
    return QStringLiteral("-－−‐‑–—―").contains(c);
}

// Printable ASCII as its full-width form, which stands upright in a column.
QChar fullWidth(QChar c) {
    if (c == u' ')
        return QChar(0x3000);
    if (c.unicode() > 0x20 && c.unicode() < 0x7F)
        return QChar(c.unicode() + 0xFEE0);
    return c;
}

} // namespace

QString verticalAddressText(const QString &text, VerticalNumbers numbers) {
    static const QString Kanji = QStringLiteral("〇一二三四五六七八九");
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (digitValue(c) >= 0) {
            qsizetype end = i;
            while (end < text.size() && digitValue(text.at(end)) >= 0)
                ++end;
            const bool pair = numbers == VerticalNumbers::Arabic && end - i == 2;
            for (qsizetype j = i; j < end; ++j) {
                const int d = digitValue(text.at(j));
                if (numbers == VerticalNumbers::Kanji)
                    out += Kanji.at(d);
                else
                    out += pair ? QChar(u'0' + d) : QChar(0xFF10 + d);
            }
            i = end - 1;
            continue;
        }
        const bool betweenDigits = i > 0 && i + 1 < text.size() &&
                                   digitValue(text.at(i - 1)) >= 0 &&
                                   digitValue(text.at(i + 1)) >= 0;
        if (isHyphen(c) || ((c == u'ー' || c == u'ｰ') && betweenDigits))
            out += u'ー';
        else
            out += fullWidth(c);
    }
    return out;
}

QString verticalNameText(const QString &text) {
    QString out = text;
    for (QChar &c : out)
        c = fullWidth(c);
    return out;
}

namespace {

class VerticalDrawer {
public:
    VerticalDrawer(PrinterSurface &surface, const QString &font, QPointF corner)
        : m_surface(surface), m_font(font), m_corner(corner) {}

    // Sets a text in columns from `place`, moved `shift` twips to the left;
    // returns the shift for the columns after it.
    double columns(const vertical::ColumnPlace &place, const QString &text, double shift) {
        if (text.isEmpty())
            return shift;
        const FittedText fitted = fit(place, text);
        const double pitch = fitted.points * 20 * 1.5;
        m_pitch = pitch;
        double x = place.xMm * TwipsPerMm - shift;
        for (const QString &line : fitted.lines) {
            print(x, place.topMm * TwipsPerMm, line, 0);
            m_left = std::min(m_left, x - fitted.points * 20 / 2);
            m_foot = place.topMm * TwipsPerMm + m_surface.verticalAdvance(line);
            x -= pitch;
        }
        return shift + pitch * static_cast<double>(fitted.lines.size() - 1);
    }

    // Where the columns set so far end on the left, and where the last one
    // ends at its foot, in twips from the card's corner.
    double left() const { return m_left; }
    double foot() const { return m_foot; }

    // The sender's name in its column, its foot level with its address's
    // when the column allows.
    void senderName(const QString &text, double shift, double addressFoot) {
        if (text.isEmpty())
            return;
        vertical::ColumnPlace place = vertical::SenderName;
        const FittedText fitted = fit(place, text);
        if (fitted.lines.size() > 1 && isWholeName(text)) {
            // A long name typed whole goes on in a second column at a word,
            // not where the column happens to end (…サー | ビス).
            const QStringList parts = partedName(text);
            const FittedText longer =
                fit(place, parts.at(0).size() >= parts.at(1).size() ? parts.at(0) : parts.at(1));
            if (longer.lines.size() == 1) {
                double x = place.xMm * TwipsPerMm - shift;
                for (const QString &part : parts) {
                    print(x, place.topMm * TwipsPerMm, part, 0);
                    x -= longer.points * 20 * 1.5;
                }
                return;
            }
        }
        if (fitted.lines.size() == 1 && addressFoot > 0) {
            const double length = m_surface.verticalAdvance(fitted.lines.first());
            const double top = std::clamp(addressFoot - length, place.topMm * TwipsPerMm,
                                          place.bottomMm * TwipsPerMm - length);
            place.topMm = top / TwipsPerMm;
        }
        columns(place, text, shift);
    }

    // The two address lines as one column when they fit in it; otherwise
    // the second goes on in a column of its own, a little lower, so a line
    // breaks where the user broke it. Returns the shift for what follows.
    double address(const QString &first, const QString &second) {
        const vertical::ColumnPlace &place = vertical::Address;
        const QString joined = first + second;
        // A second line gets a column of its own before anything is set smaller.
        m_surface.setFontName(m_font);
        m_surface.setFontSize(place.points);
        if (first.isEmpty() || second.isEmpty() ||
            m_surface.verticalAdvance(joined) <= (place.bottomMm - place.topMm) * TwipsPerMm)
            return columns(place, joined, 0);
        const double shift = columns(place, first, 0) + m_pitch;
        vertical::ColumnPlace lower = place;
        lower.topMm += place.points * 25.4 / 72;
        return columns(lower, second, shift);
    }

    // The name column, its characters spread over the column's height; a
    // long name goes on in a second column before it is set smaller than
    // the address. A reply's 行 stands smaller, left of the name's foot.
    void name(const QString &text, const QString &replyWord) {
        if (text.isEmpty())
            return;
        const vertical::ColumnPlace &place = vertical::Name;
        const FittedText fitted = fit(place, text, vertical::Address.points);
        const double height = (place.bottomMm - place.topMm) * TwipsPerMm;
        const double top = place.topMm * TwipsPerMm;
        double x = place.xMm * TwipsPerMm;
        double foot = 0;
        if (fitted.lines.size() == 1) {
            const QString &line = fitted.lines.first();
            const double length = m_surface.verticalAdvance(line);
            const auto cells = static_cast<double>(verticalCells(line).size());
            // Spread, but never more than an em apart: a short name stays
            // a name, centred in the column.
            const double em = fitted.points * 20;
            const double gap = cells > 1 ? std::min((height - length) / (cells - 1), em) : 0;
            const double used = length + gap * (cells - 1);
            print(x, top + (height - used) / 2, line, gap);
            foot = top + (height + used) / 2;
        } else {
            const double pitch = fitted.points * 20 * 1.5;
            x += pitch * static_cast<double>(fitted.lines.size() - 1) / 2;
            for (const QString &line : fitted.lines) {
                print(x, top, line, 0);
                foot = top + m_surface.verticalAdvance(line);
                x -= pitch;
            }
            x += pitch;
        }
        if (replyWord.isEmpty())
            return;
        const double points = fitted.points * postcard::ReplyWordScale;
        m_surface.setFontSize(points);
        print(x - (fitted.points + points) * 20 / 2, foot - m_surface.verticalAdvance(replyWord),
              replyWord, 0);
    }

    // The name, its honorific and its 連名 as a block of columns from the
    // name's own leftwards, given names and honorifics in line; family and
    // given name one character apart, the block centred in the column's
    // height. It stays between the address columns on its right and
    // `bandLeft` (twips) on its left; a long whole name goes on in a second
    // column at a word before the names get smaller than the address.
    void names(const VerticalCardText &card, double bandLeft) {
        JointNames joint = card.joint;
        for (JointName &other : joint)
            other.name = verticalNameText(other.name);
        const vertical::ColumnPlace &place = vertical::Name;
        const double bandRight =
            std::min(m_left - ColumnGapMm * TwipsPerMm, BandRightMm * TwipsPerMm);
        NameBlockRoom room;
        room.length = (place.bottomMm - place.topMm) * TwipsPerMm;
        room.breadth = bandRight - bandLeft;
        room.blank = 1.0;
        room.vertical = true;
        const NameBlockFit fit =
            fitNameBlock(m_surface, m_font, place.points, vertical::Address.points,
                         nameBlockLines(verticalNameText(card.name), card.honorific, joint), room);
        if (!fit.fits)
            m_surface.noteUnfitted();
        const NameBlockPlaces &places = fit.places;
        const double em = places.points * 20;
        const double pitch = em * room.pitch;
        const double span = static_cast<double>(fit.lines.size() - 1) * pitch;
        double x = std::min(std::max(place.xMm * TwipsPerMm + span / 2, bandLeft + span + em / 2),
                            bandRight - em / 2);
        const double top = place.topMm * TwipsPerMm + (room.length - places.extent) / 2;
        m_surface.setFontSize(places.points);
        for (const NameBlockLine &line : fit.lines) {
            const std::pair<double, const QString &> parts[] = {
                {0, line.family}, {places.givenAt, line.given}, {places.wordAt, line.word}};
            for (const auto &[y, text] : parts)
                if (!text.isEmpty())
                    print(x, top + y, text, 0);
            x -= pitch;
        }
    }

    // A horizontal text starting at `leftMm`, or centred on `centreMm`.
    void across(const QString &text, double leftMm, double centreMm, double topMm, double points,
                double widthMm) {
        if (text.isEmpty())
            return;
        const FittedText fitted = fitText(m_surface, m_font, points, text, widthMm * TwipsPerMm);
        double y = topMm * TwipsPerMm;
        for (const QString &line : fitted.lines) {
            const double x = centreMm > 0 ? centreMm * TwipsPerMm - m_surface.advance(line) / 2
                                          : leftMm * TwipsPerMm;
            m_surface.setX(static_cast<float>(m_corner.x() + x));
            m_surface.setY(static_cast<float>(m_corner.y() + y));
            m_surface.printText(line);
            y += fitted.points * 20 * 1.25;
        }
    }

private:
    FittedText fit(const vertical::ColumnPlace &place, const QString &text,
                   double smallest = postcard::SmallestPoints) {
        const double height = (place.bottomMm - place.topMm) * TwipsPerMm;
        FittedText fitted = fitText(m_surface, m_font, place.points, text, height, true, smallest);
        m_surface.setFontSize(fitted.points);
        return fitted;
    }

    void print(double x, double y, const QString &text, double gap) {
        m_surface.setX(static_cast<float>(m_corner.x() + x));
        m_surface.setY(static_cast<float>(m_corner.y() + y));
        m_surface.printVertical(text, gap);
    }

    PrinterSurface &m_surface;
    const QString &m_font;
    QPointF m_corner;
    double m_pitch = 0; // between the columns last set
    double m_left = vertical::Address.xMm * TwipsPerMm;
    double m_foot = 0;
};

} // namespace

void drawVerticalCard(PrinterSurface &surface, const QString &font, QPointF cornerTwips,
                      VerticalNumbers numbers, const VerticalCardText &card,
                      const VerticalSenderText *sender) {
    VerticalDrawer drawer(surface, font, cornerTwips);
    const double shift = drawer.address(verticalAddressText(card.address1, numbers),
                                        verticalAddressText(card.address2, numbers));
    drawer.columns(vertical::Building, verticalAddressText(card.building, numbers), shift);
    if (!card.replyWord.isEmpty()) {
        drawer.name(verticalNameText(card.nameLine), card.replyWord);
    } else {
        // Clear of the sender's block, whose columns go on leftwards.
        const double senderRight = (vertical::SenderAddress.xMm +
                                    vertical::SenderAddress.points * 25.4 / 72 / 2 + SenderGapMm) *
                                   TwipsPerMm;
        drawer.names(card, sender ? senderRight : postcard::EdgeMm * TwipsPerMm);
    }
    // The code is an identifier, printed as it is typed.
    drawer.across(card.code, 0, vertical::Name.xMm, vertical::CodeTopMm, vertical::CodePoints, 30);
    if (!sender)
        return;
    const double senderShift =
        drawer.columns(vertical::SenderAddress, verticalAddressText(sender->address1, numbers), 0);
    double addressFoot = sender->address1.isEmpty() ? 0 : drawer.foot();
    const double nameShift = drawer.columns(
        vertical::SenderBuilding, verticalAddressText(sender->address2, numbers), senderShift);
    if (!sender->address2.isEmpty())
        addressFoot = std::max(addressFoot, drawer.foot());
    drawer.senderName(verticalNameText(sender->name), nameShift, addressFoot);
    drawer.across(sender->postalCode, vertical::SenderZipXMm, 0, vertical::SenderZipTopMm,
                  vertical::SenderZipPoints, 30);
}

} // namespace nvl
