#include "nameblock.h"

#include <algorithm>
#include <cmath>

namespace nvl {

QList<NameBlockLine> nameBlockLines(const QString &name, const QString &word,
                                    const JointNames &joint) {
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

NameBlockPlaces fitNameBlock(PrinterSurface &surface, const QString &font, double points,
                             double smallest, const QList<NameBlockLine> &lines, double length,
                             bool vertical) {
    const auto measure = [&](const QString &text) {
        if (text.isEmpty())
            return 0.0;
        return vertical ? surface.verticalAdvance(text) : surface.advance(text);
    };
    surface.setFontName(font);
    const auto placesAt = [&](double size) {
        surface.setFontSize(size);
        NameBlockPlaces places{size, 0, 0, 0};
        const double blank = size * 20 / 2;
        for (const NameBlockLine &line : lines)
            if (!line.family.isEmpty())
                places.givenAt = std::max(places.givenAt, measure(line.family) + blank);
        double given = 0;
        for (const NameBlockLine &line : lines)
            given = std::max(given, measure(line.given));
        places.wordAt = places.givenAt + given + blank;
        double word = 0;
        for (const NameBlockLine &line : lines)
            word = std::max(word, measure(line.word));
        places.extent = places.wordAt + word;
        return places;
    };
    NameBlockPlaces places = placesAt(points);
    if (places.extent <= length)
        return places;
    // Lengths scale with the size: the size it needs, then half points down.
    double size = std::max(smallest, std::floor(points * length / places.extent * 2) / 2);
    places = placesAt(size);
    while (places.extent > length && size - 0.5 >= smallest) {
        size -= 0.5;
        places = placesAt(size);
    }
    return places;
}

double drawNameBlockAcross(PrinterSurface &surface, const QString &font, double points,
                           double smallest, const QList<NameBlockLine> &lines, QPointF at,
                           double width) {
    const NameBlockPlaces places =
        fitNameBlock(surface, font, points, smallest, lines, width, false);
    surface.setFontSize(places.points);
    const double lineHeight = places.points * 20 * 1.25;
    double y = at.y();
    for (const NameBlockLine &line : lines) {
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
    return lineHeight * static_cast<double>(lines.size() - 1);
}

} // namespace nvl
