#pragma once

namespace nvl {

// `nvl-hagaki list BOOK [--search TEXT] [--tag TAG]`: the records every
// given condition holds for, one per line as number<TAB>name<TAB>postal
// code<TAB>address 1 (the number counted from 1 in the book). Exit 0 also
// when none matches; no display needed.
int runListCommand(int argc, char *argv[]);

} // namespace nvl
