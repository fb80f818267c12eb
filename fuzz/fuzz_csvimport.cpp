// A foreign CSV file as import reads it, with the mapping its header gives:
// never a crash, never a field a book cannot hold on one line; what it
// reads, exported as CSV, reads back field for field.
#include "foreigncsv.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    nvl::isForeignCsv(bytes);
    const nvl::CsvRead table = nvl::readCsvTable(bytes);
    if (!table.ok())
        return 0;
    const nvl::ImportResult read =
        nvl::recordsFromTable(table.table, nvl::guessMapping(table.table.header));
    if (!read.ok())
        return 0;
    for (const nvl::AddressRecord &record : read.records)
        for (const QString &field : record.fields)
            for (const QChar c : field)
                if (c.category() == QChar::Other_Control)
                    std::abort();
    const nvl::CsvRead exported = nvl::readCsvTable(nvl::writeExportCsv(read.records, read.data));
    if (!exported.ok())
        std::abort();
    const nvl::ImportResult again =
        nvl::recordsFromTable(exported.table, nvl::guessMapping(exported.table.header));
    if (!again.ok() || again.records != read.records || again.data != read.data)
        std::abort(); // a field, 連名, reading or tag lost or changed by export and import
    return 0;
}
