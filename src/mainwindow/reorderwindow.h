#pragma once

#include "bookfile.h"
#include "formwindow.h"

class QLabel;
class QLineEdit;
class QListWidget;

namespace nvl {

// frmOrder: moves one record of the current data file to another place.
class ReorderWindow : public FormWindow {
    Q_OBJECT
public:
    explicit ReorderWindow(AppContext &context);

protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;
    void formUnload() override;
    void releaseControls() override;

private:
    bool readFile();
    void chooseItem(int index);
    void destinationChanged();
    void execute();
    void refuse(const QString &message);

    QString m_path;
    AddressBook m_book;
    bool m_fileUsable = false;
    // The record chosen to move (from 1), 0 before a choice.
    int m_source = 0;

    QListWidget *m_list = nullptr;
    QLabel *m_chosenName = nullptr;
    QLineEdit *m_destination = nullptr;
    QLineEdit *m_sourceBox = nullptr;
    QLineEdit *m_countBox = nullptr;
};

} // namespace nvl
