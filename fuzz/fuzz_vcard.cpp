// A vCard file as import reads it: never a crash, never a record without a
// name or address, never a field a book cannot hold on one line; what it
// reads, written as vCard again, reads back as as many records; fed in
// pieces, it reads what it reads whole.
#include "vcard.h"

#include <cstdint>
#include <cstdlib>

namespace {

void checkFields(const nvl::AddressRecord &record) {
    for (const QString &field : record.fields)
        for (const QChar c : field)
            if (c.category() == QChar::Other_Control)
                std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const nvl::ImportResult read = nvl::readVCards(bytes);
    // Split where the input's first byte says: chunks meet anywhere in a line.
    const qsizetype split = bytes.isEmpty() ? 0 : static_cast<uchar>(bytes.at(0)) % bytes.size();
    nvl::VCardReader pieces;
    pieces.feed(bytes.left(split));
    pieces.feed(bytes.mid(split));
    const nvl::ImportResult fed = pieces.finish();
    if (fed.records != read.records || fed.skipped != read.skipped || fed.error != read.error)
        std::abort();
    if (!read.ok()) {
        if (!read.records.isEmpty() || read.error.isEmpty())
            std::abort(); // a broken file imports nothing, and says why
        return 0;
    }
    for (const nvl::AddressRecord &record : read.records)
        checkFields(record);
    if (read.records.isEmpty())
        return 0; // nothing to write back
    const nvl::ImportResult again = nvl::readVCards(nvl::writeVCards(read.records, read.data));
    if (!again.ok() || again.records.size() + again.skipped.size() > read.records.size())
        std::abort();
    return 0;
}
