#pragma once

#include "addressrecord.h"

#include <QAbstractListModel>
#include <QList>

namespace nvl {

// A list of address records for item views: one row a record, shown by its
// name. The book and the print list of the main window are two of these.
class RecordListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // The whole record of a row, as an AddressRecord.
    static constexpr int RecordRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const QList<AddressRecord> &records() const { return m_records; }
    const AddressRecord &record(int row) const { return m_records.at(row); }
    int count() const { return static_cast<int>(m_records.size()); }

    void setRecords(const QList<AddressRecord> &records);
    void append(const QList<AddressRecord> &records);
    // Removes the given rows (any order, duplicates ignored).
    void removeRowList(QList<int> rows);
    void clear() { setRecords({}); }

signals:
    void countChanged(int count);

private:
    QList<AddressRecord> m_records;
};

} // namespace nvl
