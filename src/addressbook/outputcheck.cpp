#include "outputcheck.h"

#include "osfiles.h"

#include <QCoreApplication>

namespace nvl {

QString refusedOutput(const QString &bookPath, const QString &outPath) {
    const os::FileKind kind = os::fileKind(outPath);
    if (kind == os::FileKind::Folder || kind == os::FileKind::Special)
        return QCoreApplication::translate("nvl::Outputs",
                                           "「%1」は通常のファイルではないため、書き出せません。")
            .arg(outPath);
    if (!bookPath.isEmpty() && os::sameFile(bookPath, outPath))
        return QCoreApplication::translate("nvl::Outputs", "書き出し先「%1」は住所録そのものです。")
            .arg(outPath);
    return {};
}

} // namespace nvl
