#include "appcontext.h"

#include "formwindow.h"

#include <QCoreApplication>
#include <QTimer>

namespace nvl {

WindowRegistry::~WindowRegistry() {
    for (auto &[id, window] : m_windows)
        delete window.data();
}

void WindowRegistry::setFactory(WindowId id, Factory factory) {
    m_factories[id] = std::move(factory);
}

bool WindowRegistry::canCreate(WindowId id) const {
    return existing(id) || m_factories.count(id) > 0;
}

FormWindow *WindowRegistry::window(WindowId id) {
    if (FormWindow *window = existing(id))
        return window;
    const auto factory = m_factories.find(id);
    if (factory == m_factories.end())
        return nullptr;
    FormWindow *window = factory->second(m_context);
    m_windows[id] = window;
    return window;
}

FormWindow *WindowRegistry::existing(WindowId id) const {
    const auto found = m_windows.find(id);
    return found == m_windows.end() ? nullptr : found->second.data();
}

void WindowRegistry::release(WindowId id) {
    const auto found = m_windows.find(id);
    if (found == m_windows.end())
        return;
    // Later: the window may be releasing itself from one of its own handlers.
    if (found->second)
        found->second->deleteLater();
    m_windows.erase(found);
}

bool WindowRegistry::anyLoaded() const {
    for (const auto &[id, window] : m_windows) {
        if (window && window->isFormLoaded())
            return true;
    }
    return false;
}

AppContext::AppContext(Platform &platform)
    : platform(platform), windows(*this), m_timerContext(std::make_unique<QObject>()) {
    // Nuvel.ini follows the one book: whichever window opened, saved or
    // started it, this is where it is remembered.
    QObject::connect(&book, &BookDocument::fileChanged, m_timerContext.get(), [this] {
        // At start-up nothing is open yet and the file keeps the last book.
        if (!m_rememberedRead)
            return;
        const BookSettings settings = book.hasFile() ? bookSettingsForFile(book.filePath())
                                      : book.origin() == BookDocument::Origin::New
                                          ? bookSettingsForNewBook()
                                          : bookSettingsForNoBook(m_remembered);
        if (const WriteResult written = rememberBook(settings); !written)
            this->platform.messages.show(written.error);
    });
    book.replaceDamagedCompanion = [&platform](const QString &companion) {
        return platform.messages.show(
                   QCoreApplication::translate(
                       "nvl::AppContext",
                       "住所録の付属ファイル「%1」は壊れていて読めませんでした。\n"
                       "今の付属データで置き換えますか？\n"
                       "「いいえ」では住所録だけを保存し、付属ファイルはそのまま残します。")
                       .arg(companion),
                   MessageButtons::YesNo) == MessageAnswer::Yes;
    };
    book.approveUtf8 = [&platform](const QString &path, const QStringList &characters) {
        return platform.messages.show(
                   BookDocument::utf8Reason(path, characters) +
                       QCoreApplication::translate("nvl::AppContext", "\n保存しますか？"),
                   MessageButtons::YesNo) == MessageAnswer::Yes;
    };
}

QString AppContext::settingsPath() const {
    return platform.programFile(QStringLiteral("Nuvel.ini"));
}

QString AppContext::readRememberedBook() {
    const SettingsRead read = readSettingsFile(settingsPath(), 2);
    m_remembered = {read.values.at(0), read.values.at(1)};
    m_rememberedRead = true;
    m_onDisk = m_remembered;
    // A FIFO or device in its place is not read (it would block) and is named.
    return read.status == TextFileRead::Status::NotRegular ? read.problem : QString();
}

WriteResult AppContext::rememberBook(const BookSettings &settings) {
    m_remembered = settings;
    if (m_onDisk && m_onDisk->currentFile == settings.currentFile &&
        m_onDisk->bookMode == settings.bookMode)
        return {};
    return writeRememberedBook();
}

WriteResult AppContext::writeRememberedBook() {
    WriteResult written = writeBookSettings(settingsPath(), m_remembered);
    // After a failure the file's content is not known: the next change writes.
    if (written)
        m_onDisk = m_remembered;
    else
        m_onDisk.reset();
    return written;
}

void AppContext::scheduleEndCheck() {
    if (m_endCheckPending)
        return;
    m_endCheckPending = true;
    QTimer::singleShot(0, m_timerContext.get(), [this] {
        m_endCheckPending = false;
        if (!windows.anyLoaded() && endProgram)
            endProgram();
    });
}

} // namespace nvl
