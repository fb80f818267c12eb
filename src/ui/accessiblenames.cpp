#include "accessiblenames.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace nvl {
namespace {

// The shown text is also offered as read-only text, so a screen reader finds
// the value without opening the list.
class CaptionedComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CaptionedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && !box()->accessibleName().isEmpty())
            return box()->accessibleName();
        if (kind == QAccessible::Name || kind == QAccessible::Value)
            return shown();
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override { return 1; }

    QAccessibleInterface *child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        return child != nullptr && child->object() == box()->view() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }

    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return int(shown().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QString attributes(int offset, int *start, int *end) const override {
        *start = *end = offset;
        return {};
    }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}

private:
    QString shown() const {
        return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
    }
    QComboBox *box() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *captionedComboBoxes(const QString &className, QObject *object) {
    // Made when the box is, before it is given a name: it reads it later.
    auto *box = qobject_cast<QComboBox *>(object);
    if (className != QLatin1String("QComboBox") || box == nullptr)
        return nullptr;
    return new CaptionedComboBox(box);
}

} // namespace

void installAccessibleNames() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(captionedComboBoxes);
}

} // namespace nvl
