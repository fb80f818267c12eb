#pragma once

#include "addressrecord.h"

#include <QAbstractListModel>
#include <QList>

namespace nvl {

class BookDocument;

// A list of address records for item views: one row a record, shown by its
// name, with the number (from 1) it has in the book, 0 when it has none.
// The main window's print list is one.
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

    // The book numbers, row by row.
    const QList<int> &numbers() const { return m_numbers; }

    // The book the numbers refer to: its 連名 are shown after the names.
    void setBook(const BookDocument *book) { m_book = book; }

    void setRecords(const QList<AddressRecord> &records);
    void append(const QList<AddressRecord> &records, const QList<int> &numbers = {});
    // Removes the given rows (any order, duplicates ignored).
    void removeRowList(QList<int> rows);
    void clear() { setRecords({}); }

signals:
    void countChanged(int count);

private:
    QString shownName(int row) const;

    const BookDocument *m_book = nullptr;
    QList<AddressRecord> m_records;
    QList<int> m_numbers;
};

} // namespace nvl
