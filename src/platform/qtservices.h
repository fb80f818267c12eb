#pragma once

#include "services.h"

#include <QPointer>

class QTextBrowser;

namespace nvl {

class QtMessageService : public MessageService {
public:
    MessageAnswer show(const QString &text, MessageButtons buttons, const QString &title) override;
    MessageAnswer showWithDetail(const QString &text, const QString &detail, MessageButtons buttons,
                                 const QString &title) override;
    int choose(const QString &text, const QStringList &items, const QString &title) override;
};

class QtFileDialogService : public FileDialogService {
public:
    QString open(const FileDialogRequest &request) override;
    QString save(const FileDialogRequest &request) override;
};

class QtPrinterDialogService : public PrinterDialogService {
public:
    bool choose(QPrinter &printer) override;
    void preview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) override;
    std::optional<int> askSentYear(int cards, int cardYear) override;
};

// Shows the program's own help pages, carried in its resources, in one
// reusable window.
class QtHelpService : public HelpService {
public:
    ~QtHelpService() override;
    void show(const QString &helpFile, HelpCommand command, int context) override;

private:
    QPointer<QTextBrowser> m_window;
};

class QtShellService : public ShellService {
public:
    bool openUrl(const QString &address) override;
};

class QtScreenService : public ScreenService {
public:
    QSize screenSize() const override;
};

// The executable's folder when it can be written to (a portable copy, as the
// program has always been used), otherwise the per-user data folder.
QString resolveProgramFolder();

// True for folders a package installs into (/usr, /opt).
bool isInstalledLocation(const QString &executableFolder);

// The resource page that answers a help call.
QString helpPageFor(HelpCommand command, int context);

} // namespace nvl
