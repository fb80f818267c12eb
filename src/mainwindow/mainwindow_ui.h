#pragma once

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QToolButton>

namespace nvl {

// The main window's controls while it is loaded.
struct MainWindowUi {
    QAction *newBookAction = nullptr;
    QAction *openAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *importAction = nullptr;
    QAction *exportAction = nullptr;
    QAction *syncAction = nullptr;
    QAction *syncSettingsAction = nullptr;
    QAction *exitAction = nullptr;
    QAction *editCardsAction = nullptr;
    QAction *listSheetAction = nullptr;
    QAction *reorderAction = nullptr;
    QAction *entriesAction = nullptr;
    QAction *versionAction = nullptr;
    QAction *homePageAction = nullptr;

    QToolButton *newBookButton = nullptr;
    QToolButton *openButton = nullptr;
    QToolButton *saveAsButton = nullptr;
    QToolButton *editCardsButton = nullptr;
    QToolButton *listSheetButton = nullptr;
    QToolButton *reorderButton = nullptr;
    QToolButton *helpButton = nullptr;
    QToolButton *exitButton = nullptr;

    // Search and tag filter over the book list.
    QLineEdit *search = nullptr;
    QToolButton *tagFilter = nullptr;
    QListView *bookList = nullptr;
    QListView *printList = nullptr;
    QPushButton *addButton = nullptr;
    QPushButton *deleteButton = nullptr;
    QPushButton *clearButton = nullptr;
    QLabel *countLabel = nullptr;
    QPushButton *nextButton = nullptr;
};

} // namespace nvl
