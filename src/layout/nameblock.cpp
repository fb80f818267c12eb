#include "nameblock.h"

#include "postcardpaper.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nvl {

bool isWholeName(const QString &name) {
    const QString trimmed = name.trimmed();
    return !trimmed.contains(u' ') && !trimmed.contains(u'　');
}

QList<NameBlockLine> nameBlockLines(const QString &name, const QString &word,
                                    const JointNames &joint) {
    if (isWholeName(name)) {
        // Parting it at its second character made 株式 ␣ 会社… of a company.
        QList<NameBlockLine> lines{{QString(), name.trimmed(), word}};
        for (const JointName &other : joint)
            lines.append({QString(), other.name.trimmed(), other.honorific});
        return lines;
    }
    const SplitName main = splitName(name);
    QList<NameBlockLine> lines{{main.family, main.given, word}};
    for (const JointName &other : joint) {
        const QString trimmed = other.name.trimmed();
        const bool full = trimmed.contains(u' ') || trimmed.contains(u'　');
        const SplitName split = full ? splitName(trimmed) : SplitName{QString(), trimmed};
        lines.append({split.family, split.given, other.honorific});
    }
    return lines;
}

QStringList partedName(const QString &name) {
    // Words a name of an organisation is parted after, as people write it.
    static const QStringList words = {
        QStringLiteral("株式会社"), QStringLiteral("有限会社"), QStringLiteral("合同会社"),
        QStringLiteral("法人"),     QStringLiteral("協会"),     QStringLiteral("事務局"),
        QStringLiteral("連合会"),   QStringLiteral("組合"),     QStringLiteral("財団"),
        QStringLiteral("委員会"),   QStringLiteral("大学"),     QStringLiteral("学校"),
        QStringLiteral("病院"),     QStringLiteral("銀行"),     QStringLiteral("本社"),
        QStringLiteral("支社"),     QStringLiteral("支店"),     QStringLiteral("本部"),
        QStringLiteral("営業所"),   QStringLiteral("事務所"),   QStringLiteral("研究所"),
        QStringLiteral("会社"),     QStringLiteral("部"),       QStringLiteral("課"),
        QStringLiteral("室")};
    const qsizetype size = name.size();
    qsizetype best = -1;
    qsizetype bestLonger = size;
    const auto consider = [&](qsizetype at) {
        if (at < 2 || size - at < 2)
            return;
        const qsizetype longer = std::max(at, size - at);
        if (longer < bestLonger) {
            best = at;
            bestLonger = longer;
        }
    };
    for (const QString &word : words)
        for (qsizetype at = name.indexOf(word); at >= 0; at = name.indexOf(word, at + 1))
            consider(at + word.size());
    if (best < 0) {
        // No word to part at: the middle, never inside a surrogate pair.
        best = size / 2;
        if (best > 0 && name.at(best - 1).isHighSurrogate())
            ++best;
    }
    return {name.left(best), name.mid(best)};
}

namespace {

class BlockMeasure {
public:
    BlockMeasure(PrinterSurface &surface, const NameBlockRoom &room)
        : m_surface(surface), m_room(room) {}

    NameBlockPlaces placesAt(const QList<NameBlockLine> &lines, double size) {
        m_surface.setFontSize(size);
        NameBlockPlaces places{size, 0, 0, 0};
        const double blank = size * 20 * m_room.blank;
        for (const NameBlockLine &line : lines)
            if (!line.family.isEmpty())
                places.givenAt = std::max(places.givenAt, measure(line.family) + blank);
        double given = 0;
        for (const NameBlockLine &line : lines)
            given = std::max(given, measure(line.given));
        double word = 0;
        for (const NameBlockLine &line : lines)
            word = std::max(word, measure(line.word));
        places.wordAt = places.givenAt + given + (word > 0 ? blank : 0);
        places.extent = places.wordAt + word;
        return places;
    }

    bool fits(const QList<NameBlockLine> &lines, const NameBlockPlaces &places) const {
        const double across =
            (static_cast<double>(lines.size() - 1) * m_room.pitch + 1) * places.points * 20;
        return places.extent <= m_room.length && across <= m_room.breadth;
    }

