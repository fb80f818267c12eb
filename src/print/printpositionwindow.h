#pragma once

#include "formwindow.h"
#include "offsetfile.h"

class QLabel;
class QLineEdit;

namespace nvl {

// frmPriloc: moves a picture of the card in steps and stores the print
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

signals:
    // OK: the offsets in steps (X, Y) and the second-row offset, as stored.
    void offsetsChosen(const QString &xSteps, const QString &ySteps, const QString &secondRow);

protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;

private:
    void GetOpt();
    void SetOpt();
    void stepX(int direction);
    void stepY(int direction);
    void stepSecondRow(int direction);
    void placeCard();
    void accept();
    QLineEdit *text(const char *name) const;
    QLabel *label(const char *name) const;
    QString optionsPath() const;

    OffsetRecord m_offsets;
};

} // namespace nvl
