#pragma once

#include <QDialog>

class QSpinBox;

namespace nvl {

// After printing: whether the cards just printed are to be marked as sent,
// and for which card year (the current one unless the user picks another).
class MarkSentDialog : public QDialog {
    Q_OBJECT
public:
    MarkSentDialog(int cards, int year, QWidget *parent = nullptr);
    int year() const;

private:
    QSpinBox *m_year = nullptr;
};

} // namespace nvl
