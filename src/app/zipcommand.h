#pragma once

namespace nvl {

// `nvl-hagaki zip CODE|ADDRESS`: the addresses of a postal code, or the
// codes of an address, one per line as code<TAB>prefecture<TAB>municipality
// <TAB>town. Exit 1 with a message when nothing matches; no display needed.
int runZipCommand(int argc, char *argv[]);

} // namespace nvl
