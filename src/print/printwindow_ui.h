#pragma once

#include "cardview.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace nvl {

// The print window's controls while it is loaded.
struct PrintWindowUi {
    QAction *fontAction = nullptr;
    QAction *positionAction = nullptr;
    QToolButton *senderButton = nullptr;
    QToolButton *fontButton = nullptr;
    QToolButton *positionButton = nullptr;
    QToolButton *helpButton = nullptr;

    // What the cards are printed on, and the postcard papers' own settings.
    QRadioButton *paperA4 = nullptr;
    QRadioButton *paperPostcard = nullptr;
    QRadioButton *paperReturn = nullptr;
    QRadioButton *faceOutgoing = nullptr;
    QRadioButton *faceReply = nullptr;
    QDoubleSpinBox *offsetX = nullptr;
    QDoubleSpinBox *offsetY = nullptr;
    QPushButton *alignButton = nullptr;
    QWidget *sheetType = nullptr;
    QRadioButton *horizontal = nullptr;
    QRadioButton *vertical = nullptr;
    QCheckBox *arabicNumerals = nullptr;

    QRadioButton *fourUpSheet = nullptr;
    QRadioButton *returnCardSheet = nullptr;
    QRadioButton *minchoDigits = nullptr;
    QRadioButton *ocrDigits = nullptr;

    QPushButton *previousLabel = nullptr;
    QLabel *labelPosition = nullptr;
    QPushButton *nextLabel = nullptr;
    QPushButton *previousSender = nullptr;
    QLabel *senderPosition = nullptr;
    QPushButton *nextSender = nullptr;
    CardView *card = nullptr;

    QPushButton *previewButton = nullptr;
    QPushButton *printButton = nullptr;
    QPushButton *backButton = nullptr;
    QPushButton *exitButton = nullptr;
};

} // namespace nvl
