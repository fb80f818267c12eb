#include "booklistmodel.h"

#include "jointnames.h"

namespace nvl {

namespace {

constexpr int NameColumn = AddressRecord::Name - 1;

} // namespace

BookListModel::BookListModel(BookDocument &book, Numbers numbers, QObject *parent)
    : QSortFilterProxyModel(parent), m_numbers(numbers) {
    setSourceModel(&book);
    // Numbers shift for every row after a move or removal, not only the moved one.
    if (m_numbers == Numbers::Shown) {
        const auto renumber = [this] {
            if (rowCount() > 0)
                emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
        };
        connect(&book, &QAbstractItemModel::rowsMoved, this, renumber);
        connect(&book, &QAbstractItemModel::rowsRemoved, this, renumber);
        connect(&book, &QAbstractItemModel::rowsInserted, this, renumber);
    }
}

void BookListModel::setHidden(bool hidden) {
    if (hidden == m_hidden)
        return;
    m_hidden = hidden;
    invalidateRowsFilter();
}

void BookListModel::setSearch(const RecordSearch &search) {
    if (search.text == m_search.text && search.tag == m_search.tag)
        return;
    m_search = search;
    invalidateRowsFilter();
}

int BookListModel::recordNumber(int row) const {
    return mapToSource(index(row, 0)).row() + 1;
}

QVariant BookListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QSortFilterProxyModel::data(index, role);
    QString name = QSortFilterProxyModel::data(index, Qt::DisplayRole).toString();
    // The 連名 after the name.
    if (const auto *book = qobject_cast<const BookDocument *>(sourceModel())) {
        JointNames joint = jointNamesOf(book->recordData(mapToSource(index).row()));
        if (!joint.isEmpty()) {
            QStringList names{name};
            for (const JointName &other : joint)
                names.append(other.name);
            name = names.join(u'・');
        }
    }
    if (m_numbers == Numbers::Hidden)
        return name;
    return QStringLiteral("%1  %2").arg(mapToSource(index).row() + 1).arg(name);
}

bool BookListModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const {
    if (m_hidden)
        return false;
    if (m_search.isEmpty())
        return true;
    const auto *book = qobject_cast<const BookDocument *>(sourceModel());
    return !book || m_search.matches(book->record(sourceRow + 1), book->recordData(sourceRow));
}

bool BookListModel::filterAcceptsColumn(int sourceColumn, const QModelIndex &) const {
    return sourceColumn == NameColumn;
}

} // namespace nvl
