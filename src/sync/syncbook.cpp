#include "syncbook.h"

#include "bookdocument.h"

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
        QJsonObject sync = data.value(QStringLiteral("sync")).toObject();
        if (!sync.contains(QStringLiteral("changed")))
            continue;
        sync.remove(QStringLiteral("changed"));
        data.insert(QStringLiteral("sync"), sync);
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
    const QString key = QStringLiteral("sync");
    for (int row = 0; row < m_original && row < book.recordCount(); ++row) {
        const QJsonObject link = m_data.at(row).value(key).toObject();
        if (m_removed.contains(row) || link.value(QStringLiteral("href")).toString().isEmpty() ||
            !link.value(QStringLiteral("etag")).toString().isEmpty())
            continue;
        QJsonObject data = book.recordData(row);
        data.insert(key, link);
        book.setRecordData(row, data);
    }
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
