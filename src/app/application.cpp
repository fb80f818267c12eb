#include "application.h"

#include "aboutbox.h"
#include "cardeditor.h"
#include "fontwindow.h"
#include "listsheet.h"
#include "mainwindow.h"
#include "printpositionwindow.h"
#include "printwindow.h"
#include "reorderwindow.h"
#include "senderwindow.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace nvl {

void registerWindows(AppContext &context) {
    context.windows.setFactory(WindowId::Main, [](AppContext &ctx) { return new MainWindow(ctx); });
    context.windows.setFactory(WindowId::CardEditor,
                               [](AppContext &ctx) { return new CardEditor(ctx); });
    context.windows.setFactory(WindowId::Print,
                               [](AppContext &ctx) { return new PrintWindow(ctx); });
    context.windows.setFactory(WindowId::PrintPosition,
                               [](AppContext &ctx) { return new PrintPositionWindow(ctx); });
    context.windows.setFactory(WindowId::Sender,
                               [](AppContext &ctx) { return new SenderWindow(ctx); });
    context.windows.setFactory(WindowId::Font, [](AppContext &ctx) { return new FontWindow(ctx); });
    context.windows.setFactory(WindowId::ListSheet,
                               [](AppContext &ctx) { return new ListSheet(ctx); });
    context.windows.setFactory(WindowId::Reorder,
                               [](AppContext &ctx) { return new ReorderWindow(ctx); });
    context.windows.setFactory(WindowId::About, [](AppContext &ctx) { return new AboutBox(ctx); });
}

void installJapaneseTranslations(QCoreApplication &app) {
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace nvl
