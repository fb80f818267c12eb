#include "contactfile.h"

#include "textfile.h"
#include "vcard.h"

#include <QCoreApplication>
#include <QFile>

namespace nvl {

namespace {

constexpr qint64 ChunkBytes = 1024LL * 1024;

} // namespace

ContactFile readContactFile(const QString &path, const ReadProgress &progress) {
    ContactFile read;
    if (const TextFileRead::Status status = regularFileStatus(path);
        status != TextFileRead::Status::Ok) {
        read.error = describeReadFailure(path, status);
        return read;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error = describeReadFailure(path, TextFileRead::Status::Unreadable);
        return read;
    }
    const qint64 total = file.size();
    QByteArray chunk = file.read(ChunkBytes);
    read.format = importFormat(path, chunk);
    if (read.format == ImportFormat::Csv && total > ContactFile::MaxCsvBytes) {
        read.error = QCoreApplication::translate(
                         "nvl::Import", "連絡先ファイル「%1」は大きすぎるため取り込めません"
                                        "（CSV は %2 MB まで）。")
                         .arg(path)
                         .arg(ContactFile::MaxCsvBytes / (1024LL * 1024));
        return read;
    }
    VCardReader vcards;
    qint64 done = 0;
    while (!chunk.isEmpty()) {
        done += chunk.size();
        if (read.format == ImportFormat::VCard)
            vcards.feed(chunk);
        else
            read.csv += chunk;
        // A contact file starts with its first contact: one without any in
        // its first megabyte is not read to its end.
        if (read.format == ImportFormat::VCard && done >= (1 << 20) && !vcards.begun()) {
            read.error =
                QCoreApplication::translate(
                    "nvl::Import", "「%1」の最初の 1 MB に vCard（BEGIN:VCARD で始まる連絡先）が"
                                   "ありません。取り込んでいません。")
                    .arg(path);
            return read;
        }
        if (progress && !progress(done, total)) {
            read.cancelled = true;
            return read;
        }
        chunk = file.read(ChunkBytes);
    }
    if (file.error() != QFileDevice::NoError) {
        read.error = describeReadFailure(path, TextFileRead::Status::Unreadable);
        return read;
    }
    if (read.format == ImportFormat::VCard)
        read.vcards = vcards.finish();
    return read;
}

} // namespace nvl
