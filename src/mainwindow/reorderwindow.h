#pragma once

#include "bookfile.h"
#include "formwindow.h"

class QLineEdit;

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

private:
    bool readFile();
    void chooseItem(int index);
    void destinationChanged();
    void execute();
    QLineEdit *text(const char *name) const;
    void refuse(const QString &message);

    QString m_path;
    AddressBook m_book;
    bool m_fileUsable = false;
};

} // namespace nvl
