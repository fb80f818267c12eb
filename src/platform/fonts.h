#pragma once

#include <QString>

namespace nvl {

// The font names the program has always used, and the families that stand
// in for them here.
inline const QString MinchoFontName = QStringLiteral("ＭＳ 明朝");
inline const QString OcrFontName = QStringLiteral("OCR-B");

// Maps "ＭＳ 明朝" (also written "ＭＳ明朝") to IPA Mincho and "OCR-B" to
// OCR B, so neither silently falls back to a Latin font. Call once at start.
void installFontSubstitutions();

// True when text in `family` prints in that family (or in the stand-in of
// one of the names above), not in some fallback.
bool fontIsInstalled(const QString &family);

// The font to print a chosen font name in: itself when installed,
// otherwise the Mincho stand-in, never a silent Latin fallback.
QString printableFont(const QString &family);

// "フォント「…」がないため、明朝体で印刷します。"
QString missingFontMessage(const QString &family);

} // namespace nvl
