#pragma once

#include <QFrame>

class QLabel;

namespace nvl {

// A postcard drawn at its real size: white card, the seven red postal-code
// boxes where Japan Post puts them, and the recipient and sender lines
// where the layout prints them.
class PostcardPreview : public QFrame {
    Q_OBJECT
public:
    explicit PostcardPreview(QWidget *parent);

    static constexpr double CardWidthMm = 100.0;
    static constexpr double CardHeightMm = 148.0;

    // Left edges of the boxes, in mm from the card's left edge.
    static constexpr double BoxLeftMm[7] = {44.3, 51.3, 58.3, 65.9, 72.7, 79.5, 86.3};
    static constexpr double BoxTopMm = 12.0;
    static constexpr double BoxWidthMm = 5.7;
    static constexpr double BoxHeightMm = 8.0;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int px(double mm) const;
    QLabel *addLine(const char *name, double xTwips, double yTwips, double points);

    double m_pxPerMm;
};

} // namespace nvl
