#pragma once

namespace nvl {

// `nvl-hagaki print-pdf BOOK OUT [options]`: prints a book to a PDF file
// without any window. Returns the process exit code.
int runPrintPdf(int argc, char *argv[]);

} // namespace nvl
