#pragma once

#include "addressrecord.h"

#include <QList>

namespace nvl {

// Moves record `source` to position `destination` (both from 1): the
// records between shift by one towards the old place. Equal positions keep
// the order.
QList<AddressRecord> moveRecord(const QList<AddressRecord> &records, int source, int destination);

} // namespace nvl
