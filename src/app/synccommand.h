#pragma once

namespace nvl {

// `nvl-hagaki sync BOOK URL [--user NAME] [--password-file FILE]
// [--ca-file FILE] [--delete]`: two-way sync of the book with a CardDAV
// address book. Exit 0 when both agree afterwards, 3 when conflicts,
// deletions or contacts past the 300 records are left to the user (listed
// on standard error), 1 on an error (nothing written to the book's
// records), 2 on a usage error.
int runSyncCommand(int argc, char *argv[]);

} // namespace nvl
