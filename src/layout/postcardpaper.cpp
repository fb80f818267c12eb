#include "postcardpaper.h"
#include "nameblock.h"
#include "paperlayout.h"

#include <algorithm>
#include <cmath>

namespace nvl {

namespace postcard {

QPointF boxCentre(int index) {
    return {(BoxLeftMm.at(index) + BoxWidthMm / 2) * TwipsPerMm,
            (BoxTopMm + BoxHeightMm / 2) * TwipsPerMm};
}

} // namespace postcard

namespace {

using postcard::TwipsPerMm;

// A digit of a number: a line must not break between two of these.
bool numeric(QChar c) {
    return c.isDigit() || QStringLiteral("-－−‐ー―.．,，〇一二三四五六七八九").contains(c);
}

// Marks that may not start a line, and that may not end one.
const QString NoLineStart = QStringLiteral(
    "。、，．・：；？！ー」』）］｝〕〉》】ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ々");
const QString NoLineEnd = QStringLiteral("「『（［｛〔〈《【");
// Words that belong to the number before them: 二丁目, 三番地, 一号.
const QString NumberUnits = QStringLiteral("丁番号条線階");

bool mayBreakBefore(QStringView text, qsizetype at) {
    if (at <= 0 || at >= text.size())
        return false;
    const QChar before = text.at(at - 1);
    const QChar after = text.at(at);
    if (numeric(before) && (numeric(after) || NumberUnits.contains(after)))
        return false;
    if ((before == u'丁' && after == u'目') || (before == u'番' && after == u'地'))
        return false;
    if (NoLineStart.contains(after) || NoLineEnd.contains(before))
        return false;
    return !before.isHighSurrogate();
}

// How good a break before `at` is: after a blank or closing mark best, then
// between a word and a number, else anywhere allowed.
int breakQuality(QStringView text, qsizetype at) {
    const QChar before = text.at(at - 1);
    const QChar after = text.at(at);
    if (before.isSpace() || QStringLiteral("　、・」）").contains(before))
        return 2;
    if (numeric(before) != numeric(after))
        return 1;
    return 0;
}

using Item = postcard::LinePlace;
using postcard::Address1;
using postcard::Address2;
using postcard::Address3;
using postcard::CodeLine;
using postcard::NameLine;
using postcard::SenderAdd1;
using postcard::SenderAdd2;
using postcard::SenderName;
using postcard::SenderZip;
constexpr double DigitPoints = 14;
// The names keep this far from the sender's block.
constexpr double SenderGapMm = 3;
const QString ReplyWord = QStringLiteral("行");

class PostcardDrawer {
public:
    PostcardDrawer(const PrintJob &job, PrinterSurface &surface)
        : m_in(job), m_surface(surface), m_offset(job.offsetMm * TwipsPerMm) {}

    void card(int entry) {
        const AddressRecord &record = m_in.records.at(entry);
        // Boxes the code leaves empty stay empty: the card is written by hand.
        digits(typedPostalDigits(record.field(AddressRecord::PostalCode)).value_or(QList<int>{}));
        const QString word = honorificWord(record.field(AddressRecord::Honorific));
        if (m_in.vertical) {
            const VerticalSenderText sender = verticalSenderText(m_in.sender);
            VerticalCardText text = verticalCardText(record, word);
            text.joint = m_in.jointNamesAt(entry);
            drawVerticalCard(m_surface, m_in.addressFont, m_offset, m_in.numbers, text, &sender);
            return;
        }
        recipient(record, word, m_in.jointNamesAt(entry));
        senderBlock();
    }

    // The reply half: addressed back to the sender, with 行.
    void replyCard() {
        digits(typedPostalDigits(m_in.sender.postalCode).value_or(QList<int>{}));
        AddressRecord back;
        back.setField(AddressRecord::Name, m_in.sender.name);
        back.setField(AddressRecord::Address1, m_in.sender.address1);
        back.setField(AddressRecord::Address2, m_in.sender.address2);
        if (m_in.vertical) {
            // The sender's second line is set as the building column.
            VerticalCardText text = verticalCardText(back, {});
            text.replyWord = ReplyWord;
            std::swap(text.address2, text.building);
            drawVerticalCard(m_surface, m_in.addressFont, m_offset, m_in.numbers, text, nullptr);
            return;
        }
        recipient(back, ReplyWord);
    }

private:
    void recipient(const AddressRecord &record, const QString &word, const JointNames &joint = {}) {
        const QString &name = record.field(AddressRecord::Name);
        double below = 0; // how far wrapped lines pushed what follows
        below = text(Address1, record.field(AddressRecord::Address1), below);
        below = text(Address2, record.field(AddressRecord::Address2), below);
        below = text(Address3, record.field(AddressRecord::Address3), below);
        const QString line = word.isEmpty() ? name : name + u'　' + word;
        if (word == ReplyWord) {
            below = replyName(name, below);
        } else if (joint.isEmpty() && fitsOneLine(NameLine, line, Address1.points)) {
            below = text(NameLine, line, below, Address1.points);
        } else {
            // 連名, or a name too long for one line at the address's size:
            // parted at a word, kept inside the card and above the sender.
            const Item &item = NameLine;
            const double top = item.yMm * TwipsPerMm + below;
            const QPointF at(item.xMm * TwipsPerMm + m_offset.x(), top + m_offset.y());
            below +=
                drawNameBlockAcross(m_surface, m_in.addressFont, item.points, Address1.points,
                                    nameBlockLines(name, word, joint), at,
                                    (postcard::WidthMm - postcard::EdgeMm - item.xMm) * TwipsPerMm,
                                    (SenderZip.yMm - SenderGapMm) * TwipsPerMm - top);
        }
        text(CodeLine, record.field(AddressRecord::Code), below);
    }

