#pragma once

#include "bookdocument.h"
#include "services.h"
#include "settingsfile.h"
#include "yearmarks.h"

#include <QDate>

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace nvl {

class AppContext;
class FormWindow;

enum class WindowId {
    Main,
    CardEditor,
    Print,
    ListSheet,
    Reorder,
    About,
    Font,
    PrintPosition,
    Sender,
};

// One instance of each window at most, created on first use and reached
// through this one reference each.
class WindowRegistry {
public:
    using Factory = std::function<FormWindow *(AppContext &)>;

    explicit WindowRegistry(AppContext &context) : m_context(context) {}
    ~WindowRegistry();

    void setFactory(WindowId id, Factory factory);
    bool canCreate(WindowId id) const;

    // The window, created now if it does not exist yet; null when this
    // build has no such window.
    FormWindow *window(WindowId id);
    template <typename T> T *get(WindowId id) { return qobject_cast<T *>(window(id)); }
    FormWindow *existing(WindowId id) const;

    // Releases the window object; its state is lost.
    void release(WindowId id);

    bool anyLoaded() const;

private:
    AppContext &m_context;
    std::map<WindowId, Factory> m_factories;
    std::map<WindowId, QPointer<FormWindow>> m_windows;
};

// State every window shares for the whole run.
struct SharedState {
    bool endOnMainUnload = false;
};

class AppContext {
public:
    explicit AppContext(Platform &platform);

    Platform &platform;
    SharedState state;
    // The open book, one for every window that edits it.
    BookDocument book;
    WindowRegistry windows;

    // What Nuvel.ini remembers, the last book and its mode: read once at
    // start-up, written whenever the book's file changes and at exit. No
    // window reads it to learn which book is open: the book says.
    const BookSettings &rememberedBook() const { return m_remembered; }
    // Reads Nuvel.ini; the problem to show when it could not be read whole.
    QString readRememberedBook();
    bool hasReadRememberedBook() const { return m_rememberedRead; }
    // Keeps `settings`; the file is written only when it holds other values.
    WriteResult rememberBook(const BookSettings &settings);
    // Writes the file whatever it holds.
    WriteResult writeRememberedBook();

    // Ends the program at once; the application sets the real exit.
    std::function<void()> endProgram;
    // Today, which gives the card year the windows mark and filter by.
    std::function<QDate()> today = [] {
        return QDate::currentDate();
    };
    int currentCardYear() const { return cardYear(today()); }

    // After a window unloads: the program ends once no window is loaded.
    // Checked after the current event, as a hand-over loads the next window
    // right after unloading the previous one.
    void scheduleEndCheck();

private:
    QString settingsPath() const;

    BookSettings m_remembered;
    bool m_rememberedRead = false;
    // The values the file held when last read or written; none before that.
    std::optional<BookSettings> m_onDisk;
    bool m_endCheckPending = false;
    // Owns the pending check, so it dies with the context.
    std::unique_ptr<QObject> m_timerContext;
};

} // namespace nvl
