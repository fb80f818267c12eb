#pragma once

#include "importresult.h"

#include <QByteArray>

namespace nvl {

// Contacts from vCard text (2.1, 3.0 and 4.0, as phones and web address
// books export them; several cards a file): folded lines, CHARSET and
// quoted-printable values. The name from FN, else N (family and given name
// joined by a blank); the postal code and address from the home address,
// else the first; its extended address as the building line; 様.
// Contacts without an address are listed in `skipped`.
ImportResult readVCards(const QByteArray &bytes);

// The records as vCard 3.0 in UTF-8: FN and N, the address as locality
// (住所１), street (住所２), extended address (建物名) and postal code.
QByteArray writeVCards(const QList<AddressRecord> &records);

} // namespace nvl
