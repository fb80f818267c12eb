#pragma once

#include <QLabel>

namespace nvl {

// A label whose lines are separated by CR alone, as the program's sample
// and notice texts are written.
class CrLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace nvl
