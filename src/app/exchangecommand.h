#pragma once

namespace nvl {

// nvl-hagaki import IN.vcf|IN.csv OUT.dat [--append]: contacts into a book
// (a new one, or appended within the book's 300 records).
int runImportCommand(int argc, char *argv[]);

// nvl-hagaki export BOOK.dat OUT.csv|OUT.vcf: a book for other programs.
int runExportCommand(int argc, char *argv[]);

} // namespace nvl
