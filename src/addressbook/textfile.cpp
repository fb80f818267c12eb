#include "textfile.h"

#include "osfiles.h"
#include "quotedfields.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace nvl {

TextFileRead::Status regularFileStatus(const QString &path) {
    // Only a regular file: reading a FIFO or a device would block or never end.
    switch (os::fileKind(path)) {
    case os::FileKind::Regular:
        return TextFileRead::Status::Ok;
    case os::FileKind::Missing:
        return TextFileRead::Status::Missing;
    case os::FileKind::Folder:
        return TextFileRead::Status::Unreadable;
    case os::FileKind::Special:
        break;
    }
    return TextFileRead::Status::NotRegular;
}

QByteArray readFileBytes(const QString &path, TextFileRead::Status *status) {
    QFileInfo info(path);
    *status = regularFileStatus(path);
    if (*status != TextFileRead::Status::Ok)
        return {};
    if (info.size() > MaxTextFileBytes) {
        *status = TextFileRead::Status::TooLarge;
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *status = TextFileRead::Status::Unreadable;
        return {};
    }
    // Read one byte past the limit: the file may have grown since the check.
    QByteArray bytes = file.read(MaxTextFileBytes + 1);
    if (bytes.size() > MaxTextFileBytes) {
        *status = TextFileRead::Status::TooLarge;
        return {};
    }
    if (file.error() != QFileDevice::NoError) {
        *status = TextFileRead::Status::Unreadable;
        return {};
    }
    *status = TextFileRead::Status::Ok;
    return bytes;
}

FileStamp stampOf(const QString &path, const QByteArray &bytes) {
    const QFileInfo info(path);
    return {info.size(), info.lastModified().toMSecsSinceEpoch(),
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)};
}

FileStamp stampOf(const QString &path) {
    TextFileRead::Status status = TextFileRead::Status::Ok;
    const QByteArray bytes = readFileBytes(path, &status);
    return status == TextFileRead::Status::Ok ? stampOf(path, bytes) : FileStamp();
}

TextFileRead readTextFile(const QString &path) {
    TextFileRead result;
    const QByteArray bytes = readFileBytes(path, &result.status);
    if (result.status != TextFileRead::Status::Ok)
        return result;
    result.stamp = stampOf(path, bytes);
    auto decoded = decodeText(bytes);
    if (!decoded) {
        result.status = TextFileRead::Status::NotText;
        return result;
    }
    result.content = std::move(*decoded);
    return result;
}

QString describeReadFailure(const QString &path, TextFileRead::Status status) {
    switch (status) {
    case TextFileRead::Status::Ok:
        return {};
    case TextFileRead::Status::Missing:
        return QCoreApplication::translate("nvl::TextFile", "ファイル「%1」が見つかりません。")
            .arg(path);
    case TextFileRead::Status::Unreadable:
        return QCoreApplication::translate("nvl::TextFile", "ファイル「%1」を読み込めません。")
            .arg(path);
    case TextFileRead::Status::TooLarge:
        return QCoreApplication::translate(
                   "nvl::TextFile", "ファイル「%1」は大きすぎるため、住所録として読み込めません。")
            .arg(path);
    case TextFileRead::Status::NotRegular:
        return QCoreApplication::translate("nvl::TextFile",
                                           "「%1」は通常のファイルではないため読み込めません。")
            .arg(path);
    case TextFileRead::Status::NotText:
        return QCoreApplication::translate(
                   "nvl::TextFile", "ファイル「%1」は住所録のテキストファイルではありません。")
            .arg(path);
    }
    return {};
}

namespace {

// The reason in the user's words, for the errors a save meets in practice.
QString describeFailure(const os::WriteFailure &failure) {
    switch (failure.reason) {
    case os::WriteFailure::Reason::NoSpace:
        return QCoreApplication::translate("nvl::TextFile", "ディスクの空き容量が足りません。");
    case os::WriteFailure::Reason::NoPermission:
        return QCoreApplication::translate("nvl::TextFile", "書き込む権限がありません。");
    case os::WriteFailure::Reason::ReadOnlyDisk:
        return QCoreApplication::translate("nvl::TextFile", "読み取り専用のディスクです。");
    case os::WriteFailure::Reason::DiskError:
        return QCoreApplication::translate("nvl::TextFile", "ディスクへの書き込みに失敗しました。");
    case os::WriteFailure::Reason::ChangedMeanwhile:
        return QCoreApplication::translate(
            "nvl::TextFile",
            "保存している間に、ほかのプログラムが変更しました。上書きしていません。");
    case os::WriteFailure::Reason::Other:
        break;
    }
    return QCoreApplication::translate("nvl::TextFile", "書き込みに失敗しました（%1）。")
        .arg(failure.systemText);
}

} // namespace

WriteResult replaceFileContents(const QString &path, const QByteArray &bytes, Links links,
                                const std::function<bool()> &unchanged) {
    const auto failure = [&path](const QString &why) {
        return WriteResult{false, QCoreApplication::translate(
                                      "nvl::TextFile", "ファイル「%1」に書き込めません。\n%2")
                                      .arg(path, why)};
    };
    if (path.isEmpty())
        return failure(QCoreApplication::translate("nvl::TextFile", "ファイル名がありません。"));
    // A link is followed: the file it names is the one replaced.
    QFileInfo info(path);
    if (links == Links::Refuse && info.isSymLink())
        return failure(QCoreApplication::translate(
            "nvl::TextFile", "リンクになっている設定ファイルには書き込みません。"
                             "リンクを消すか、普通のファイルに置き換えてください。"));
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : path;
    info = QFileInfo(target);
    if (info.exists() && !info.isFile())
        return failure(
            QCoreApplication::translate("nvl::TextFile", "通常のファイルではありません。"));
    if (QStorageInfo(info.absolutePath()).isReadOnly())
        return failure(
            QCoreApplication::translate("nvl::TextFile", "読み取り専用のディスクです。"));
    // The rename would replace a write-protected file; respect the protection,
    // by its permission bits too, so it holds even for the superuser.
    if (info.exists() && (!info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)))
        return failure(
            QCoreApplication::translate("nvl::TextFile", "ファイルが書き込み禁止になっています。"));

    // Every step is checked: the old file is replaced only by a complete new
    // one that has reached the disk.
    if (const std::optional<os::WriteFailure> failed = os::replaceFile(target, bytes, unchanged))
        return failure(describeFailure(*failed));
    return {};
}

WriteResult writeTextFileAtomically(const QString &path, const QString &text, Links links) {
    // No reader takes a NUL back: such text is refused rather than lost on reading.
    if (text.contains(QChar(0)))
        return {false,
                QCoreApplication::translate(
                    "nvl::TextFile", "ファイル「%1」に書き込めません。\n保存できない文字（NUL）が"
                                     "含まれています。")
                    .arg(path)};
    return replaceFileContents(path, encodeText(text), links);
}

WriteResult writeQuotedFile(const QString &path, const QList<QStringList> &lines, Links links) {
    QString text;
    for (const QStringList &line : lines)
        text += formatQuotedLine(line);
    return writeTextFileAtomically(path, text, links);
}

} // namespace nvl
