// Any book the writer accepts reads back field for field: fields are cut
// from the input at 0xFF bytes (never part of UTF-8), seven to a record.
#include "bookfile.h"
#include "textcodec.h"

#include <cstdint>
#include <cstdlib>

namespace {

// What the writer stores on purpose in place of a character: ＂ for a
// double quote, and in CP932 the full-width forms of 〜 − ¥.
QString stored(QString field, nvl::TextEncoding used) {
    field.replace(u'"', QChar(0xFF02));
    if (used == nvl::TextEncoding::Cp932) {
        field.replace(QChar(0x301C), QChar(0xFF5E));
        field.replace(QChar(0x2212), QChar(0xFF0D));
        field.replace(QChar(0x00A5), QChar(0xFFE5));
    }
    return field;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    nvl::AddressBook book;
    QStringList fields;
    for (const QByteArray &part : bytes.split('\xff')) {
        fields.append(QString::fromUtf8(part));
        if (fields.size() == nvl::AddressRecord::FieldCount) {
            book.records.append(nvl::AddressRecord::fromList(fields));
            fields.clear();
        }
        if (book.recordCount() == nvl::AddressBook::Capacity)
            break;
    }
    const QString text = nvl::formatBook(book);
    if (text.contains(QChar(0)))
        return 0; // refused by the writer
    nvl::TextEncoding used = nvl::TextEncoding::Cp932;
    const std::optional<nvl::DecodedText> decoded = nvl::decodeText(nvl::encodeText(text, &used));
    if (!decoded)
        std::abort(); // written, but unreadable
    const nvl::BookRead read = nvl::parseBook(decoded->text);
    if (!read.ok() || read.book.recordCount() != book.recordCount())
        std::abort(); // records lost or split
    for (int n = 1; n <= book.recordCount(); ++n) {
        for (int f = 1; f <= nvl::AddressRecord::FieldCount; ++f) {
            if (read.book.record(n).field(f) != stored(book.record(n).field(f), used))
                std::abort(); // a field changed across the save
        }
    }
    return 0;
}
