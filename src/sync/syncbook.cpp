#include "syncbook.h"

#include "bookdocument.h"
#include "syncstate.h"

#include <algorithm>

namespace nvl {

SyncBook SyncBook::of(const BookDocument &book) {
    SyncBook copy;
    copy.m_records = book.book().records;
    copy.m_data = book.recordDataList();
    while (copy.m_data.size() < copy.m_records.size())
        copy.m_data.append(QJsonObject());
    // A new sync: the marks of what the last one changed go.
    for (QJsonObject &data : copy.m_data) {
        if (SyncLink link = syncLinkOf(data); link.changed) {
            link.changed = false;
            data = withSyncLink(data, link);
        }
    }
    copy.m_settings = book.bookSettings();
    copy.m_original = int(copy.m_records.size());
    return copy;
}

void SyncBook::appendRecord(const AddressRecord &record, const QJsonObject &data) {
    m_records.append(record);
    m_data.append(data);
}

void SyncBook::applyNewLinksTo(BookDocument &book) const {
    for (int row = 0; row < m_original && row < book.recordCount(); ++row)
        if (const SyncLink link = syncLinkOf(m_data.at(row)); link.isNew() && !isRemoved(row))
            book.setRecordData(row, withSyncLink(book.recordData(row), link));
}

void SyncBook::applyTo(BookDocument &book) const {
    for (int row = 0; row < m_original && row < book.recordCount(); ++row) {
        if (!(book.record(row + 1) == m_records.at(row)))
            book.setRecord(row, m_records.at(row));
        book.setRecordData(row, m_data.at(row));
    }
    // Removed first, so the additions find the room the removals made.
    QList<int> removed(m_removed.begin(), m_removed.end());
    std::sort(removed.begin(), removed.end(), std::greater<>());
    for (const int row : std::as_const(removed))
        if (row < m_original)
            book.removeRecord(row);
    for (int row = m_original; row < recordCount(); ++row) {
        if (m_removed.contains(row))
            continue;
        const int at = book.recordCount();
        if (book.insertRecord(at, m_records.at(row)))
            book.setRecordData(at, m_data.at(row));
    }
    book.setBookSettings(m_settings);
}

} // namespace nvl
