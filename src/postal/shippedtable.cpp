#include "postaldirectory.h"

#include <QResource>

// The table's object file sits in a static library: only a call to its
// initializer (a global function) brings it into the program.
static void initShippedTable() {
    Q_INIT_RESOURCE(nvl_postal_data);
}

namespace nvl {

const PostalDirectory &PostalDirectory::shipped() {
    static const PostalDirectory directory = [] {
        PostalDirectory table;
        initShippedTable();
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
