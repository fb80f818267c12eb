#include "qtservices.h"
#include "screenfit.h"

#include "marksentdialog.h"

#include "commondialog.h"
#include "messagetext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace nvl {

namespace {

// Below the width at which QMessageBox starts wrapping (half the screen, at
// most 500 pixels, less its icon and margins).
constexpr int MessageLineWidth = 380;
// A message longer than this shows its middle in a scrolling list.
constexpr int LongMessageLines = 20;

MessageAnswer closedAnswer(MessageButtons buttons) {
    // Closed without any button: the answer that changes nothing.
    return buttons == MessageButtons::YesNo ? MessageAnswer::No
           : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                            : MessageAnswer::Cancel;
}

// A message of many lines (300 cards to check): its first line, the lines
// after it in a scrolling list, its last paragraph (the question), and the
// buttons, in a window that fits the screen.
MessageAnswer showLongMessage(const QString &text, MessageButtons buttons, const QString &title) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("longMessage"));
    dialog.setWindowTitle(title);
    QStringList lines = text.split(u'\n');
    QString question;
    const qsizetype blank = lines.lastIndexOf(QString());
    if (blank > 0 && lines.size() - blank <= 3) {
        question = lines.mid(blank + 1).join(u'\n');
        lines = lines.mid(0, blank);
    }
    auto *layout = new QVBoxLayout(&dialog);
    auto *first = new QLabel(lines.takeFirst(), &dialog);
    first->setWordWrap(true);
    layout->addWidget(first);
    auto *list = new QPlainTextEdit(lines.join(u'\n'), &dialog);
    list->setObjectName(QStringLiteral("messageList"));
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setAccessibleName(first->text());
    layout->addWidget(list, 1);
    if (!question.isEmpty())
        layout->addWidget(new QLabel(question, &dialog));
    QDialogButtonBox::StandardButtons standard;
    switch (buttons) {
    case MessageButtons::Ok:
        standard = QDialogButtonBox::Ok;
        break;
    case MessageButtons::OkCancel:
        standard = QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
        break;
    case MessageButtons::YesNo:
        standard = QDialogButtonBox::Yes | QDialogButtonBox::No;
        break;
    case MessageButtons::YesNoCancel:
        standard = QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel;
        break;
    }
    auto *box = new QDialogButtonBox(standard, &dialog);
    layout->addWidget(box);
    QDialogButtonBox::StandardButton pressed = QDialogButtonBox::NoButton;
    QObject::connect(box, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton *button) {
        pressed = box->standardButton(button);
        dialog.accept();
    });
    const QRect screen =
        (dialog.screen() ? dialog.screen() : QApplication::primaryScreen())->availableGeometry();
    const QSize wanted = dialog.sizeHint().expandedTo(QSize(520, 0));
    dialog.resize(std::min(wanted.width(), screen.width() * 9 / 10),
                  std::min(std::max(wanted.height(), 480), screen.height() * 8 / 10));
    dialog.move(screen.center() - dialog.rect().center());
    dialog.exec();
    switch (pressed) {
    case QDialogButtonBox::Ok:
        return MessageAnswer::Ok;
    case QDialogButtonBox::Yes:
        return MessageAnswer::Yes;
    case QDialogButtonBox::No:
        return MessageAnswer::No;
    case QDialogButtonBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return closedAnswer(buttons);
    }
}

} // namespace

MessageAnswer QtMessageService::show(const QString &text, MessageButtons buttons,
                                     const QString &title) {
    return showWithDetail(text, {}, buttons, title);
}

MessageAnswer QtMessageService::showWithDetail(const QString &text, const QString &detail,
                                               MessageButtons buttons, const QString &title) {
    if (text.count(u'\n') >= LongMessageLines)
        return showLongMessage(detail.isEmpty() ? text : text + u'\n' + detail, buttons, title);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    // Lines broken where Japanese breaks them, short enough that the box
    // does not wrap them again: the box is as wide as its longest line.
    const QFontMetrics metrics(box.font());
    box.setText(breakMessageLines(
        text, [&metrics](const QString &line) { return metrics.horizontalAdvance(line); },
        MessageLineWidth));
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    }
    box.exec();
    // The button pressed decides; Escape and the close box press the box's
    // escape button (Cancel, No, or the lone OK).
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return closedAnswer(buttons);
    }
}

