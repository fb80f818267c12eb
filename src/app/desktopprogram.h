#pragma once

#include "appcontext.h"
#include "keyringstore.h"
#include "paintersurface.h"
#include "qtservices.h"

class QApplication;

namespace nvl {

// Names, Qt's Japanese dialog texts and the font substitutes, set once per
// process before the first window.
// Dates, sizes and the texts of Qt's own dialogs in Japanese, whatever the
// desktop's language; called before the application object exists.
void preferJapaneseLocale();

void prepareApplication(QApplication &app);

// The program as the desktop runs it: the real dialogs, help and shell
// behind every window. main() and the journey tests build it the same way.
class DesktopProgram {
public:
    explicit DesktopProgram(const QString &programFolder);

    // Shows the main window; the program ends through context.endProgram.
    void start();

    QtMessageService messages;
    QtFileDialogService fileDialogs;
    QtPrinterDialogService printerDialog;
    QtHelpService help;
    QtShellService shell;
    QtScreenService screen;
    PainterSurface printer; // asked only for its fonts
    KeyringStore secrets;
    Platform platform;
    AppContext context;
};

} // namespace nvl
