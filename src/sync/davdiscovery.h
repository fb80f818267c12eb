#pragma once

#include "carddavclient.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace nvl {

// An address book the user has on the server.
struct DavAddressBook {
    QUrl url;            // the collection, in normal form
    QString displayName; // empty when it has none
    int contacts = -1;   // how many contacts it holds
};

// The user's address books, found from the URL the client was made with: an
// address book itself, the server's root, the user's principal or
// /.well-known/carddav (RFC 6764, RFC 6352 §7). None found is no failure.
std::optional<QList<DavAddressBook>> findAddressBooks(CardDavClient &client, DavError *error);

// The address book `name` (its display name, or the last part of its path)
// among those found; none when no name or URL matches.
std::optional<DavAddressBook> addressBookNamed(const QList<DavAddressBook> &books,
                                               const QString &name);

// The name a user knows it by: its display name, else its path's last part.
QString addressBookName(const DavAddressBook &book);

// One line each: name, URL and count, for a list the user chooses from.
QStringList addressBookLines(const QList<DavAddressBook> &books);

} // namespace nvl
