#pragma once

#include "postcardpreview.h"

#include <QAction>
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
    PostcardPreview *card = nullptr;

    QPushButton *previewButton = nullptr;
    QPushButton *printButton = nullptr;
    QPushButton *backButton = nullptr;
    QPushButton *exitButton = nullptr;
};

} // namespace nvl
