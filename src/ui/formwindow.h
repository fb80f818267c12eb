#pragma once

#include "appcontext.h"

#include <QWidget>
#include <functional>

class QPushButton;
class QToolButton;

namespace nvl {

// A window that is loaded and unloaded as a whole. Its controls are made
// once, on the first load; every load puts the window's starting state
// into them, and unloading hides it. The object lives on until released.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    FormWindow(AppContext &context, WindowId id);

    bool isFormLoaded() const { return m_loaded; }
    void loadForm();
    // Loads when needed, then shows the window modeless.
    void showForm();
    // Hides the window but keeps it loaded (loading it if needed).
    void hideForm();
    // False when the window refused to unload and stays open.
    bool unloadForm();

    WindowId windowId() const { return m_id; }

protected:
    // Creates the controls inside `content`, once per window object.
    virtual void buildControls(QWidget *content) = 0;
    // Each load: put the window's starting state into the controls, also
    // what a user changed while it was shown before.
    virtual void afterLoad() {}
    // Asked before unloading; false keeps the window open.
    virtual bool canUnload() { return true; }
    // The window is about to unload: save what it keeps, hand back.
    virtual void beforeUnload() {}

    // Connects one of the window's commands. While a command runs (and
    // waits in a question), the window's commands do nothing: a screen
    // reader can still press a button behind a modal question.
    template <typename Sender, typename Signal, typename Command>
    void onCommand(Sender *sender, Signal signal, Command command) {
        connect(sender, signal, this, [this, command] { runCommand(command); });
    }
    void runCommand(const std::function<void()> &command);

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    // Measures every row of the window again, after a control changed its
    // fixed size: nested rows keep their old heights until then.
    void relayout();

    // Centres the window on the screen, computed in twips as the windows
    // always have been.
    void centreOnScreen();

    AppContext &m_ctx;

private:
    WindowId m_id;
    QWidget *m_content = nullptr;
    bool m_loaded = false;
    bool m_centreWhenShown = false;
    bool m_commandRunning = false;
};

// A picture button of a window's toolbar: a theme icon with a built-in
// fallback, and its tip as accessible name for screen readers.
QToolButton *addPictureButton(QWidget *parent, const char *name, const QString &tip,
                              const char *themeIcon, int fallbackStandardPixmap);

// A command button of a window: its caption is what screen readers read,
// its tip (if any) their description; Return never presses it by default.
QPushButton *addCommandButton(QWidget *parent, const char *name, const QString &text,
                              const QString &tip = {});

// Twips per pixel at the usual 96 dpi.
constexpr int TwipsPerPixel = 15;

// Top-left corner that centres a window: the difference in twips, halved
// with the remainder dropped.
QPoint centredPosition(QSize screen, QSize window);

} // namespace nvl
