#pragma once

#include <QString>

namespace nvl {

struct SplitLines {
    QString line1; // prefecture (when kept) and municipality
    QString line2; // the rest
};

// Cuts a one-line address at its prefecture (都道府県) and municipality
// (郡区市) markers. Purely textual: only the first marker of each kind
// counts, and a few municipality names that hold a marker inside them are
// recognised by name.
SplitLines splitAddressText(const QString &text, bool withPrefecture);

} // namespace nvl
