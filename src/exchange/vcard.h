#pragma once

#include "importresult.h"

#include <QByteArray>
#include <memory>

namespace nvl {

// Contacts from vCard text (2.1, 3.0 and 4.0, as phones and web address
// books export them; several cards a file): folded lines, CHARSET and
// quoted-printable values. The name from FN, else N (family and given name
// joined by a blank); the postal code and address from the home address,
// else the first; its extended address as the building line; 様.
// Contacts without an address are listed in `skipped`.
ImportResult readVCards(const QByteArray &bytes);

// The same, fed a chunk at a time: a file of any size is read in one pass,
// and memory holds only the lines a contact is read from.
class VCardReader {
public:
    VCardReader();
    ~VCardReader();
    void feed(const QByteArray &chunk);
    // Whether a BEGIN:VCARD has been read.
    bool begun() const;
    // The contacts read; the reader starts afresh.
    ImportResult finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The records as vCard 3.0 in UTF-8: FN and N, the address as locality
// (住所１), street (住所２), extended address (建物名) and postal code.
// From each record's companion data (`data` by record index): 連名 as
// X-NVL-RENMEI:name\;honorific, the reading as X-PHONETIC-LAST-NAME and
// -FIRST-NAME, tags as CATEGORIES.
// One logical line as written: folded at 75 octets, never inside a
// character (RFC 6350, 3.2), ending in CRLF.
QByteArray foldedVCardLine(const QByteArray &line);

QByteArray writeVCards(const QList<AddressRecord> &records, const QList<QJsonObject> &data = {});

// Text as one vCard value or component holds it: '\\', ';', ',' and line
// breaks escaped (RFC 6350, 3.4).
QString escapedVCardText(const QString &text);

// 住所１ parted into its prefecture (都道府県) and the rest, as vCard's region
// and locality hold them; no prefecture when it does not start with one.
std::pair<QString, QString> splitPrefecture(const QString &address1);

} // namespace nvl
