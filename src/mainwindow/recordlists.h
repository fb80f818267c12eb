#pragma once

#include "addressrecord.h"

#include <QList>

class QListWidget;
class QWidget;

namespace nvl {

// Seven parallel lists, one field of a record per list, kept in step: the
// book lists and the print lists of the main window. Only the name list is
// shown; item i of every list belongs to the same record.
class RecordLists {
public:
    // Creates the seven lists as children of `parent`, named by `names` in
    // field order 1 to 7; all but the name list are hidden.
    RecordLists(QWidget *parent, const std::array<const char *, AddressRecord::FieldCount> &names);

    QListWidget *nameList() const { return m_lists.at(0); }

    int count() const;
    void append(const AddressRecord &record);
    void removeAt(int index);
    void clear();
    AddressRecord recordAt(int index) const;

private:
    std::array<QListWidget *, AddressRecord::FieldCount> m_lists{};
};

} // namespace nvl
