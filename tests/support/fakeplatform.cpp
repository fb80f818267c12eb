#include "fakeplatform.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QStringEncoder>
#ifdef __linux__
#include <sys/mount.h>
#include <unistd.h>
#endif

namespace nvl::test {

MessageAnswer FakeMessages::showWithDetail(const QString &text, const QString &detail,
                                           MessageButtons buttons, const QString &title) {
    const MessageAnswer answer = show(text, buttons, title);
    shown.last().detail = detail;
    return answer;
}

MessageAnswer FakeMessages::show(const QString &text, MessageButtons buttons,
                                 const QString &title) {
    shown.append({text, buttons, title, {}});
    if (!answers.empty()) {
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

int FakeMessages::choose(const QString &text, const QStringList &items, const QString &title) {
    shown.append({text, MessageButtons::OkCancel, title, {}});
    offered.append(items);
    if (!choices.empty()) {
        const int choice = choices.front();
        choices.pop_front();
        return choice;
    }
    return items.isEmpty() ? -1 : 0;
}

QStringList FakeMessages::texts() const {
    QStringList result;
    for (const ShownMessage &message : shown)
        result.append(message.text);
    return result;
}

namespace {

QString takeAnswer(std::deque<QString> &answers) {
    if (answers.empty())
        return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

QString FakeFileDialogs::open(const FileDialogRequest &request) {
    openRequests.append(request);
    return takeAnswer(openAnswers);
}

QString FakeFileDialogs::save(const FileDialogRequest &request) {
    saveRequests.append(request);
    return takeAnswer(saveAnswers);
}

std::optional<int> FakePrinterDialog::askSentYear(int cards, int cardYear) {
    sentAsked.append({cards, cardYear});
    if (sentYears.empty())
        return std::nullopt;
    const std::optional<int> year = sentYears.front();
    sentYears.pop_front();
    return year;
}

bool FakePrinterDialog::choose(QPrinter &printer) {
    ++calls;
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    if (answer && !outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile);
    } else if (answer && !printerName.isEmpty()) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printerName);
    }
    return answer;
}

void FakePrinterDialog::preview(QPrinter &printer, const std::function<void(QPrinter *)> &paint) {
    ++previews;
    // The preview's own print button, pressed with that printer chosen.
    if (!outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(outputFile);
    } else if (!printerName.isEmpty()) {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(printerName);
    }
    paint(&printer);
}

void FakeHelp::show(const QString &helpFile, HelpCommand command, int context) {
    calls.append({helpFile, command, context});
}

bool FakeShell::openUrl(const QString &address) {
    opened.append(address);
    return true;
}

SecretStore::Result FakeSecrets::read(const QString &key) {
    if (!keyring)
        return {Outcome::NoKeyring, {}, {}};
    if (!stored.contains(key))
        return {Outcome::NotFound, {}, {}};
    return {Outcome::Ok, stored.value(key), {}};
}

SecretStore::Result FakeSecrets::write(const QString &key, const QString &secret) {
    if (!keyring)
        return {Outcome::NoKeyring, {}, {}};
    stored.insert(key, secret);
    return {};
}

SecretStore::Result FakeSecrets::remove(const QString &key) {
    if (!keyring)
        return {Outcome::NoKeyring, {}, {}};
    return {stored.remove(key) ? Outcome::Ok : Outcome::NotFound, {}, {}};
}

FakeDesktop::FakeDesktop()
    : platform{messages, fileDialogs, printerDialog, help,     shell,
               screen,   printer,     QString(),     QString()},
      context(platform) {
    platform.programFolder = m_folder.path();
    platform.secrets = &secrets;
    context.endProgram = [this] {
        ++endCalls;
    };
}

QString FakeDesktop::file(const QString &name) const {
    return QDir(m_folder.path()).filePath(name);
}

SmallDisk::SmallDisk(const char *size) {
#ifdef __linux__
    const QByteArray options = QByteArray("size=") + size;
    m_mounted = geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(m_folder.path()).constData(),
                                          "tmpfs", 0, options.constData()) == 0;
#else
    Q_UNUSED(size)
#endif
}

bool SmallDisk::makeReadOnly() {
#ifdef __linux__
    return m_mounted && ::mount("tmpfs", QFile::encodeName(m_folder.path()).constData(), "tmpfs",
                                MS_REMOUNT | MS_RDONLY, nullptr) == 0;
#else
    return false;
#endif
}

SmallDisk::~SmallDisk() {
#ifdef __linux__
    if (m_mounted)
        ::umount(QFile::encodeName(m_folder.path()).constData());
#endif
}

QByteArray readBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray cp932(const QString &text) {
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

} // namespace nvl::test
