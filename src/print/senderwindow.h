#pragma once

#include "formwindow.h"
#include "senderfile.h"

class QLineEdit;

namespace nvl {

// frmTx: edits the first three sender entries and writes all four back.
class SenderWindow : public FormWindow {
    Q_OBJECT
public:
    explicit SenderWindow(AppContext &context);

signals:
    // Wolt.tds has been written with the edited entries.
    void sendersSaved();

protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;

private:
    void GetTx();
    void showPosition();
    void storeEntry();
    void saveAndReturn();
    QLineEdit *edit(const char *name) const;
    QString senderPath() const;

    SenderTable m_senders;
    int m_current = 0;
    bool m_damagedFile = false;
};

} // namespace nvl
