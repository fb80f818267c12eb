#include "formwindow.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QHash>
#include <QIcon>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

// Screen readers announce each window of the program as a window (a frame),
// not as a filler inside nothing.
QAccessibleInterface *windowAccessible(const QString &key, QObject *object) {
    Q_UNUSED(key)
    if (auto *window = qobject_cast<FormWindow *>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

FormWindow::FormWindow(AppContext &context, WindowId id)
    : QWidget(nullptr), m_ctx(context), m_id(id) {
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(installed)
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void FormWindow::loadForm() {
    if (m_loaded)
        return;
    if (!m_content) {
        m_content = new QWidget(this);
        m_content->setObjectName(QStringLiteral("formContent"));
        layout()->addWidget(m_content);
        buildControls(m_content);
    }
    m_loaded = true;
    afterLoad();
}

void FormWindow::showForm() {
    loadForm();
    // Placed once its size is final (what was filled in since loading may
    // have made it larger): as it is being shown, before it appears.
    if (!isVisible())
        m_centreWhenShown = true;
    show();
    raise();
    activateWindow();
}

void FormWindow::hideForm() {
    loadForm();
    hide();
}

bool FormWindow::unloadForm() {
    if (!m_loaded)
        return true;
    if (!canUnload())
        return false;
    beforeUnload();
    hide();
    m_loaded = false;
    m_ctx.scheduleEndCheck();
    return true;
}

void FormWindow::runCommand(const std::function<void()> &command) {
    if (m_commandRunning)
        return;
    // The window object outlives the command: a window is only ever deleted
    // later, from the event loop.
    const QScopedValueRollback running(m_commandRunning, true);
    command();
}

void FormWindow::closeEvent(QCloseEvent *event) {
    // The close box unloads the window; hiding is done by the unload.
    event->ignore();
    runCommand([this] { unloadForm(); });
}

QPoint centredPosition(QSize screen, QSize window) {
    const int left = (screen.width() - window.width()) * TwipsPerPixel / 2;
    const int top = (screen.height() - window.height()) * TwipsPerPixel / 2;
    return {left / TwipsPerPixel, top / TwipsPerPixel};
}

void FormWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (m_centreWhenShown) {
        m_centreWhenShown = false;
        centreOnScreen();
    }
}

void FormWindow::relayout() {
    for (QWidget *widget : {static_cast<QWidget *>(m_content), static_cast<QWidget *>(this)})
        if (widget && widget->layout()) {
            widget->layout()->invalidate();
            widget->layout()->activate();
        }
}

void FormWindow::centreOnScreen() {
    move(centredPosition(m_ctx.platform.screen.screenSize(), frameGeometry().size()));
}

QToolButton *addPictureButton(QWidget *parent, const char *name, const QString &tip,
                              const char *themeIcon, int fallbackStandardPixmap) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    // One icon a picture for the whole run: a new one at every load would
    // pile up scaled copies in the style's shared icon engines.
    static QHash<QByteArray, QIcon> icons;
    QIcon &icon = icons[QByteArray(themeIcon) + '/' + QByteArray::number(fallbackStandardPixmap)];
    if (icon.isNull())
        icon = QIcon::fromTheme(QLatin1String(themeIcon),
                                parent->style()->standardIcon(
                                    static_cast<QStyle::StandardPixmap>(fallbackStandardPixmap)));
    button->setIcon(icon);
    button->setAutoRaise(true);
    return button;
}

QPushButton *addCommandButton(QWidget *parent, const char *name, const QString &text,
                              const QString &tip) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
        button->setAccessibleDescription(tip);
    }
    button->setAutoDefault(false);
    return button;
}

} // namespace nvl
