#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

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
    QString href; // as the server names it (a path)
    QString etag;
    QByteArray card; // the vCard, when fetched
};

// The requests of RFC 6352 the sync needs, each waited for in turn; made
// from whatever thread the client lives in. Updates and creations are
// conditional (If-Match, If-None-Match: *), so another client's change
// is never overwritten.
class CardDavClient {
public:
    explicit CardDavClient(DavAccount account);
    ~CardDavClient();

    const DavAccount &account() const { return m_account; }
    // Called before each request; a sync cancelled from outside stops there.
    std::function<bool()> cancelled;

    std::optional<DavCollection> collection(DavError *error);
    // Every contact of the address book, with its ETag.
    std::optional<QList<DavItem>> list(DavError *error);
    // The contacts named, with their vCards (addressbook-multiget).
    std::optional<QList<DavItem>> fetch(const QStringList &hrefs, DavError *error);
    // Writes a contact; its new ETag (empty when the server gave none).
    // `etag` empty: a creation, refused (Precondition) when the href exists.
    std::optional<QString> put(const QString &href, const QByteArray &card, const QString &etag,
                               DavError *error);
    bool remove(const QString &href, const QString &etag, DavError *error);

    QUrl urlOf(const QString &href) const { return m_account.collection.resolved(QUrl(href)); }

private:
    struct Reply {
        int status = 0;
        QByteArray body;
        QByteArray etag;
    };
    std::optional<Reply> send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                              const QList<std::pair<QByteArray, QByteArray>> &headers,
                              DavError *error);
    std::optional<QList<DavItem>> multistatus(const QByteArray &body, DavError *error,
                                              const QString &what);

    DavAccount m_account;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace nvl
