#include "crlabel.h"

#include <QPainter>

namespace nvl {

void CrLabel::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event); // NOLINT(bugprone-parent-virtual-call)
    QPainter painter(this);
    painter.setFont(font());
    painter.drawText(contentsRect().adjusted(margin() + 4, margin() + 4, -4, -4),
                     static_cast<int>(alignment()), QString(text()).replace(u'\r', u'\n'));
}

} // namespace nvl
