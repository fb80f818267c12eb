#include "printlist.h"

namespace nvl {

std::array<QString, 7> postalBoxes(const QString &postalCode) {
    std::array<QString, 7> boxes;
    const bool hyphen = postalCode.mid(3, 1) == u"-";
    for (int i = 0; i < 7; ++i) {
        const int position = hyphen && i >= 3 ? i + 1 : i;
        boxes.at(i) = postalCode.mid(position, 1);
    }
    return boxes;
}

QString previewNameLine(const AddressRecord &record) {
    const QString word = honorificWord(record.field(AddressRecord::Honorific));
    const QString &name = record.field(AddressRecord::Name);
    return word.isEmpty() ? name : name + QStringLiteral("　") + word;
}

} // namespace nvl

namespace nvl {

std::optional<QList<int>> parseRecordList(const QString &text, int count) {
    QList<int> numbers;
    const QStringList parts = text.split(u',');
    for (const QString &raw : parts) {
        const QString part = raw.trimmed();
        const QStringList ends = part.split(u'-');
        if (ends.size() > 2)
            return std::nullopt;
        bool okFirst = false;
        bool okLast = false;
        const int first = ends.first().trimmed().toInt(&okFirst);
        const int last = ends.last().trimmed().toInt(&okLast);
        if (!okFirst || !okLast || first < 1 || last < first || last > count)
            return std::nullopt;
        for (int n = first; n <= last; ++n)
            numbers.append(n);
    }
    return numbers;
}

} // namespace nvl
