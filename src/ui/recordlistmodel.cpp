#include "recordlistmodel.h"

#include "bookdocument.h"
#include "jointnames.h"

#include <algorithm>

namespace nvl {

int RecordListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const AddressRecord &entry = m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shownName(index.row());
    case RecordRole:
        return QVariant::fromValue(entry);
    default:
        return {};
    }
}

QString RecordListModel::shownName(int row) const {
    const AddressRecord &entry = m_records.at(row);
    QString name = entry.field(AddressRecord::Name);
    // The 連名 after the name, as the book list shows them, while the book
    // still holds this very record under its number.
    const int number = m_numbers.value(row);
    if (!m_book || number < 1 || number > m_book->recordCount() ||
        !(m_book->record(number) == entry))
        return name;
    for (const JointName &joint : jointNamesOf(m_book->recordData(number - 1)))
        name += u'・' + joint.name;
    return name;
}

void RecordListModel::setRecords(const QList<AddressRecord> &records) {
    beginResetModel();
    m_records = records;
    m_numbers = QList<int>(records.size(), 0);
    endResetModel();
    emit countChanged(count());
}

void RecordListModel::append(const QList<AddressRecord> &records, const QList<int> &numbers) {
    if (records.isEmpty())
        return;
    beginInsertRows({}, count(), count() + static_cast<int>(records.size()) - 1);
    m_records.append(records);
    for (qsizetype i = 0; i < records.size(); ++i)
        m_numbers.append(numbers.value(i));
    endInsertRows();
    emit countChanged(count());
}

void RecordListModel::removeRowList(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows) {
        if (row < 0 || row >= count())
            continue;
        beginRemoveRows({}, row, row);
        m_records.removeAt(row);
        m_numbers.removeAt(row);
        endRemoveRows();
    }
    if (!rows.isEmpty())
        emit countChanged(count());
}

} // namespace nvl
