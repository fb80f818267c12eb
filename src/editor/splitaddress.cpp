#include "splitaddress.h"

namespace nvl {

namespace {

// 1-based position of the first occurrence, 0 when absent.
qsizetype positionOf(const QString &text, QChar marker) {
    return text.indexOf(marker) + 1;
}

qsizetype prefectureEnd(const QString &text) {
    // 都, 道 and 府 only end three-character names (東京都, 北海道, 大阪府);
    // 県 ends the prefecture wherever it first stands (神奈川県).
    for (const QChar marker : {QChar(u'都'), QChar(u'道'), QChar(u'府')}) {
        const qsizetype position = positionOf(text, marker);
        if (position == 3)
            return position;
    }
    return positionOf(text, u'県');
}

qsizetype municipalityLength(const QString &rest) {
    // Names with a marker inside them, before the general rule.
    if (rest.mid(1, 2) == u"郡市") // 蒲郡市, 小郡市
        return 3;
    if (rest.left(3) == u"今市市")
        return 3;
    if (rest.mid(1, 2) == u"市郡") // 余市郡, 高市郡
        return 3;
    if (rest.mid(1, 3) == u"日市市") // 四日市市
        return 4;
    if (rest.left(5) == u"八日市場市")
        return 5;
    if (rest.left(3) == u"市原市")
        return 3;
    if (rest.left(3) == u"郡山市")
        return 3;
    // 郡 anywhere wins over 区, and 区 over 市 (so 横浜市中区 stays whole).
    for (const QChar marker : {QChar(u'郡'), QChar(u'区'), QChar(u'市')}) {
        const qsizetype position = positionOf(rest, marker);
        if (position > 0)
            return position;
    }
    return 0;
}

} // namespace

SplitLines splitAddressText(const QString &text, bool withPrefecture) {
    const QString prefecture = text.left(prefectureEnd(text));
    const QString rest = text.mid(prefecture.size());
    const QString city = rest.left(municipalityLength(rest));
    return {withPrefecture ? prefecture + city : city, rest.mid(city.size())};
}

} // namespace nvl
