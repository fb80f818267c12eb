#include "marksentdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace nvl {

MarkSentDialog::MarkSentDialog(int cards, int year, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgMarkSent"));
    setWindowTitle(tr("送付の記録"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        tr("印刷した %1 件の宛名に、年賀状を送ったことを記録しますか？").arg(cards), this));
    auto *row = new QHBoxLayout;
    m_year = new QSpinBox(this);
    m_year->setObjectName(QStringLiteral("spnYear"));
    m_year->setRange(1900, 2999);
    m_year->setValue(year);
    m_year->setGroupSeparatorShown(false);
    m_year->setSuffix(tr(" 年"));
    auto *caption = new QLabel(tr("年賀状の年(&Y):"), this);
    caption->setBuddy(m_year);
    m_year->setAccessibleName(tr("年賀状の年"));
    row->addWidget(caption);
    row->addWidget(m_year);
    row->addStretch();
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("記録する"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("記録しない"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int MarkSentDialog::year() const {
    return m_year->value();
}

} // namespace nvl
