#pragma once

// A journey starts the program exactly as main() wires it, with the real
// dialogs, in a program folder of its own, and drives it as a user does.

#include "desktopprogram.h"
#include "userdriver.h"
#include "widgetlookup.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

class QListView;

namespace nvl::test {

class Journey {
public:
    // `prepare` runs before the program starts, e.g. to leave files from an
    // earlier run in its folder.
    explicit Journey(const std::function<void(Journey &)> &prepare = nullptr);
    ~Journey();

    QString path(const QString &name) const;
    // A book of `count` cards named 宛名1…, written as the program writes books.
    QString writeBook(const QString &name, int count);
    QStringList bookNames(const QString &path) const;

    QWidget *window(WindowId id) const;
    QWidget *mainWindow() const { return window(WindowId::Main); }
    // Opens a book through the main window's real file dialog.
    void openBook(const QString &path, ModalAnswers &answers);

    QTemporaryDir folder;
    std::unique_ptr<DesktopProgram> program;
    int endCalls = 0;
};

// Clicks a list's rows as a user does: the first plainly, the rest with Ctrl.
void clickRows(QListView *list, const QList<int> &rows);
QListView *bookList(QWidget *mainWindow);
// Opens a menu of the window's menu bar and clicks one of its items, as a
// user does with the mouse.
bool chooseFromMenu(QWidget *window, const QString &menuTitle, const QString &item);
// Clicks a tool button that pops up a menu (named as a screen reader names
// it), then the menu's item.
bool chooseFromButtonMenu(QWidget *window, const QString &button, const QString &item);

} // namespace nvl::test
