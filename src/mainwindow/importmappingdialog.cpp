#include "importmappingdialog.h"

#include "screenfit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace nvl {

ImportMappingDialog::ImportMappingDialog(const CsvTable &table, const CsvMapping &guess,
                                         QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmImportMapping"));
    setWindowTitle(tr("CSV ファイルの取り込み"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("それぞれの項目をどの列から読むかを確かめてください。"), this);
    layout->addWidget(intro);

    // The fields scroll on a small screen; the preview and buttons stay.
    auto *fields = new QWidget;
    auto *form = new QFormLayout(fields);
    for (int field = 0; field < ImportColumnCount; ++field) {
        auto *box = new QComboBox(fields);
        box->setObjectName(QStringLiteral("cmbColumn%1").arg(field));
        box->addItem(tr("（読まない）"), -1);
        for (int column = 0; column < table.header.size(); ++column)
            box->addItem(table.header.at(column).isEmpty() ? tr("%1 列目").arg(column + 1)
                                                           : table.header.at(column),
                         column);
        box->setCurrentIndex(guess.at(static_cast<size_t>(field)) + 1);
        const QString caption = importColumnCaption(static_cast<ImportColumn>(field));
        box->setAccessibleName(caption);
        form->addRow(caption, box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] { mappingChanged(); });
        m_columns.at(static_cast<size_t>(field)) = box;
    }
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrFields"));
    scroll->setWidget(fields);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumHeight(160);
    layout->addWidget(scroll, 1);

    // The first rows as they are in the file.
    auto *preview =
        new QTableWidget(static_cast<int>(std::min<qsizetype>(table.rows.size(), PreviewRows)),
                         static_cast<int>(table.header.size()), this);
    preview->setObjectName(QStringLiteral("tblPreview"));
    preview->setAccessibleName(tr("先頭の行"));
    preview->setHorizontalHeaderLabels(table.header);
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < preview->rowCount(); ++row)
        for (int column = 0; column < preview->columnCount(); ++column)
            preview->setItem(row, column, new QTableWidgetItem(table.rows.at(row).value(column)));
    preview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    preview->setMinimumHeight(120);
    layout->addWidget(new QLabel(tr("先頭の行（全%1行）").arg(table.rows.size()), this));
    layout->addWidget(preview);

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lblHint"));
    layout->addWidget(m_hint);
    auto *buttons = new QDialogButtonBox(this);
    m_import = buttons->addButton(tr("取り込む"), QDialogButtonBox::AcceptRole);
    m_import->setObjectName(QStringLiteral("cmdImport"));
    buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    mappingChanged();
    // As tall as the fields need, no taller than the screen.
    fitToScreen(*this, QSize(640, fields->sizeHint().height() + 360));
}

CsvMapping ImportMappingDialog::mapping() const {
    CsvMapping mapping;
    for (size_t field = 0; field < mapping.size(); ++field)
        mapping.at(field) = m_columns.at(field)->currentData().toInt();
    return mapping;
}

void ImportMappingDialog::mappingChanged() {
    const bool usable = mappingNamesSomething(mapping());
    m_import->setEnabled(usable);
    m_hint->setText(usable ? QString()
                           : tr("氏名（または姓）と、住所か郵便番号の列を選んでください。"));
}

} // namespace nvl
