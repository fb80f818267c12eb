#include "reorder.h"

namespace nvl {

QList<AddressRecord> moveRecord(const QList<AddressRecord> &records, int source, int destination) {
    const auto n = static_cast<int>(records.size());
    if (source < 1 || source > n || destination < 1 || destination > n || source == destination)
        return records;
    const auto at = [&records](int number) {
        return records.at(number - 1);
    };
    QList<AddressRecord> result;
    if (destination < source) {
        for (int i = 1; i < destination; ++i)
            result.append(at(i));
        result.append(at(source));
        for (int i = destination; i < source; ++i)
            result.append(at(i));
        for (int i = source + 1; i <= n; ++i)
            result.append(at(i));
    } else {
        for (int i = 1; i < source; ++i)
            result.append(at(i));
        for (int i = source + 1; i <= destination; ++i)
            result.append(at(i));
        result.append(at(source));
        for (int i = destination + 1; i <= n; ++i)
            result.append(at(i));
    }
    return result;
}

} // namespace nvl
