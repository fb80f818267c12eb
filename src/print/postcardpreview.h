#pragma once

#include "senderfile.h"
#include "verticallayout.h"

#include <QFrame>
#include <QList>
#include <array>

class QLabel;

namespace nvl {

// A postcard drawn at its real size: white card, the seven red postal-code
// Boxes where Japan Post puts them, and the recipient and sender lines
// where the layout prints them.
class PostcardPreview : public QFrame {
    Q_OBJECT
public:
    explicit PostcardPreview(QWidget *parent);

    static constexpr double CardWidthMm = 100.0;
    static constexpr double CardHeightMm = 148.0;

    // The boxes where the printed digits land, relative to the printed text:
    // Japan Post's boxes on the 105 mm quarter sheet the cards print on,
    // seen from the layout's origin (PageOrigin from the sheet's corner),
    // as the text lines are placed from the preview's corner.
    static constexpr double SheetBoxLeftMm[7] = {49.3, 56.3, 63.3, 70.9, 77.7, 84.5, 91.3};
    static constexpr double SheetBoxTopMm = 12.0;
    static double boxLeftMm(int box);
    static double boxTopMm();
    static constexpr double BoxWidthMm = 5.7;
    static constexpr double BoxHeightMm = 8.0;

    QSize sizeHint() const override;

    void setRecipient(const QString &nameLine, const QString &address1, const QString &address2,
                      const QString &address3, const QString &code);
    void setPostalBoxes(const std::array<QString, 7> &digits, const QString &fontFamily);
    void setSender(const SenderEntry &sender);
    // Real postcard paper: the boxes where Japan Post puts them on the card
    // (the text is then placed from the card's corner as the print places it).
    void setRealPostcard(bool real);
    // The family of the recipient and sender lines.
    void setTextFont(const QString &family);
    // Written downwards, as the vertical layouts print it.
    void setVertical(bool vertical, VerticalNumbers numbers);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int px(double mm) const;
    QLabel *addLine(const char *name, double xTwips, double yTwips, double points);

    double m_pxPerMm;
    std::array<QLabel *, 7> m_digits{};
    std::array<QFrame *, 7> m_boxes{};
    void placeBoxes(bool real);
    // Each line with its place on the quarter sheet and on a real card.
    struct Line {
        QLabel *label;
        QPoint sheet;
        QPoint card;
    };
    QList<Line> m_lines;
    bool m_real = false;
    bool m_vertical = false;
    VerticalNumbers m_numbers = VerticalNumbers::Kanji;
    VerticalCardText m_cardText;
    VerticalSenderText m_senderText;
    QString m_textFamily;
    void showLines();
    QLabel *m_address1, *m_address2, *m_address3, *m_name, *m_code;
    QLabel *m_senderPostalCode, *m_senderAddress1, *m_senderAddress2, *m_senderName;
};

} // namespace nvl
