#include "fonts.h"

#include <QFont>
#include <QStringList>

namespace nvl {

void installFontSubstitutions() {
    const QStringList mincho = {QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                                QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(MinchoFontName, mincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ明朝"), mincho);
    QFont::insertSubstitutions(OcrFontName, {QStringLiteral("OCR B")});
}

} // namespace nvl
