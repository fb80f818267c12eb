#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QPrinter;

namespace nvl {

// The title the program's own message boxes carry unless a window sets one.
inline const QString ProgramTitle = QStringLiteral("Nuvelk");

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows a modal message and returns the button the user chose.
    virtual MessageAnswer show(const QString &text, MessageButtons buttons = MessageButtons::Ok,
                               const QString &title = ProgramTitle) = 0;
    // The same with technical detail (a system's or a server's own words)
    // kept behind the box's 詳細 button, out of the message itself.
    virtual MessageAnswer showWithDetail(const QString &text, const QString &detail,
                                         MessageButtons buttons = MessageButtons::Ok,
                                         const QString &title = ProgramTitle) {
        Q_UNUSED(detail)
        return show(text, buttons, title);
    }
    // Asks the user to pick one of `items`; the index, or -1 when cancelled.
    virtual int choose(const QString &text, const QStringList &items,
                       const QString &title = ProgramTitle) = 0;
};

inline const QString OpenDialogTitle = QStringLiteral("ファイルを開く");
inline const QString SaveDialogTitle = QStringLiteral("名前をつけて保存");

struct FileDialogRequest {
    QString initialFolder;
    // "description|pattern|description|pattern…"
    QString filter;
    QString fileName;
    bool confirmOverwrite = false;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen path, or an empty text when the user cancels.
    virtual QString open(const FileDialogRequest &request) = 0;
    virtual QString save(const FileDialogRequest &request) = 0;
};

class PrinterDialogService {
public:
    virtual ~PrinterDialogService() = default;
    // Lets the user choose the printer; false when the user cancels.
    virtual bool choose(QPrinter &printer) = 0;
    // Shows the sheets `paint` draws onto the printer, before anything is printed.
    virtual void preview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) = 0;
    // After `cards` were printed: the card year to mark them as sent for,
    // `cardYear` offered; nothing when they are not to be marked.
    virtual std::optional<int> askSentYear(int cards, int cardYear) = 0;
};

enum class HelpCommand { Topic = 1, Contents = 3 };

class HelpService {
public:
    virtual ~HelpService() = default;
    virtual void show(const QString &helpFile, HelpCommand command, int context) = 0;
};

class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens an address in the user's default browser; false when it could not.
    virtual bool openUrl(const QString &address) = 0;
};

class ScreenService {
public:
    virtual ~ScreenService() = default;
    // The size of the screen the windows are centred on, in pixels.
    virtual QSize screenSize() const = 0;
};

// Passwords kept in the desktop's keyring, never in a file: without a
// keyring nothing is stored, and the caller asks each time.
class SecretStore {
public:
    enum class Outcome { Ok, NotFound, NoKeyring, Failed };
    struct Result {
        Outcome outcome = Outcome::Ok;
        QString secret;
        QString error; // what the keyring said, for the message
    };
    virtual ~SecretStore() = default;
    virtual Result read(const QString &key) = 0;
    virtual Result write(const QString &key, const QString &secret) = 0;
    virtual Result remove(const QString &key) = 0;
};

class PrinterSurface;

// Everything the windows need from the desktop, passed in so tests can
// answer with scripted fakes.
struct Platform {
    MessageService &messages;
    FileDialogService &fileDialogs;
    PrinterDialogService &printerDialog;
    HelpService &help;
    ShellService &shell;
    ScreenService &screen;
    // The current printer, as far as the windows ask it things (its fonts).
    PrinterSurface &printer;
    // Where Nuvel.ini and the other working files live.
    QString programFolder;
    // The executable's own folder, when the working files live elsewhere
    // (an installed copy): files shipped there are still read.
    QString executableFolder;
    // The desktop's keyring; none where the program has no way to one.
    SecretStore *secrets = nullptr;

    QString programFile(const QString &name) const;
    // The file to read a setting from: the working folder's copy, else the
    // executable folder's; saving always goes to programFile().
    QString settingsFileToRead(const QString &name) const;
};

} // namespace nvl
