#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <array>

namespace nvl {

class TagChoices;

// The card editor's controls while it is loaded.
struct CardEditorUi {
    QPushButton *firstCard = nullptr;
    QPushButton *previousCard = nullptr;
    QPushButton *nextCard = nullptr;
    QPushButton *lastCard = nullptr;
    QPushButton *newCard = nullptr;
    QLabel *cardLabel = nullptr;
    // A short note about the postal code just typed (not found), in place of a question.
    QLabel *postalNote = nullptr;
    QToolButton *bookList = nullptr;
    QToolButton *help = nullptr;

    QLineEdit *postalCode = nullptr;
    QLineEdit *code = nullptr;
    QLabel *address1Caption = nullptr;
    QLineEdit *address1 = nullptr;
    QLabel *address2Caption = nullptr;
    QLineEdit *address2 = nullptr;
    QLineEdit *address3 = nullptr;
    QLineEdit *name = nullptr;
    QComboBox *honorific = nullptr;
    // The name's reading, what searches find it by.
    QLineEdit *reading = nullptr;
    // 連名, each with its honorific word.
    std::array<QLineEdit *, 3> jointNames{};
    std::array<QComboBox *, 3> jointHonorifics{};
    // Free words (家族, 仕事 …) separated by ; and completed from the book's.
    QLineEdit *tags = nullptr;
    TagChoices *tagChoices = nullptr;
    // The marks of the current card year and of the three before it (row 0
    // the current year), and a line naming any older ones.
    static constexpr int MarkedYears = 4;
    QGroupBox *yearBox = nullptr;
    std::array<std::array<QCheckBox *, 3>, MarkedYears> yearMarks{};
    QLabel *earlierYears = nullptr;

    // Option entry: the whole address on one line, split on request.
    QLabel *oneLineCaption = nullptr;
    QLineEdit *oneLineAddress = nullptr;
    QGroupBox *optionFrame = nullptr;
    QRadioButton *withPrefecture = nullptr;
    QRadioButton *withoutPrefecture = nullptr;
    QPushButton *split = nullptr;
    QPushButton *leaveOptionEntry = nullptr;

    QPushButton *registerCard = nullptr;
    QPushButton *cancel = nullptr;
    QPushButton *deleteCard = nullptr;
    QPushButton *optionEntry = nullptr;
    QPushButton *back = nullptr;
};

} // namespace nvl
