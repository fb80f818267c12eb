#include "booklistmodel.h"

#include "jointnames.h"
#include "recordextras.h"

namespace nvl {

namespace {

constexpr int NameColumn = AddressRecord::Name - 1;

} // namespace

BookListModel::BookListModel(BookDocument &book, Numbers numbers, QObject *parent)
    : QSortFilterProxyModel(parent), m_numbers(numbers) {
    // Connected before the proxy's own handlers, which filter again at once.
    // The keys are worked out again when the program is idle, before the
    // next keystroke needs them.
    m_warmKeys.setSingleShot(true);
    connect(&m_warmKeys, &QTimer::timeout, this, [this] {
        if (!m_search.isEmpty())
            return;
        for (int row = 0; row < sourceModel()->rowCount(); ++row)
            keysOf(row);
    });
    const auto forget = [this] {
        m_keys.clear();
        m_warmKeys.start(0);
    };
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&book, signal, this, forget);
    connect(&book, &QAbstractItemModel::rowsMoved, this, forget);
    connect(&book, &QAbstractItemModel::modelReset, this, forget);
    connect(&book, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                for (int row = from.row(); row <= to.row() && size_t(row) < m_keys.size(); ++row)
                    m_keys[size_t(row)].reset();
                m_warmKeys.start(0);
            });
    connect(&book, &QAbstractItemModel::layoutChanged, this, forget);
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
    if (search.text == m_search.text && search.tag == m_search.tag &&
        search.marks == m_search.marks)
        return;
    m_search = search;
    invalidateRowsFilter();
}

const SearchKeys &BookListModel::keysOf(int sourceRow) const {
    const auto *book = static_cast<const BookDocument *>(sourceModel());
    if (m_keys.size() != size_t(book->recordCount()))
        m_keys.assign(size_t(book->recordCount()), std::nullopt);
    std::optional<SearchKeys> &keys = m_keys[size_t(sourceRow)];
    if (!keys)
        keys = searchKeys(book->record(sourceRow + 1), book->recordData(sourceRow));
    return *keys;
}

int BookListModel::recordNumber(int row) const {
    return mapToSource(index(row, 0)).row() + 1;
}

QVariant BookListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return QSortFilterProxyModel::data(index, role);
    QString name = QSortFilterProxyModel::data(index, Qt::DisplayRole).toString();
    bool synced = false;
    // The 連名 after the name.
    if (const auto *book = qobject_cast<const BookDocument *>(sourceModel())) {
        const QJsonObject data = book->recordData(mapToSource(index).row());
        JointNames joint = jointNamesOf(data);
        if (!joint.isEmpty()) {
            QStringList names{name};
            for (const JointName &other : joint)
                names.append(other.name);
            name = names.join(u'・');
        }
        synced = RecordExtras::changedBySync(data);
    }
    // The list shows a line's start: a name thousands of characters long
    // (a file may hold one) is not laid out whole at every repaint. Screen
    // readers still get it all.
    constexpr qsizetype ShownLength = 200;
    if (role == Qt::DisplayRole && name.size() > ShownLength)
        name =
            name.left(name.at(ShownLength - 1).isHighSurrogate() ? ShownLength - 1 : ShownLength) +
            u'…';
    // What the last sync changed, until the next one.
    if (synced)
        name += tr("　（同期で更新）");
    if (m_numbers == Numbers::Hidden)
        return name;
    return QStringLiteral("%1  %2").arg(mapToSource(index).row() + 1).arg(name);
}

bool BookListModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const {
    if (m_hidden)
        return false;
    if (m_search.isEmpty())
        return true;
    return m_search.matches(keysOf(sourceRow));
}

bool BookListModel::filterAcceptsColumn(int sourceColumn, const QModelIndex &) const {
    return sourceColumn == NameColumn;
}

} // namespace nvl
