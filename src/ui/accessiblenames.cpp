#include "accessiblenames.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

#include <map>

namespace nvl {
namespace {

// One entry of a combo box's list, pressed to choose it: Qt's bridge here has
// no selection interface, so a screen reader chooses through this action.
class ComboChoice : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ComboChoice(QComboBox *box, int index) : m_box(box), m_index(index) {}

    bool isValid() const override { return m_box != nullptr && m_index < m_box->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return parent()->window(); }
    QAccessibleInterface *parent() const override {
        return QAccessible::queryAccessibleInterface(m_box.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? m_box->itemText(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return parent()->rect(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = isValid() && m_box->currentIndex() == m_index;
        state.disabled = !isValid() || !m_box->isEnabled();
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &action) override {
        if (action == pressAction() && isValid() && m_box->isEnabled()) {
            m_box->hidePopup();
            m_box->setCurrentIndex(m_index);
        }
    }

private:
    QPointer<QComboBox> m_box;
    int m_index;
};

// The shown text is also offered as read-only text, so a screen reader finds
// the value without opening the list.
class CaptionedComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit CaptionedComboBox(QComboBox *box) : QAccessibleWidget(box, QAccessible::ComboBox) {}
    ~CaptionedComboBox() override {
        for (const auto &[index, id] : m_choices)
            QAccessible::deleteAccessibleInterface(id);
    }
    CaptionedComboBox(const CaptionedComboBox &) = delete;
    CaptionedComboBox &operator=(const CaptionedComboBox &) = delete;

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

    // The choices themselves, not the popup's view: they can be pressed while
    // the list is closed.
    int childCount() const override { return box()->count(); }

    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= box()->count())
            return nullptr;
        auto found = m_choices.find(index);
        if (found == m_choices.end()) {
            auto *choice = new ComboChoice(box(), index);
            found =
                m_choices.emplace(index, QAccessible::registerAccessibleInterface(choice)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }

    int indexOfChild(const QAccessibleInterface *child) const override {
        for (const auto &[index, id] : m_choices)
            if (QAccessible::accessibleInterface(id) == child)
                return index < box()->count() ? index : -1;
        return -1;
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

    mutable std::map<int, QAccessible::Id> m_choices;
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
