#pragma once

#include "appcontext.h"
#include "printersurface.h"
#include "services.h"
#include "widgetlookup.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>

namespace nvl::test {

struct ShownMessage {
    QString text;
    MessageButtons buttons;
    QString title;
    QString detail;
};

// Answers message boxes from a script and remembers what was shown. With no
// scripted answer left, a box is answered with its first button (OK, Yes).
class FakeMessages : public MessageService {
public:
    MessageAnswer show(const QString &text, MessageButtons buttons, const QString &title) override;
    MessageAnswer showWithDetail(const QString &text, const QString &detail, MessageButtons buttons,
                                 const QString &title) override;
    // Scripted picks (-1 = cancel); with none left, the first item.
    int choose(const QString &text, const QStringList &items, const QString &title) override;

    std::deque<int> choices;
    QList<QStringList> offered;
    std::deque<MessageAnswer> answers;
    QList<ShownMessage> shown;
    QStringList texts() const;
};

// Answers file dialogs from scripted paths ("" = cancel) and records requests.
class FakeFileDialogs : public FileDialogService {
public:
    QString open(const FileDialogRequest &request) override;
    QString save(const FileDialogRequest &request) override;

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
};

class FakePrinterDialog : public PrinterDialogService {
public:
    bool choose(QPrinter &printer) override;
    void preview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) override;
    std::optional<int> askSentYear(int cards, int cardYear) override;
    std::deque<bool> answers;
    int calls = 0;
    int previews = 0;
    // Scripted years to mark printed cards for; with none left, not marked.
    std::deque<std::optional<int>> sentYears;
    QList<std::pair<int, int>> sentAsked; // cards, card year offered
    // Where a chosen printer prints to: a PDF file, as a user may choose,
    // or else the named printer queue.
    QString outputFile;
    QString printerName;
};

struct HelpCall {
    QString file;
    HelpCommand command;
    int context;
};

class FakeHelp : public HelpService {
public:
    void show(const QString &helpFile, HelpCommand command, int context) override;
    QList<HelpCall> calls;
};

class FakeShell : public ShellService {
public:
    bool openUrl(const QString &address) override;
    QStringList opened;
};

class FakeScreen : public ScreenService {
public:
    QSize screenSize() const override { return size; }
    QSize size{1280, 1024};
};

// A keyring in memory; `keyring` false stands for a desktop without one.
class FakeSecrets : public SecretStore {
public:
    Result read(const QString &key) override;
    Result write(const QString &key, const QString &secret) override;
    Result remove(const QString &key) override;
    bool keyring = true;
    QMap<QString, QString> stored;
};

// A whole fake desktop with its own program folder, and a context on it
// whose program end is recorded instead of carried out.
class FakeDesktop {
public:
    FakeDesktop();

    QString folder() const { return m_folder.path(); }
    QString file(const QString &name) const;

    FakeMessages messages;
    FakeFileDialogs fileDialogs;
    FakePrinterDialog printerDialog;
    FakeHelp help;
    FakeShell shell;
    FakeScreen screen;
    RecordingSurface printer;
    FakeSecrets secrets;
    Platform platform;
    AppContext context;
    int endCalls = 0;

private:
    QTemporaryDir m_folder;
};

// A tmpfs of `size` (e.g. "24k") mounted on a temporary folder for the
// test's lifetime: a disk that really fills up. Needs root.
class SmallDisk {
public:
    explicit SmallDisk(const char *size);
    ~SmallDisk();
    bool mounted() const { return m_mounted; }
    // Mounts it again read-only, as a write-protected card or a share is.
    bool makeReadOnly();
    QString filePath(const QString &name) const { return m_folder.filePath(name); }
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
};

// Helpers for files in tests.
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// CP932 bytes of a text.
QByteArray cp932(const QString &text);

} // namespace nvl::test
