#include "batchpdf.h"
#include "desktopprogram.h"
#include "exchangecommand.h"
#include "zipcommand.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // With no arguments the program is the desktop application.
    if (argc > 1 && qstrcmp(argv[1], "print-pdf") == 0)
        return nvl::runPrintPdf(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "zip") == 0)
        return nvl::runZipCommand(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "import") == 0)
        return nvl::runImportCommand(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "export") == 0)
        return nvl::runExportCommand(argc, argv);

    nvl::preferJapaneseLocale();
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    nvl::DesktopProgram program(nvl::resolveProgramFolder());
    program.start();
    return QApplication::exec();
}