    // The largest size from `top` down to `bottom`, in half points, at which
    // the lines fit.
    std::optional<NameBlockPlaces> largest(const QList<NameBlockLine> &lines, double top,
                                           double bottom) {
        NameBlockPlaces places = placesAt(lines, top);
        if (fits(lines, places))
            return places;
        // Lengths scale with the size: start at the size they need.
        const double across = (static_cast<double>(lines.size() - 1) * m_room.pitch + 1) * 20;
        double size = std::min(
            {top, top * m_room.length / std::max(places.extent, 1.0), m_room.breadth / across});
        // In half points, counted as whole numbers.
        const int lowest = static_cast<int>(std::ceil(bottom * 2));
        for (int halves = std::max(lowest, static_cast<int>(std::floor(size * 2)));
             halves >= lowest; --halves) {
            places = placesAt(lines, halves / 2.0);
            if (fits(lines, places))
                return places;
        }
        return std::nullopt;
    }

private:
    double measure(const QString &text) {
        if (text.isEmpty())
            return 0.0;
        return m_room.vertical ? m_surface.verticalAdvance(text) : m_surface.advance(text);
    }

    PrinterSurface &m_surface;
    const NameBlockRoom &m_room;
};

} // namespace

NameBlockFit fitNameBlock(PrinterSurface &surface, const QString &font, double points,
                          double smallest, const QList<NameBlockLine> &lines,
                          const NameBlockRoom &room) {
    surface.setFontName(font);
    BlockMeasure measure(surface, room);
    smallest = std::min(smallest, points);
    if (const auto places = measure.largest(lines, points, smallest))
        return {lines, *places, true};
    // A long whole name goes on in a second line at a word, its honorific
    // at the foot of that line, before the names get smaller than the address.
    QList<NameBlockLine> broken = lines;
    const NameBlockLine &first = lines.first();
    if (first.family.isEmpty() && first.given.size() >= 4) {
        const QStringList parts = partedName(first.given);
        broken.replace(0, {QString(), parts.at(0), QString()});
        broken.insert(1, {QString(), parts.at(1), first.word});
        if (const auto places = measure.largest(broken, points, smallest))
            return {broken, *places, true};
    }
    const double least = std::min(postcard::LeastPoints, smallest);
    std::optional<NameBlockPlaces> best;
    QList<NameBlockLine> chosen = lines;
    const QList<NameBlockLine> *candidates[] = {&lines, &broken};
    for (const QList<NameBlockLine> *candidate : candidates) {
        const auto places = measure.largest(*candidate, smallest, least);
        if (places && (!best || places->points > best->points)) {
            best = places;
            chosen = *candidate;
        }
    }
    if (best)
        return {chosen, *best, true};
    return {chosen, measure.placesAt(chosen, least), false};
}

double drawNameBlockAcross(PrinterSurface &surface, const QString &font, double points,
                           double smallest, const QList<NameBlockLine> &lines, QPointF at,
                           double width, double breadth) {
    NameBlockRoom room;
    room.length = width;
    room.breadth = breadth;
    const NameBlockFit fit = fitNameBlock(surface, font, points, smallest, lines, room);
    if (!fit.fits)
        surface.noteUnfitted();
    const NameBlockPlaces &places = fit.places;
    surface.setFontSize(places.points);
    const double lineHeight = places.points * 20 * room.pitch;
    double y = at.y();
    for (const NameBlockLine &line : fit.lines) {
        const std::pair<double, const QString &> parts[] = {
            {0, line.family}, {places.givenAt, line.given}, {places.wordAt, line.word}};
        for (const auto &[x, text] : parts) {
            if (text.isEmpty())
                continue;
            surface.setX(static_cast<float>(at.x() + x));
            surface.setY(static_cast<float>(y));
            surface.printText(text);
        }
        y += lineHeight;
    }
    return lineHeight * static_cast<double>(fit.lines.size() - 1);
}

} // namespace nvl