    bool fitsOneLine(const Item &item, const QString &value, double smallest) {
        const double width = (postcard::WidthMm - postcard::EdgeMm - item.xMm) * TwipsPerMm;
        const FittedText fitted =
            fitText(m_surface, m_in.addressFont, item.points, value, width, false, smallest);
        return fitted.lines.size() == 1 && fitted.points >= smallest;
    }

    // The reply's 行, smaller, after the name's foot: the replier strikes it
    // through and writes 様.
    double replyName(const QString &name, double below) {
        const Item &item = NameLine;
        m_surface.setFontName(m_in.addressFont);
        m_surface.setFontSize(item.points * postcard::ReplyWordScale);
        const double room = m_surface.advance(ReplyWord) + item.points * 20 / 2;
        const double width = (postcard::WidthMm - postcard::EdgeMm - item.xMm) * TwipsPerMm - room;
        const FittedText fitted =
            fitText(m_surface, m_in.addressFont, item.points, name, width, false, Address1.points);
        const double lineHeight = fitted.points * 20 * 1.25;
        const double x = item.xMm * TwipsPerMm + m_offset.x();
        double y = item.yMm * TwipsPerMm + below + m_offset.y();
        for (const QString &line : fitted.lines) {
            m_surface.setX(static_cast<float>(x));
            m_surface.setY(static_cast<float>(y));
            m_surface.printText(line);
            y += lineHeight;
        }
        const QString &last = fitted.lines.constLast();
        y -= lineHeight;
        const double end = x + m_surface.advance(last) + fitted.points * 20 / 2;
        const double foot = y + (last.isEmpty() ? lineHeight : m_surface.inkBounds(last).bottom());
        m_surface.setFontSize(fitted.points * postcard::ReplyWordScale);
        m_surface.setX(static_cast<float>(end));
        m_surface.setY(static_cast<float>(foot - m_surface.inkBounds(ReplyWord).bottom()));
        m_surface.printText(ReplyWord);
        return below + lineHeight * static_cast<double>(fitted.lines.size() - 1);
    }

    void senderBlock() {
        double senderBelow = 0;
        senderBelow = text(SenderZip, m_in.sender.postalCode, senderBelow);
        senderBelow = text(SenderAdd1, m_in.sender.address1, senderBelow);
        senderBelow = text(SenderAdd2, m_in.sender.address2, senderBelow);
        text(SenderName, m_in.sender.name, senderBelow);
    }

    void digits(const QList<int> &digits) {
        m_surface.setFontName(m_in.postalFont);
        m_surface.setFontSize(DigitPoints);
        for (int i = 0; i < digits.size(); ++i) {
            const QString digit = QString::number(digits.at(i));
            // Centred by the digit's ink, not by its em box.
            const QPointF ink = m_surface.inkBounds(digit).center();
            const QPointF at = postcard::boxCentre(i) - ink + m_offset;
            m_surface.setX(static_cast<float>(at.x()));
            m_surface.setY(static_cast<float>(at.y()));
            m_surface.printText(digit);
        }
    }

    // Prints an item, fitted to the card; returns how much further down the
    // items after it go.
    double text(const Item &item, const QString &value, double below,
                double smallest = postcard::SmallestPoints) {
        if (value.isEmpty())
            return below;
        const double width = (postcard::WidthMm - postcard::EdgeMm - item.xMm) * TwipsPerMm;
        const FittedText fitted =
            fitText(m_surface, m_in.addressFont, item.points, value, width, false, smallest);
        const double lineHeight = fitted.points * 20 * 1.25;
        double y = item.yMm * TwipsPerMm + below;
        for (const QString &line : fitted.lines) {
            m_surface.setX(static_cast<float>(item.xMm * TwipsPerMm + m_offset.x()));
            m_surface.setY(static_cast<float>(y + m_offset.y()));
            m_surface.printText(line);
            y += lineHeight;
        }
        return below + lineHeight * static_cast<double>(fitted.lines.size() - 1);
    }