namespace {

// Qt's own dialog, the same on every desktop, so what the user sees is what
// the tests press.
QString runFileDialog(const FileDialogRequest &request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setWindowTitle(mode == QFileDialog::AcceptOpen ? OpenDialogTitle : SaveDialogTitle);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(
        toQtFilter(request.filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
    if (!request.initialFolder.isEmpty() && QFileInfo(request.initialFolder).isDir())
        dialog.setDirectory(request.initialFolder);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // Name, size, type and date all readable without widening the window.
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(880, 540);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString QtFileDialogService::open(const FileDialogRequest &request) {
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

QString QtFileDialogService::save(const FileDialogRequest &request) {
    return runFileDialog(request, QFileDialog::AcceptSave);
}

bool QtPrinterDialogService::choose(QPrinter &printer) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    // The whole job always prints, and only to a printer.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    // Qt 6.4 shows its page-range group whatever the options say, and shows
    // it again as the dialog appears: hide it once the dialog is up.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (auto *range = dialog.findChild<QWidget *>(QStringLiteral("gbPrintRange")))
            range->hide();
    });
    return dialog.exec() == QDialog::Accepted;
}

void QtPrinterDialogService::preview(QPrinter &printer,
                                     const std::function<void(QPrinter *)> &paint) {
    QPrintPreviewDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    fitToScreen(dialog, QSize(900, 1000));
    dialog.exec();
}

std::optional<int> QtPrinterDialogService::askSentYear(int cards, int cardYear) {
    MarkSentDialog dialog(cards, cardYear, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.year();
}

int QtMessageService::choose(const QString &text, const QStringList &items, const QString &title) {
    bool ok = false;
    const QString chosen =
        QInputDialog::getItem(QApplication::activeWindow(), title, text, items, 0, false, &ok);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

QtHelpService::~QtHelpService() {
    delete m_window;
}

QString helpPageFor(HelpCommand command, int context) {
    if (command == HelpCommand::Topic) {
        const QString page = QStringLiteral(":/help/context-%1.html").arg(context);
        if (QFile::exists(page))
            return page;
    }
    return QStringLiteral(":/help/contents.html");
}

void QtHelpService::show(const QString &helpFile, HelpCommand command, int context) {
    Q_UNUSED(helpFile) // the pages are built into the program
    if (!m_window) {
        m_window = new QTextBrowser;
        m_window->setObjectName(QStringLiteral("helpWindow"));
        m_window->setWindowTitle(QStringLiteral("ヘルプ"));
        m_window->setOpenExternalLinks(true);
        m_window->resize(560, 480);
        // Centred like the program's own windows, not over the main window's menu.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            m_window->move(area.center() - QPoint(m_window->width() / 2, m_window->height() / 2));
        }
    }
    m_window->setSource(QUrl(QStringLiteral("qrc") + helpPageFor(command, context)));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool QtShellService::openUrl(const QString &address) {
    return QDesktopServices::openUrl(QUrl(address));
}

QSize QtScreenService::screenSize() const {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

namespace {

bool folderIsWritable(const QString &folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    // Permission bits alone miss read-only mounts: try to create a file.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("nvl-probe-XXXXXX")));
    return probe.open();
}

} // namespace

bool isInstalledLocation(const QString &executableFolder) {
    const QString path = QDir::cleanPath(executableFolder) + u'/';
    if (path.startsWith(QLatin1String("/usr/")) || path.startsWith(QLatin1String("/opt/")))
        return true;
    // Installed under another prefix: the desktop file stands beside it.
    return QFileInfo::exists(
        QDir(executableFolder)
            .filePath(QStringLiteral("../share/applications/org.nvlhagaki.NvlHagaki.desktop")));
}

QString resolveProgramFolder() {
    const QString executableFolder = QCoreApplication::applicationDirPath();
    // An installed program never writes beside itself, even when it could.
    if (!isInstalledLocation(executableFolder) && folderIsWritable(executableFolder))
        return executableFolder;
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder);
    return dataFolder;
}

} // namespace nvl
