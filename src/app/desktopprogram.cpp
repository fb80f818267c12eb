#include "desktopprogram.h"

#include "accessiblenames.h"
#include "application.h"
#include "fonts.h"
#include "formwindow.h"

#include <QApplication>

namespace nvl {

void preferJapaneseLocale() {
    // LC_ALL would override every category below: keep its character
    // handling, drop the rest.
    const QByteArray all = qgetenv("LC_ALL");
    if (!all.isEmpty()) {
        if (!qEnvironmentVariableIsSet("LC_CTYPE"))
            qputenv("LC_CTYPE", all);
        qunsetenv("LC_ALL");
    }
    for (const char *category : {"LC_TIME", "LC_MESSAGES", "LC_NUMERIC"})
        qputenv(category, "ja_JP.UTF-8");
}

void prepareApplication(QApplication &app) {
    QApplication::setApplicationName(QStringLiteral("nvl-hagaki"));
    // No display name: the desktop would add it to every window title.
    // Windows are unloaded, not closed; the registry decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    installJapaneseTranslations(app);
    installFontSubstitutions();
    installAccessibleNames();
}

DesktopProgram::DesktopProgram(const QString &programFolder)
    : platform{messages, fileDialogs, printerDialog, help,     shell,
               screen,   printer,     programFolder, QString()},
      context(platform) {
    platform.secrets = &secrets;
    if (QCoreApplication::applicationDirPath() != programFolder)
        platform.executableFolder = QCoreApplication::applicationDirPath();
    context.endProgram = [] {
        QCoreApplication::exit(0);
    };
    registerWindows(context);
}

void DesktopProgram::start() {
    context.windows.window(WindowId::Main)->showForm();
}

} // namespace nvl
