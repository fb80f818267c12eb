#pragma once

#include "formwindow.h"
#include "senderfile.h"

class QLabel;
class QLineEdit;

namespace nvl {

// Edits the first three sender entries and writes all four back.
class SenderWindow : public FormWindow {
    Q_OBJECT
public:
    explicit SenderWindow(AppContext &context);

signals:
    // Wolt.tds has been written with the edited entries.
    void sendersSaved();

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;

private:
    void showCurrentEntry();
    void showPosition();
    void storeEntry();
    void saveAndReturn();
    QString senderPath() const;

    SenderTable m_senders;
    int m_current = 0;
    bool m_damagedFile = false;

    QLineEdit *m_postalCode = nullptr;
    QLineEdit *m_address1 = nullptr;
    QLineEdit *m_address2 = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_position = nullptr;
};

} // namespace nvl
