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
#include "sourcetexttranslator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace nvl {

void registerWindows(AppContext &context) {
    // The windows know nothing of each other: what one asks of another is
    // wired here, as each is created.
    context.windows.setFactory(WindowId::Main, [](AppContext &ctx) {
        auto *main = new MainWindow(ctx);
        QObject::connect(main, &MainWindow::printListChosen, main,
                         [&ctx](const QList<AddressRecord> &records, const QList<int> &numbers) {
                             if (auto *print = ctx.windows.get<PrintWindow>(WindowId::Print))
                                 print->setPrintList(records, numbers);
                         });
        QObject::connect(
            main, &MainWindow::listSheetRequested, main, [&ctx](bool full, const QString &title) {
                if (auto *sheet = ctx.windows.get<ListSheet>(WindowId::ListSheet))
                    sheet->showBook(full ? ListSheet::Variant::Full : ListSheet::Variant::Short,
                                    title);
            });
        QObject::connect(main, &MainWindow::versionRequested, main, [&ctx] {
            if (auto *about = ctx.windows.get<AboutBox>(WindowId::About))
                about->showProgramVersion();
        });
        return main;
    });
    context.windows.setFactory(WindowId::CardEditor, [](AppContext &ctx) {
        auto *editor = new CardEditor(ctx);
        QObject::connect(editor, &CardEditor::bookListRequested, editor, [&ctx] {
            if (auto *main = ctx.windows.get<MainWindow>(WindowId::Main))
                main->showShortListSheet();
        });
        return editor;
    });
    context.windows.setFactory(WindowId::ListSheet, [](AppContext &ctx) {
        auto *sheet = new ListSheet(ctx);
        QObject::connect(sheet, &ListSheet::cardChosen, sheet, [&ctx](int number) {
            if (auto *editor = ctx.windows.get<CardEditor>(WindowId::CardEditor)) {
                editor->showCard(number);
                editor->showForm();
            }
        });
        return sheet;
    });
    context.windows.setFactory(WindowId::Print,
                               [](AppContext &ctx) { return new PrintWindow(ctx); });
    // The print window's own windows hand their results back to it.
    context.windows.setFactory(WindowId::PrintPosition, [](AppContext &ctx) {
        auto *window = new PrintPositionWindow(ctx);
        QObject::connect(window, &PrintPositionWindow::offsetsChosen, window,
                         [&ctx](const SheetOffsets &steps) {
                             if (auto *print = ctx.windows.get<PrintWindow>(WindowId::Print))
                                 print->setOffsets(steps);
                         });
        return window;
    });
    context.windows.setFactory(WindowId::Sender, [](AppContext &ctx) {
        auto *window = new SenderWindow(ctx);
        QObject::connect(window, &SenderWindow::sendersSaved, window, [&ctx] {
            if (auto *print = ctx.windows.get<PrintWindow>(WindowId::Print))
                print->reloadSenders();
        });
        return window;
    });
    context.windows.setFactory(WindowId::Font, [](AppContext &ctx) {
        auto *window = new FontWindow(ctx);
        QObject::connect(window, &FontWindow::fontChosen, window, [&ctx](const QString &family) {
            if (auto *print = ctx.windows.get<PrintWindow>(WindowId::Print))
                print->setAddressFont(family);
        });
        return window;
    });
    context.windows.setFactory(WindowId::Reorder,
                               [](AppContext &ctx) { return new ReorderWindow(ctx); });
    context.windows.setFactory(WindowId::About, [](AppContext &ctx) { return new AboutBox(ctx); });
}

void installJapaneseTranslations(QCoreApplication &app) {
    // Dates and sizes in Qt's dialogs read as Japanese ones.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Installed first, so Qt's own catalogue is asked before it.
    auto *extra = new SourceTextTranslator;
    extra->setParent(&app);
    if (extra->loadTs(QStringLiteral(":/i18n/qt_extra_ja.ts")))
        QCoreApplication::installTranslator(extra);
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace nvl
