#pragma once

#include "importresult.h"

#include <QByteArray>
#include <functional>

namespace nvl {

// A contact file as import reads it. A vCard is read as it streams in, of
// any size: photos and other data it does not import are passed over, never
// kept. A CSV is read whole for its column mapping, up to MaxCsvBytes.
struct ContactFile {
    static constexpr qint64 MaxCsvBytes = 8LL * 1024 * 1024;

    ImportFormat format = ImportFormat::VCard;
    ImportResult vcards; // the contacts of a vCard file
    QByteArray csv;      // the bytes of a CSV file
    QString error;       // Japanese, names the file: it could not be read
    bool cancelled = false;
    bool ok() const { return error.isEmpty() && !cancelled; }
};

// Told how far the reading is (bytes read of the file's size); false stops it.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

ContactFile readContactFile(const QString &path, const ReadProgress &progress = {});

} // namespace nvl
