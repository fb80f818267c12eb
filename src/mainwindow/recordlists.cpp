#include "recordlists.h"

#include <QListWidget>

namespace nvl {

RecordLists::RecordLists(QWidget *parent,
                         const std::array<const char *, AddressRecord::FieldCount> &names) {
    for (int i = 0; i < AddressRecord::FieldCount; ++i) {
        auto *list = new QListWidget(parent);
        list->setObjectName(QLatin1String(names.at(i)));
        if (i > 0)
            list->hide();
        m_lists.at(i) = list;
    }
}

int RecordLists::count() const {
    return m_lists.at(0)->count();
}

void RecordLists::append(const AddressRecord &record) {
    for (int i = 0; i < AddressRecord::FieldCount; ++i)
        m_lists.at(i)->addItem(record.fields.at(i));
}

void RecordLists::removeAt(int index) {
    for (QListWidget *list : m_lists)
        delete list->takeItem(index);
}

void RecordLists::clear() {
    for (QListWidget *list : m_lists)
        list->clear();
}

AddressRecord RecordLists::recordAt(int index) const {
    AddressRecord record;
    for (int i = 0; i < AddressRecord::FieldCount; ++i)
        record.fields.at(i) = m_lists.at(i)->item(index)->text();
    return record;
}

} // namespace nvl
