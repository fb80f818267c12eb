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

} // namespace nvl
