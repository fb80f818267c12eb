#include "textfile.h"

#include "quotedfields.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace nvl {

TextFileRead readTextFile(const QString &path) {
    TextFileRead result;
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        result.status = TextFileRead::Status::Missing;
        return result;
    }
    if (info.isDir()) {
        result.status = TextFileRead::Status::Unreadable;
        return result;
    }
    if (info.size() > MaxTextFileBytes) {
        result.status = TextFileRead::Status::TooLarge;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = TextFileRead::Status::Unreadable;
        return result;
    }
    // Read one byte past the limit: the file may have grown since the check.
    const QByteArray bytes = file.read(MaxTextFileBytes + 1);
    if (bytes.size() > MaxTextFileBytes) {
        result.status = TextFileRead::Status::TooLarge;
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.status = TextFileRead::Status::Unreadable;
        return result;
    }
    auto decoded = decodeText(bytes);
    if (!decoded) {
        result.status = TextFileRead::Status::NotText;
        return result;
    }
    result.status = TextFileRead::Status::Ok;
    result.content = std::move(*decoded);
    return result;
}

QString describeReadFailure(const QString &path, TextFileRead::Status status) {
    switch (status) {
    case TextFileRead::Status::Ok:
        return {};
    case TextFileRead::Status::Missing:
        return QStringLiteral("ファイル「%1」が見つかりません。").arg(path);
    case TextFileRead::Status::Unreadable:
        return QStringLiteral("ファイル「%1」を読み込めません。").arg(path);
    case TextFileRead::Status::TooLarge:
        return QStringLiteral("ファイル「%1」は大きすぎるため、住所録として読み込めません。")
            .arg(path);
    case TextFileRead::Status::NotText:
        return QStringLiteral("ファイル「%1」は住所録のテキストファイルではありません。").arg(path);
    }
    return {};
}

WriteResult writeTextFileAtomically(const QString &path, const QString &text) {
    const auto failure = [&path](const QString &why) {
        return WriteResult{false,
                           QStringLiteral("ファイル「%1」に書き込めません。\n%2").arg(path, why)};
    };
    if (path.isEmpty())
        return failure(QStringLiteral("ファイル名がありません。"));
    QFileInfo info(path);
    // The rename would replace a write-protected file; respect the protection,
    // by its permission bits too, so it holds even for the superuser.
    if (info.exists() &&
        (!info.isFile() || !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner)))
        return failure(QStringLiteral("ファイルが書き込み禁止になっています。"));

    const QByteArray bytes = encodeText(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failure(why);
    }
    if (!file.commit())
        return failure(file.errorString());
    return {};
}

WriteResult writeQuotedFile(const QString &path, const QList<QStringList> &lines) {
    QString text;
    for (const QStringList &line : lines)
        text += formatQuotedLine(line);
    return writeTextFileAtomically(path, text);
}

} // namespace nvl
