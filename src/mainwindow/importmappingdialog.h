#pragma once

#include "foreigncsv.h"

#include <QDialog>
#include <array>

class QComboBox;
class QPushButton;
class QLabel;

namespace nvl {

// Which column of a foreign CSV file goes into which field of the card,
// guessed from the header and shown with the first rows, for the user to
// confirm or change before anything is imported.
class ImportMappingDialog : public QDialog {
    Q_OBJECT
public:
    ImportMappingDialog(const CsvTable &table, const CsvMapping &guess, QWidget *parent = nullptr);

    CsvMapping mapping() const;

    static constexpr int PreviewRows = 5;

private:
    void mappingChanged();

    std::array<QComboBox *, ImportColumnCount> m_columns{};
    QLabel *m_hint = nullptr;
    QPushButton *m_import = nullptr;
};

} // namespace nvl
