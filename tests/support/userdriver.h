#pragma once

// Drives real windows and real modal dialogs the way a user does: by the
// visible text of buttons, by typing, by Escape and the close box.

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>

#include <QAbstractButton>

namespace nvl::test {

// A button's text as the user reads it: "はい(&Y)" → "はい", "&Open" → "Open".
QString visibleText(const QString &text);

// The visible button of `window` whose caption (or, for a picture button,
// accessible name) reads `text`; fails the test when there is none.
QAbstractButton *buttonNamed(QWidget *window, const QString &text);
// Clicks it; false (with a test failure) when it is missing or disabled.
bool press(QWidget *window, const QString &text);
// The visible control of `window` a screen reader calls `name`, or null.
QWidget *controlNamed(QWidget *window, const QString &name);
// Every text the dialog shows that holds a Latin word (two letters or
// more): labels, buttons, group and tab titles, list entries, column
// headers and the first rows of its lists.
QStringList latinTexts(QWidget *dialog);
// Types into a widget one key event per character, as an input method delivers them.
void typeText(QWidget *widget, const QString &text);
// The visible top-level window with that title, or null.
QWidget *windowTitled(const QString &title);

struct SeenDialog {
    QString className;
    QString title;
    QString text; // a message box's text
};

// "QMessageBox 題: text; …", for failure messages.
QString describe(const QList<SeenDialog> &dialogs);

// Answers the modal dialogs that open, one scripted action each, in order;
// a dialog that comes back on top after a question closed is answered again.
// A dialog nobody scripted is recorded and dismissed with Escape, so a test
// fails instead of hanging.
class ModalAnswers : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void(QWidget *dialog)>;

    ModalAnswers();
    ~ModalAnswers() override;

    ModalAnswers &then(Action action);
    bool allAnswered() const { return m_actions.isEmpty(); }

    // Titles of dialogs that close by themselves (a progress), left alone.
    QStringList leftAlone;
    QList<SeenDialog> seen;
    QList<SeenDialog> unexpected;
    QStringList messageTexts() const;

private:
    void poll();

    QTimer m_timer;
    QList<Action> m_actions;
    QPointer<QWidget> m_top;
    QPointer<QWidget> m_candidate;
    QElapsedTimer m_candidateSince;
    QList<QPointer<QWidget>> m_answered;
};

// The desktop's browser launcher is the boundary of "open the home page": a
// stand-in xdg-open first on PATH records what it was asked to open, for as
// long as this object lives.
class BrowserLauncherStandIn {
public:
    BrowserLauncherStandIn();
    ~BrowserLauncherStandIn();
    QByteArray opened() const;

private:
    QTemporaryDir m_bin;
    QByteArray m_path;
};

// Actions for ModalAnswers.
ModalAnswers::Action pressButton(const QString &text);
ModalAnswers::Action pressEscape();
ModalAnswers::Action closeWindow();
// In a file dialog: types the path into the file name box, then presses `button`.
ModalAnswers::Action typeFileNameAndPress(const QString &path, const QString &button);
// In the printer dialog: picks the printer by name, then presses `button`.
ModalAnswers::Action choosePrinterAndPress(const QString &printer, const QString &button);
// Runs `inspect` on the dialog, then `next`.
ModalAnswers::Action inspectThen(std::function<void(QWidget *)> inspect, ModalAnswers::Action next);

} // namespace nvl::test
