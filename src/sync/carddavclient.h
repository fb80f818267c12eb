#pragma once

#include "secretmemory.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace nvl {

// Where a CardDAV address book is and who may use it.
struct DavAccount {
    QUrl collection; // the address book's own URL, ending in '/'
    QString user;
    QString password;
    QByteArray caCertificates; // PEM, trusted besides the system's
};

// What went wrong talking to the server, for the message the user reads.
enum class DavFailure {
    None,
    Address, // no address book there
    Authentication,
    Network,
    Certificate,
    Server,
    Precondition,
    Cancelled,
};

struct DavError {
    DavFailure failure = DavFailure::None;
    QString message; // Japanese, naming the request
    explicit operator bool() const { return failure != DavFailure::None; }
};

struct DavCollection {
    QString displayName;
    bool addressBook = false;
};

// One contact on the server: where it is and its version.
struct DavItem {
    QString href; // a path inside the collection, in normal form
    QString etag;
    QByteArray card; // the vCard, when fetched
};

// What a sync asks of an address book, each request waited for in turn.
// Hrefs are paths inside the collection in one normal form (davurl.h).
// Updates and creations are conditional (If-Match, If-None-Match: *), so
// another client's change is never overwritten.
class DavClient {
public:
    virtual ~DavClient() = default;
    // The address book's URL, in normal form.
    virtual QUrl collectionUrl() const = 0;
    virtual std::optional<DavCollection> collection(DavError *error) = 0;
    // Every contact of the address book, with its ETag.
    virtual std::optional<QList<DavItem>> list(DavError *error) = 0;
    // The contacts named, with their vCards.
    virtual std::optional<QList<DavItem>> fetch(const QStringList &hrefs, DavError *error) = 0;
    // Writes a contact; its new ETag (empty when the server gave none).
    // `etag` empty: a creation, refused (Precondition) when the href exists;
    // "*": unconditional, for a contact just read again (weak ETags).
    virtual std::optional<QString> put(const QString &href, const QByteArray &card,
                                       const QString &etag, DavError *error) = 0;
    // Deletes the contact if it is still the version `etag` names.
    virtual bool remove(const QString &href, const QString &etag, DavError *error) = 0;
    // What the server listed outside the address book, left alone.
    virtual QStringList ignored() const { return {}; }
};

// The requests of RFC 6352 over HTTP, made from whatever thread the client
// lives in.
class CardDavClient : public DavClient {
public:
    explicit CardDavClient(DavAccount account);
    ~CardDavClient() override;

    const DavAccount &account() const { return m_account; }
    // Called before each request; a sync cancelled from outside stops there.
    std::function<bool()> cancelled;

    QUrl collectionUrl() const override { return m_account.collection; }
    std::optional<DavCollection> collection(DavError *error) override;
    std::optional<QList<DavItem>> list(DavError *error) override;
    // addressbook-multiget, a hundred at a time.
    std::optional<QList<DavItem>> fetch(const QStringList &hrefs, DavError *error) override;
    std::optional<QString> put(const QString &href, const QByteArray &card, const QString &etag,
                               DavError *error) override;
    bool remove(const QString &href, const QString &etag, DavError *error) override;
    QStringList ignored() const override { return m_ignored; }

    QUrl urlOf(const QString &href) const;
    // A PROPFIND of `props` (elements of DAV: as D:, of CardDAV as C:) on a
    // URL of the same server: its status and body.
    std::optional<std::pair<int, QByteArray>> propfind(const QUrl &url, const QByteArray &depth,
                                                       const QByteArray &props, DavError *error);
    // Counts the contacts of another address book of the same server.
    std::optional<int> countContacts(const QUrl &collection, DavError *error);

private:
    struct Reply {
        int status = 0;
        QByteArray body;
        QByteArray etag;
    };
    std::optional<Reply> send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                              const QList<std::pair<QByteArray, QByteArray>> &headers,
                              DavError *error);
    enum class Ended { Finished, Cancelled, Redirected, TooLarge, Deadline, Silent };
    Ended waitFor(QNetworkReply *reply, qint64 limit);
    DavError endedEarly(Ended ended, const QString &what, QNetworkReply *reply) const;
    std::optional<QList<DavItem>> multistatus(const QByteArray &body, DavError *error,
                                              const QString &what);

    DavAccount m_account;
    NoCoreDumps m_noCoreDumps; // while the password is held
    std::unique_ptr<QNetworkAccessManager> m_network;
    QUrl m_refusedRedirect;
    QStringList m_ignored;
};

} // namespace nvl
