#include "journey.h"

#include <QToolButton>

#include <QTimer>

#include "bookfile.h"
#include "fakeplatform.h"
#include "formwindow.h"
#include "testmain.h"

#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace nvl::test {

namespace {

// Every journey program gets a settings folder of its own before main():
// Qt's file dialog would otherwise start in a folder an earlier journey
// remembered and deleted, and a typed name could land nowhere.
[[maybe_unused]] const bool SettingsIsolated = [] {
    isolateUserSettings();
    return true;
}();

} // namespace

Journey::Journey(const std::function<void(Journey &)> &prepare) {
    if (prepare)
        prepare(*this);
    program = std::make_unique<DesktopProgram>(folder.path());
    program->context.endProgram = [this] {
        ++endCalls;
    };
    program->start();
}

Journey::~Journey() {
    program.reset();
}

QString Journey::path(const QString &name) const {
    return folder.filePath(name);
}

QString Journey::writeBook(const QString &name, int count) {
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("\"宛名%1\",\"東京都千代田区%1\",\"一丁目%1\",\"100-000%2\",\"c%1\","
                               "\"0\",\"\"\r\n")
                    .arg(i)
                    .arg(i % 10);
    writeBytes(path(name), cp932(text));
    return path(name);
}

QStringList Journey::bookNames(const QString &file) const {
    QStringList names;
    const BookRead read = readBookFile(file);
    for (const AddressRecord &record : read.book.records)
        names.append(record.field(AddressRecord::Name));
    return names;
}

QWidget *Journey::window(WindowId id) const {
    QWidget *w = program->context.windows.existing(id);
    return w && w->isVisible() ? w : nullptr;
}

void Journey::openBook(const QString &file, ModalAnswers &answers) {
    answers.then(typeFileNameAndPress(file, QStringLiteral("開く")));
    press(mainWindow(), QStringLiteral("ファイルを開く"));
}

QListView *bookList(QWidget *mainWindow) {
    // The list a screen reader calls 宛名一覧.
    return qobject_cast<QListView *>(controlNamed(mainWindow, QStringLiteral("宛名一覧")));
}

void clickRows(QListView *list, const QList<int> &rows) {
    bool first = true;
    for (int row : rows) {
        const QRect rect = cellRect(list, row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton,
                          first ? Qt::NoModifier : Qt::ControlModifier, rect.center());
        first = false;
    }
}

// Opens a menu of the window's menu bar and clicks one of its items, as a
// user does with the mouse.
bool chooseFromMenu(QWidget *window, const QString &menuTitle, const QString &item) {
    auto *bar = window->findChild<QMenuBar *>();
    if (!bar)
        return false;
    for (QAction *top : bar->actions()) {
        if (!top->menu() || !QString(top->text()).remove(u'&').startsWith(menuTitle))
            continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QMenu *menu = top->menu();
        if (!QTest::qWaitForWindowExposed(menu))
            return false;
        for (QAction *action : menu->actions())
            if (QString(action->text()).remove(u'&').startsWith(item)) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return true;
            }
    }
    return false;
}

bool chooseFromButtonMenu(QWidget *window, const QString &button, const QString &item) {
    auto *tool = qobject_cast<QToolButton *>(controlNamed(window, button));
    if (!tool || !tool->menu())
        return false;
    QMenu *menu = tool->menu();
    bool chosen = false;
    // The button's menu runs a loop of its own: the item is clicked from inside it.
    QTimer::singleShot(0, menu, [menu, item, &chosen] {
        if (QTest::qWaitForWindowExposed(menu)) {
            for (QAction *action : menu->actions())
                if (action->text() == item && !action->isSeparator()) {
                    QTest::mouseClick(menu, Qt::LeftButton, {},
                                      menu->actionGeometry(action).center());
                    chosen = true;
                    return;
                }
        }
        menu->close();
    });
    QTest::mouseClick(tool, Qt::LeftButton);
    return chosen;
}

} // namespace nvl::test
