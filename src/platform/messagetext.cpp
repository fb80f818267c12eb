#include "messagetext.h"

#include <QStringList>

namespace nvl {

namespace {

bool closesPhrase(QChar c) {
    return QStringLiteral("。、」）』】．，").contains(c);
}

// No line may start with these.
bool mustNotStartLine(QChar c) {
    return closesPhrase(c) ||
           QStringLiteral("ーぁぃぅぇぉっゃゅょァィゥェォッャュョ？！").contains(c);
}

bool isHiragana(QChar c) {
    return c.unicode() >= 0x3041 && c.unicode() <= 0x309F;
}

// How good a break before position `at` is: 2 after closing punctuation,
// 1 before an opening bracket, after a word's kana ending, or at a path
// separator or blank, 0 elsewhere. A particle or a word's kana ending
// (「…」に, 住所を) stays with what it follows.
int breakQuality(const QString &text, qsizetype at) {
    const QChar before = text.at(at - 1);
    const QChar after = text.at(at);
    const bool sentencePause = QStringLiteral("、。，．？！ ").contains(before);
    if (mustNotStartLine(after) || before.isHighSurrogate() ||
        (isHiragana(after) && !isHiragana(before) && !sentencePause))
        return -1;
    if (closesPhrase(before))
        return 2;
    if (after == u'「' || after == u'（' || before == u'/' || before == u' ' ||
        (isHiragana(before) && !isHiragana(after)))
        return 1;
    return 0;
}

// Whether `at` falls inside a 「…」 that fits on a line of its own: a path or
// a name is not cut when the line can break before it.
bool insideShortQuote(const QString &text, qsizetype at,
                      const std::function<int(const QString &)> &width, int limit) {
    const qsizetype open = text.lastIndexOf(u'「', at - 1);
    if (open < 0 || text.lastIndexOf(u'」', at - 1) > open)
        return false;
    const qsizetype close = text.indexOf(u'」', at);
    return close >= 0 && width(text.mid(open, close - open + 2)) <= limit;
}

// The longest prefix of `text` no wider than `limit` (at least one character).
qsizetype fittingLength(const QString &text, const std::function<int(const QString &)> &width,
                        int limit) {
    qsizetype length = 1;
    while (length < text.size() && width(text.left(length + 1)) <= limit)
        ++length;
    return length;
}

// Where to break `text` so that its first line fits `limit`.
qsizetype breakPosition(const QString &text, const std::function<int(const QString &)> &width,
                        int limit) {
    const qsizetype fits = fittingLength(text, width, limit);
    qsizetype best = -1;
    int bestQuality = -1;
    // A good break in the second half of the line; else the last allowed one.
    for (qsizetype at = fits; at >= 1 && at < text.size(); --at) {
        const int quality = insideShortQuote(text, at, width, limit) ? -1 : breakQuality(text, at);
        if (quality > bestQuality && (quality == 0 || at * 2 >= fits || best < 0)) {
            best = at;
            bestQuality = quality;
            if (quality == 2)
                break;
        }
        if (at * 2 < fits && best >= 0)
            break;
    }
    return best > 0 ? best : fits;
}

} // namespace

QString breakMessageLines(const QString &text, const std::function<int(const QString &)> &width,
                          int limit) {
    QStringList lines;
    for (QString rest : text.split(u'\n')) {
        while (width(rest) > limit) {
            qsizetype at = breakPosition(rest, width, limit);
            // A short last line ("ん。") is avoided: the paragraph's last two
            // lines share what is left.
            const QString tail = rest.mid(at);
            if (width(tail) <= limit && width(tail) * 4 < limit) {
                const int half = (width(rest) + 1) / 2;
                at = breakPosition(rest, width, std::max(half, width(rest) - limit));
            }
            lines.append(rest.left(at));
            rest = rest.mid(at);
        }
        lines.append(rest);
    }
    return lines.join(u'\n');
}

QString quotedStart(const QString &text) {
    constexpr int Shown = 20;
    return text.size() > Shown ? text.left(Shown) + QStringLiteral("…") : text;
}

} // namespace nvl
