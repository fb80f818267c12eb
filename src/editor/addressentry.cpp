// Line entry and option entry of the address, and the automatic split.
#include "cardeditor.h"

#include "splitaddress.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace nvl {

namespace {

const char *const LineEntryControls[] = {"txtAdd1", "txtAdd2", "lblAdd1", "lblAdd2"};
const char *const OptionEntryControls[] = {"Frame1", "Label2", "txtNewadd"};

} // namespace

void CardEditor::setLineEntry() {
    for (const char *name : OptionEntryControls)
        control<QWidget>(name)->hide();
    for (const char *name : LineEntryControls)
        control<QWidget>(name)->show();
}

void CardEditor::setOptionEntry() {
    for (const char *name : LineEntryControls)
        control<QWidget>(name)->hide();
    for (const char *name : OptionEntryControls)
        control<QWidget>(name)->show();
}

void CardEditor::leaveOptionEntry() {
    setLineEntry();
    control<QWidget>("cmdOp")->setEnabled(true);
    edit("txtAdd1")->setFocus();
}

void CardEditor::splitAddress() {
    const QString text = edit("txtNewadd")->text();
    if (text.isEmpty()) {
        m_ctx.platform.messages.show(QStringLiteral("入力データがありません！"));
        edit("txtZip")->setFocus();
        return;
    }
    const SplitLines lines = SplitAddress(text, control<QRadioButton>("Option1")->isChecked());
    edit("txtAdd1")->setText(lines.line1);
    edit("txtAdd2")->setText(lines.line2);
    setLineEntry();
    edit("txtAdd3")->setFocus();
}

} // namespace nvl
