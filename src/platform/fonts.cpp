#include "fonts.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace nvl {

void installFontSubstitutions() {
    const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                                QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(MinchoFontName, mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ明朝"), mincho);
    QFont::insertSubstitutions(OcrFontName, {QStringLiteral("OCR B")});
}

bool fontIsInstalled(const QString &family) {
    if (QFontDatabase::hasFamily(family))
        return true;
    const QStringList substitutes = QFont::substitutes(family);
    return std::any_of(substitutes.begin(), substitutes.end(),
                       [](const QString &name) { return QFontDatabase::hasFamily(name); });
}

QString printableFont(const QString &family) {
    return fontIsInstalled(family) ? family : MinchoFontName;
}

QString missingFontMessage(const QString &family) {
    return QCoreApplication::translate("nvl::Fonts",
                                       "フォント「%1」が見つからないため、明朝体で印刷します。")
        .arg(family);
}

} // namespace nvl
