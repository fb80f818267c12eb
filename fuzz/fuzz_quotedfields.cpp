// Encoding detection and the quoted-field reader on arbitrary bytes; what is
// read is written back and must read back as the same fields.
#include "quotedfields.h"
#include "textcodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<nvl::DecodedText> text = nvl::decodeText(bytes);
    if (!text)
        return 0;
    nvl::QuotedFieldReader reader(text->text);
    QStringList fields;
    while (!reader.atEnd() && fields.size() < 10000) {
        const std::optional<QString> field = reader.next();
        if (!field)
            break;
        fields.append(*field);
    }
    const QString line = nvl::formatQuotedLine(fields);
    const std::optional<nvl::DecodedText> again = nvl::decodeText(nvl::encodeText(line));
    if (!again)
        std::abort(); // the writer produced bytes its own reader refuses
    nvl::QuotedFieldReader reread(again->text);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (!reread.next())
            std::abort(); // a field was lost on the way through the file
    }
    return 0;
}
