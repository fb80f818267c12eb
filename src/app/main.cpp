#include "application.h"
#include "batchpdf.h"
#include "fonts.h"
#include "formwindow.h"
#include "paintersurface.h"
#include "qtservices.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // With no arguments the program is the desktop application.
    if (argc > 1 && qstrcmp(argv[1], "print-pdf") == 0)
        return nvl::runPrintPdf(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nvl-hagaki"));
    QApplication::setApplicationDisplayName(QStringLiteral("ＮＶＬはがき宛名プリント"));
    // Windows are unloaded, not closed; the registry decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    nvl::installJapaneseTranslations(app);
    nvl::installFontSubstitutions();

    nvl::QtMessageService messages;
    nvl::QtFileDialogService fileDialogs;
    nvl::QtPrinterDialogService printerDialog;
    nvl::QtHelpService help;
    nvl::QtShellService shell;
    nvl::QtScreenService screen;
    nvl::PainterSurface printer; // asked only for its fonts
    nvl::Platform platform{messages, fileDialogs, printerDialog, help,
                           shell,    screen,      printer,       nvl::resolveProgramFolder()};

    nvl::AppContext context(platform);
    context.endProgram = [] {
        QCoreApplication::exit(0);
    };
    nvl::registerWindows(context);
    context.windows.window(nvl::WindowId::Main)->showForm();
    return QApplication::exec();
}
