#pragma once

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QLatin1String>
#include <QObject>
#include <QStringList>

namespace nvl::test {

// A control of a window by its object name, as the tests reach the widgets
// a user sees; null when the window has none (or is not loaded).
template <typename T> T *child(const QObject *window, const char *name) {
    return window ? window->findChild<T *>(QLatin1String(name)) : nullptr;
}

// What an item view shows: the rows' texts of one column, a cell, a row count.
inline int rowCount(const QAbstractItemView *view) {
    return view->model()->rowCount();
}

inline QString cellText(const QAbstractItemView *view, int row, int column = 0) {
    return view->model()->index(row, column).data().toString();
}

inline QStringList rowTexts(const QAbstractItemView *view, int column = 0) {
    QStringList texts;
    for (int row = 0; row < rowCount(view); ++row)
        texts.append(cellText(view, row, column));
    return texts;
}

inline QRect cellRect(const QAbstractItemView *view, int row, int column = 0) {
    return view->visualRect(view->model()->index(row, column));
}

// Adds a row to the selection, as a Ctrl-click would.
inline void selectRow(QAbstractItemView *view, int row) {
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Selects exactly these rows, as Ctrl-clicks would.
inline void selectRows(QAbstractItemView *view, const QList<int> &rows) {
    view->clearSelection();
    for (int row : rows)
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace nvl::test

namespace nvl {
using test::cellRect;
using test::cellText;
using test::child;
using test::rowCount;
using test::rowTexts;
using test::selectRow;
using test::selectRows;
} // namespace nvl
