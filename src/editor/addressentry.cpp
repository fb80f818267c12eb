// Line entry and option entry of the address, and the automatic split.
#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "splitaddress.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace nvl {

void CardEditor::showAddressEntry(bool optionEntry) {
    const std::initializer_list<QWidget *> lineEntry = {
        m_ui->address1, m_ui->address2, m_ui->address1Caption, m_ui->address2Caption};
    const std::initializer_list<QWidget *> oneLine = {m_ui->optionFrame, m_ui->oneLineCaption,
                                                      m_ui->oneLineAddress};
    for (QWidget *widget : optionEntry ? lineEntry : oneLine)
        widget->hide();
    for (QWidget *widget : optionEntry ? oneLine : lineEntry)
        widget->show();
}

void CardEditor::setLineEntry() {
    showAddressEntry(false);
}

void CardEditor::setOptionEntry() {
    showAddressEntry(true);
}

void CardEditor::leaveOptionEntry() {
    setLineEntry();
    m_ui->optionEntry->setEnabled(true);
    m_ui->address1->setFocus();
}

void CardEditor::splitAddress() {
    const QString text = m_ui->oneLineAddress->text();
    if (text.isEmpty()) {
        m_ctx.platform.messages.show(tr("入力データがありません！"));
        m_ui->postalCode->setFocus();
        return;
    }
    const SplitLines lines = splitAddressText(text, m_ui->withPrefecture->isChecked());
    m_ui->address1->setText(lines.line1);
    m_ui->address2->setText(lines.line2);
    setLineEntry();
    m_ui->address3->setFocus();
}

} // namespace nvl
