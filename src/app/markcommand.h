#pragma once

namespace nvl {

// `nvl-hagaki mark BOOK --records LIST (--sent YEAR | --received YEAR |
// --mourning YEAR)... [--clear]`: sets (or clears) the marks of those
// records for those card years, under the book's lock; only the book's
// companion is written. Exit 0, 1 on a failure, 2 on a usage error.
int runMarkCommand(int argc, char *argv[]);

} // namespace nvl
