#pragma once

#include <QByteArray>
#include <QStringList>

namespace nvl {

// Qt embeds only the glyphs it uses but names the subset font without the
// six-letter tag in /BaseFont (it puts the tag in /FontName only), so
// readers take it for a whole font. Gives each such /BaseFont the tag of
// its /FontName and moves the cross-reference offsets to match. A file of
// any other shape is returned unchanged.
QByteArray tagSubsetFontNames(const QByteArray &pdf);

// Qt writes page sizes in whole points (100 × 148 mm becomes 284 × 419):
// sets every page's box to the exact size, its top edge kept where the
// content was laid out from, cross-references moved to match.
QByteArray exactPageBoxes(const QByteArray &pdf, double widthPoints, double heightPoints);

// Gives each vertical column marked by PainterSurface its text as one
// /ActualText span, so that a reader's search finds words down a column
// (each glyph stands on its own line otherwise); the marks are removed.
// `columns` are the columns' texts in drawing order.
QByteArray columnsAsText(const QByteArray &pdf, const QStringList &columns);

} // namespace nvl
