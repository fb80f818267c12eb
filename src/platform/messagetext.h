#pragma once

#include <QString>
#include <functional>

namespace nvl {

// Breaks a message into lines no wider than `limit` (by `width`), so a
// message box can be as wide as its longest line instead of wrapping at
// random: after 。、」）, before 「, at a / or blank of a path; never a line
// that starts with closing punctuation, never a last line of a word or two
// when the paragraph can be split more evenly. Existing line breaks stay.
QString breakMessageLines(const QString &text, const std::function<int(const QString &)> &width,
                          int limit);

// A text as a message quotes it: its first 20 characters, then "…".
QString quotedStart(const QString &text);

} // namespace nvl
