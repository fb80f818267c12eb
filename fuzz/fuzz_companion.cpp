// The companion file beside a book: parsed, laid on a book, and written
// back to the same thing.
#include "companion.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<nvl::CompanionFile> file = nvl::parseCompanion(bytes, &error);
    if (!file)
        return error.isEmpty() ? (__builtin_trap(), 0) : 0;
    QList<nvl::AddressRecord> records(3);
    records[0].setField(nvl::AddressRecord::Name, QStringLiteral("甲"));
    records[1].setField(nvl::AddressRecord::Name, QStringLiteral("同名"));
    records[2].setField(nvl::AddressRecord::Name, QStringLiteral("同名"));
    const QByteArray sha(32, '\x11');
    const nvl::CompanionMatch match = nvl::matchCompanion(*file, sha, records);
    if (match.perRecord.size() != records.size())
        __builtin_trap();
    // What is written reads back, and is written again the same.
    const QByteArray written = nvl::formatCompanion(*file);
    const std::optional<nvl::CompanionFile> again = nvl::parseCompanion(written, &error);
    if (!again || again->generations.size() != file->generations.size() ||
        nvl::formatCompanion(*again) != written)
        __builtin_trap();
    return 0;
}
