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
    const QString name = record.field(AddressRecord::Name);
    return word.isEmpty() ? name : name + QStringLiteral("　") + word;
}

} // namespace nvl