    const PrintJob &m_in;
    PrinterSurface &m_surface;
    QPointF m_offset;
};

// One card a page, drawn from the paper's corner: a postcard, or the left
// half of a return postcard, whose face says which address side it is.
class CardPaperLayout : public PaperLayout {
public:
    enum class Side { Postcard, Outgoing, Reply };
    explicit CardPaperLayout(Side side) : m_side(side) {}

    QSizeF pageMm() const override {
        return {m_side == Side::Postcard ? postcard::WidthMm : ReturnPostcardWidthMm,
                postcard::HeightMm};
    }
    int cardsPerPage() const override { return 1; }
    QPointF originTwips() const override { return {}; }
    QRectF cardTwips(int) const override {
        return {0, 0, postcard::WidthMm * TwipsPerMm, postcard::HeightMm * TwipsPerMm};
    }
    void drawCard(const PrintJob &job, int n, PrinterSurface &surface) const override {
        PostcardDrawer drawer(job, surface);
        if (m_side == Side::Reply)
            drawer.replyCard();
        else
            drawer.card(n);
    }

private:
    Side m_side;
};

} // namespace

FittedText fitText(PrinterSurface &surface, const QString &font, double points, const QString &text,
                   double widthTwips, bool vertical, double smallest) {
    const auto advance = [&](QStringView part) {
        return vertical ? surface.verticalAdvance(part.toString())
                        : surface.advance(part.toString());
    };
    surface.setFontName(font);
    double size = points;
    surface.setFontSize(size);
    // No character of a text font is wider than its em: a text that fits at
    // one em a character fits, without shaping it to measure.
    if (static_cast<double>(text.size()) * points * 20 <= widthTwips)
        return {points, {text}};
    // The size it needs, found at once: a text's length scales with its size.
    const double whole = advance(text);
    if (whole > widthTwips) {
        const double needed = std::floor(points * widthTwips / whole * 2) / 2;
        size = std::max(std::min(needed, points), smallest);
        surface.setFontSize(size);
        while (size - 0.5 >= smallest && advance(text) > widthTwips) {
            size -= 0.5;
            surface.setFontSize(size);
        }
        // Rounding may leave half a point to spare.
        surface.setFontSize(size + 0.5);
        if (size + 0.5 <= points && advance(text) <= widthTwips)
            size += 0.5;
        surface.setFontSize(size);
    }
    FittedText fitted{size, {}};
    const double em = size * 20;
    QStringView rest = text;
    while (!rest.isEmpty()) {
        // The longest start that fits: as many characters as ems fit, then
        // more, doubling and halving, measuring no more than one line's worth
        // of a long text.
        qsizetype fits =
            std::clamp<qsizetype>(static_cast<qsizetype>(widthTwips / em), 1, rest.size());
        if (fits == rest.size() || (rest.size() <= 4 * fits && advance(rest) <= widthTwips)) {
            fitted.lines.append(rest.toString());
            break;
        }
        qsizetype over = 0;
        for (qsizetype step = fits; over == 0 && fits < rest.size(); step *= 2) {
            const qsizetype probe = std::min(rest.size(), fits + step);
            if (advance(rest.left(probe)) <= widthTwips)
                fits = probe;
            else
                over = probe;
        }
        if (fits == rest.size()) {
            fitted.lines.append(rest.toString());
            break;
        }
        while (over - fits > 1) {
            const qsizetype middle = fits + (over - fits) / 2;
            (advance(rest.left(middle)) <= widthTwips ? fits : over) = middle;
        }
        // Then the best allowed break in it.
        qsizetype best = -1;
        int quality = -1;
        for (qsizetype at = fits; at > 0 && at * 3 >= fits; --at) {
            if (!mayBreakBefore(rest, at))
                continue;
            const int q = breakQuality(rest, at);
            if (q > quality) {
                best = at;
                quality = q;
            }
            if (q == 2)
                break;
        }
        if (best < 0) {
            // No allowed break in the line: the first one after it, even if
            // that line is then wider (a number is never cut).
            best = fits;
            while (best < rest.size() && !mayBreakBefore(rest, best))
                ++best;
        }
        QStringView line = rest.left(best);
        // The blank a line was broken at is not printed.
        while (line.size() > 1 && line.back().isSpace())
            line.chop(1);
        fitted.lines.append(line.toString());
        rest = rest.mid(best);
        if (rest.startsWith(u' ') || rest.startsWith(u'　'))
            rest = rest.mid(1);
    }
    if (fitted.lines.isEmpty())
        fitted.lines.append(QString());
    return fitted;
}

std::unique_ptr<PaperLayout> postcardLayout() {
    return std::make_unique<CardPaperLayout>(CardPaperLayout::Side::Postcard);
}

std::unique_ptr<PaperLayout> returnPostcardLayout(bool replyFace) {
    return std::make_unique<CardPaperLayout>(replyFace ? CardPaperLayout::Side::Reply
                                                       : CardPaperLayout::Side::Outgoing);
}

} // namespace nvl
