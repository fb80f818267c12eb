// A book file as Open reads it, including the old-format path; a book that
// reads is written and must read back with as many records.
#include "bookfile.h"
#include "textcodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<nvl::DecodedText> text = nvl::decodeText(bytes);
    if (!text)
        return 0;
    const nvl::BookRead read = nvl::parseBook(text->text);
    if (!read.ok()) {
        if (nvl::mayBeOldFormat(read)) {
            const nvl::OldBookRead old = nvl::parseOldBook(text->text);
            if (old.ok && old.records.size() > nvl::OldFormatCapacity)
                std::abort();
            if (old.ok)
                nvl::formatBook(nvl::convertOldRecords(old.records));
        }
        return 0;
    }
    if (read.book.recordCount() > nvl::AddressBook::Capacity)
        std::abort();
    const std::optional<nvl::DecodedText> written =
        nvl::decodeText(nvl::encodeText(nvl::formatBook(read.book)));
    if (!written)
        std::abort();
    const nvl::BookRead again = nvl::parseBook(written->text);
    if (!again.ok() || again.book.recordCount() != read.book.recordCount())
        std::abort(); // records lost or split by a save
    return 0;
}
