#pragma once

#include "addressrecord.h"

#include <QJsonObject>
#include <QList>
#include <QSet>

namespace nvl {

class BookDocument;

// The book as a sync works on it: a copy, so the network work can run away
// from the window that shows the book. Rows keep their places; removals are
// kept aside and new records go after the book's own, so the copy applies
// back onto the open book as a handful of edits.
class SyncBook {
public:
    static SyncBook of(const BookDocument &book);

    int recordCount() const { return int(m_records.size()); }
    const AddressRecord &record(int row) const { return m_records.at(row); }
    const QJsonObject &recordData(int row) const { return m_data.at(row); }
    void setRecord(int row, const AddressRecord &record) { m_records[row] = record; }
    void setRecordData(int row, const QJsonObject &data) { m_data[row] = data; }
    void appendRecord(const AddressRecord &record, const QJsonObject &data);
    // Removed when applied; the row keeps its place until then.
    void removeRecord(int row) { m_removed.insert(row); }
    bool isRemoved(int row) const { return m_removed.contains(row); }
    // Records the book will hold once applied.
    int keptCount() const { return recordCount() - int(m_removed.size()); }
    QJsonObject settings() const { return m_settings; }
    void setSettings(const QJsonObject &settings) { m_settings = settings; }

    // Makes the open book hold what the copy holds (it must still hold what
    // the copy was taken from). The caller saves.
    void applyTo(BookDocument &book) const;
    // Only the links of records about to be sent as new contacts: what a
    // save before the uploads keeps. Nothing else of the copy is settled yet.
    void applyNewLinksTo(BookDocument &book) const;

private:
    QList<AddressRecord> m_records;
    QList<QJsonObject> m_data;
    QJsonObject m_settings;
    int m_original = 0;
    QSet<int> m_removed;
};

} // namespace nvl
