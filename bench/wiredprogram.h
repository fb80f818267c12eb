#pragma once

// The program wired as main() wires it, with a 300-record book in a folder
// of its own and the open dialog answered with that book, for benchmarks
// that drive the windows.
#include "application.h"
#include "desktopprogram.h"
#include "formwindow.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

class BookChooser : public nvl::FileDialogService {
public:
    explicit BookChooser(QString book) : m_book(std::move(book)) {}
    QString open(const nvl::FileDialogRequest &) override { return m_book; }
    QString save(const nvl::FileDialogRequest &) override { return {}; }

private:
    QString m_book;
};

class WiredProgram {
public:
    WiredProgram() : book(folder.filePath(QStringLiteral("book.dat"))), fileDialogs(book) {
        QFile file(book);
        if (file.open(QIODevice::WriteOnly)) {
            for (int i = 1; i <= 300; ++i)
                file.write(QStringLiteral("\"宛名%1\",\"東京都千代田区%1\",\"一丁目\",\"100-0001\","
                                          "\"\",\"0\",\"\"\r\n")
                               .arg(i)
                               .toUtf8());
        }
        context.endProgram = [] {
        };
        nvl::registerWindows(context);
    }
    nvl::FormWindow *window(nvl::WindowId id) { return context.windows.window(id); }
    void click(nvl::WindowId id, const char *name) {
        nvl::FormWindow *form = window(id);
        if (auto *button = form ? form->findChild<QAbstractButton *>(QLatin1String(name)) : nullptr)
            button->click();
    }

    QTemporaryDir folder;
    const QString book;
    nvl::QtMessageService messages;
    BookChooser fileDialogs;
    nvl::QtPrinterDialogService printerDialog;
    nvl::QtHelpService help;
    nvl::QtShellService shell;
    nvl::QtScreenService screen;
    nvl::PainterSurface printer;
    nvl::Platform platform{messages, fileDialogs, printerDialog, help, shell,
                           screen,   printer,     folder.path(), {}};
    nvl::AppContext context{platform};
};

// Prints the median and the slowest of a command's times.
inline void report(const char *what, QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-32s median %7.2f ms, slowest %7.2f ms (%lld times)\n", what,
                ms.at(ms.size() / 2), ms.last(), static_cast<long long>(ms.size()));
}
