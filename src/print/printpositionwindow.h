#pragma once

#include "formwindow.h"
#include "offsetfile.h"

class QLabel;

namespace nvl {

// Moves a picture of the card in steps and stores the print
// offsets in Nuvel.opt on OK.
class PrintPositionWindow : public FormWindow {
    Q_OBJECT
public:
    explicit PrintPositionWindow(AppContext &context);

    static constexpr int MinX = 1240;
    static constexpr int MaxX = 1640;
    static constexpr int MinY = 680;
    static constexpr int MaxY = 1080;
    static constexpr int MinSecondRow = -7;
    static constexpr int MaxSecondRow = 7;

    // The offsets as they stand in the window now.
    const OffsetRecord &offsets() const { return m_offsets; }

signals:
    // OK: the offsets as stored, in steps.
    void offsetsChosen(const nvl::SheetOffsets &steps);

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;

private:
    void stepX(int direction);
    void stepY(int direction);
    void stepSecondRow(int direction);
    void placeCard();
    void accept();
    QString optionsPath() const;

    OffsetRecord m_offsets;
    QLabel *m_card = nullptr;
    QLabel *m_xScale = nullptr;
    QLabel *m_yScale = nullptr;
    QLabel *m_secondRowScale = nullptr;
};

} // namespace nvl
