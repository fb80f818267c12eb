#pragma once

namespace nvl {

// On Linux Qt names a combo box by its current text, so a screen reader
// announces "（読まない）" instead of the field the box chooses for. Boxes
// given an accessible name keep it as their name; the text stays their value,
// and is still the name of a box without one.
void installAccessibleNames();

} // namespace nvl
