#pragma once

#include "bookdocument.h"
#include "recordsearch.h"

#include <QSortFilterProxyModel>
#include <QTimer>

#include <optional>
#include <vector>

namespace nvl {

// The one book as a list of names, live: rows follow the document's as they
// are inserted, moved or removed. Optionally numbered as in the file.
class BookListModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Numbers { Hidden, Shown };

    explicit BookListModel(BookDocument &book, Numbers numbers, QObject *parent = nullptr);

    // No rows while hidden (the main window's list while a file is chosen).
    void setHidden(bool hidden);
    // Only the records the search finds; an empty one shows them all.
    void setSearch(const RecordSearch &search);
    const RecordSearch &search() const { return m_search; }
    // The record number (from 1) of a list row.
    int recordNumber(int row) const;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool filterAcceptsColumn(int sourceColumn, const QModelIndex &sourceParent) const override;

private:
    Numbers m_numbers;
    bool m_hidden = false;
    RecordSearch m_search;
    // Each record's keys, worked out when first searched and forgotten on
    // any change of the book: typing then costs a look, not a normalisation.
    mutable std::vector<std::optional<SearchKeys>> m_keys;
    QTimer m_warmKeys;
    const SearchKeys &keysOf(int sourceRow) const;
};

} // namespace nvl
