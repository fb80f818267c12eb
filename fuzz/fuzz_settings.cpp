// Nuvel.ini, Nuvel.opt and Wolt.tds as the program reads them.
#include "addressrecord.h"
#include "offsetfile.h"
#include "senderfile.h"
#include "settingsfile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList book = nvl::settingsValuesFromBytes(bytes, 2);
    nvl::leadingNumber(book.at(1));
    const nvl::OffsetRecord offsets =
        nvl::offsetsFromValues(nvl::settingsValuesFromBytes(bytes, 3));
    offsets.xSteps();
    offsets.ySteps();
    nvl::leadingNumber(offsets.secondRow);
    const nvl::SenderTable senders =
        nvl::senderTableFromValues(nvl::settingsValuesFromBytes(bytes, 16));
    return senders.at(3).name.size() > 1 << 30 ? 1 : 0;
}
