#include "postaldirectory.h"

#include <QResource>

namespace nvl {

const PostalDirectory &PostalDirectory::shipped() {
    static const PostalDirectory directory = [] {
        PostalDirectory table;
        // Stored uncompressed: read where it lies in the program's image.
        const QResource resource(QStringLiteral(":/postal/postalcodes.bin"));
        if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
            table.adopt(QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                                resource.size()));
        return table;
    }();
    return directory;
}

} // namespace nvl
