#pragma once

#include <QString>
#include <QUrl>

namespace nvl {

// One spelling of a server's places, so that two spellings of one place
// compare equal: a path percent-encoded the one way RFC 3986 (6.2.2)
// normalises it (unreserved characters plain, the rest as upper-case %XX,
// dot segments gone), the scheme and host in lower case, no default port.

// The path in that form.
QString normalPath(const QString &path);

// The address book's URL in that form, ending in '/', without user, query
// or fragment.
QUrl normalCollection(const QUrl &url);
// Whether two texts of collection URLs name one address book.
bool sameCollection(const QString &a, const QString &b);

// Whether requests to `url` cross a network unencrypted: http to a host
// other than this computer.
bool sentInTheClear(const QUrl &url);

// The path of a contact the server lists (a path or an absolute URL),
// in normal form; empty when it is not a contact inside the collection.
QString hrefInCollection(const QUrl &collection, const QString &href);

} // namespace nvl
