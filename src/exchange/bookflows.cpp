#include "bookflows.h"

#include "foreigncsv.h"
#include "osfiles.h"
#include "outputcheck.h"
#include "textfile.h"
#include "vcard.h"

#include <QCoreApplication>

namespace nvl {

bool isForeignCsvFile(const QString &path) {
    TextFileRead::Status status = TextFileRead::Status::Ok;
    const QByteArray bytes = readFileBytes(path, &status);
    return status == TextFileRead::Status::Ok && isForeignCsv(bytes);
}

BookDocument::Loaded loadBook(BookDocument &document, const QString &path) {
    if (isForeignCsvFile(path))
        return {BookRead::Status::NotABook, TextFileRead::Status::Ok, notABookMessage(path)};
    return document.load(path);
}

QString companionNotRead(const BookDocument &document) {
    return document.companionProblem();
}

QString companionRefusal(const BookDocument &document) {
    if (document.companionProblem().isEmpty())
        return {};
    return document.companionProblem() + u'\n' +
           QCoreApplication::translate("nvl::BookFlows",
                                       "付属ファイル「%1」を読めないため記録できません。")
               .arg(document.companionPath());
}

QString companionSelectionRefusal(const BookDocument &document) {
    if (document.companionProblem().isEmpty())
        return {};
    return document.companionProblem() + u'\n' +
           QCoreApplication::translate(
               "nvl::BookFlows", "付属ファイル「%1」を読めないため、印やタグで宛名を選べません。")
               .arg(document.companionPath());
}

QString refusedImportTarget(const QString &inPath, const QString &bookPath) {
    if (os::sameFile(inPath, bookPath))
        return QCoreApplication::translate("nvl::ExchangeCommand",
                                           "取り込むファイルと住所録「%1」が同じファイルです。")
            .arg(bookPath);
    const os::FileKind kind = os::fileKind(bookPath);
    if (kind == os::FileKind::Folder || kind == os::FileKind::Special)
        return QCoreApplication::translate(
                   "nvl::ExchangeCommand",
                   "「%1」は通常のファイルではないため、住所録を書き込めません。")
            .arg(bookPath);
    return {};
}

std::optional<bool> exportsVCard(const QString &outPath) {
    const QString lower = outPath.toLower();
    if (lower.endsWith(QLatin1String(".csv")))
        return false;
    if (lower.endsWith(QLatin1String(".vcf")) || lower.endsWith(QLatin1String(".vcard")))
        return true;
    return std::nullopt;
}

QString exportBook(const BookDocument &document, const QString &outPath) {
    if (const QString refused = refusedOutput(document.filePath(), outPath); !refused.isEmpty())
        return refused;
    const QList<AddressRecord> &records = document.book().records;
    const QByteArray bytes = exportsVCard(outPath).value_or(false)
                                 ? writeVCards(records, document.recordDataList())
                                 : writeExportCsv(records, document.recordDataList());
    const WriteResult written = replaceFileContents(outPath, bytes);
    return written ? QString() : written.error;
}

} // namespace nvl
