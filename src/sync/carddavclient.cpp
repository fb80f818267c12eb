#include "carddavclient.h"
#include "davurl.h"
#include "logging.h"
#include "secretmemory.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QXmlStreamReader>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::CardDav", text);
}

const QByteArray DavNs = "DAV:";
const QByteArray CardNs = "urn:ietf:params:xml:ns:carddav";

bool isNetworkError(QNetworkReply::NetworkError error) {
    return error == QNetworkReply::ConnectionRefusedError ||
           error == QNetworkReply::RemoteHostClosedError ||
           error == QNetworkReply::HostNotFoundError || error == QNetworkReply::TimeoutError ||
           error == QNetworkReply::OperationCanceledError ||
           error == QNetworkReply::TemporaryNetworkFailureError ||
           error == QNetworkReply::NetworkSessionFailedError ||
           error == QNetworkReply::UnknownNetworkError ||
           error == QNetworkReply::ProxyConnectionRefusedError ||
           error == QNetworkReply::ProxyConnectionClosedError ||
           error == QNetworkReply::ProxyNotFoundError || error == QNetworkReply::ProxyTimeoutError;
}

// The most any one request may take, whatever the server does: 2 minutes,
// or NVL_SYNC_DEADLINE_SECONDS for links known to be slower (and tests).
int deadlineMs() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("NVL_SYNC_DEADLINE_SECONDS", &ok);
    return ok && seconds > 0 ? seconds * 1000 : 120000;
}

bool sameOrigin(const QUrl &a, const QUrl &b) {
    const QUrl x = normalCollection(a);
    const QUrl y = normalCollection(b);
    return x.scheme() == y.scheme() && x.host() == y.host() && x.port() == y.port();
}

constexpr qint64 MiB = qint64(1024) * 1024;

} // namespace

CardDavClient::~CardDavClient() {
    m_network.reset();
    wipeSecret(m_account.password);
}

CardDavClient::CardDavClient(DavAccount account)
    : m_account(std::move(account)), m_network(std::make_unique<QNetworkAccessManager>()) {
    m_account.collection = normalCollection(m_account.collection);
    // Credentials answer the server's own challenge (Basic or Digest), for
    // the address book's origin only, and once a request: a refused
    // password ends in 401 rather than a loop.
    QObject::connect(m_network.get(), &QNetworkAccessManager::authenticationRequired,
                     m_network.get(), [this](QNetworkReply *reply, QAuthenticator *authenticator) {
                         if (m_account.user.isEmpty() ||
                             !sameOrigin(reply->url(), m_account.collection) ||
                             reply->property("nvlAsked").toBool())
                             return;
                         reply->setProperty("nvlAsked", true);
                         authenticator->setUser(m_account.user);
                         authenticator->setPassword(m_account.password);
                     });
}

QUrl CardDavClient::urlOf(const QString &href) const {
    QUrl url = m_account.collection;
    url.setPath(href, QUrl::TolerantMode);
    return url;
}

std::optional<CardDavClient::Reply>
CardDavClient::send(const QByteArray &verb, const QUrl &url, const QByteArray &body,
                    const QList<std::pair<QByteArray, QByteArray>> &headers, DavError *error) {
    const QString what = QStringLiteral("%1 %2").arg(QString::fromLatin1(verb), url.path());
    const auto stopped = [error] {
        *error = {DavFailure::Cancelled, tr("同期を中止しました。")};
        return std::nullopt;
    };
    if (cancelled && cancelled())
        return stopped();
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    request.setTransferTimeout(30000);
    // Followed only to the same scheme, host and port.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    if (url.scheme() == QLatin1String("https") && !m_account.caCertificates.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(QSslCertificate::fromData(m_account.caCertificates));
        request.setSslConfiguration(tls);
    }
    QElapsedTimer timer;
    timer.start();
    QNetworkReply *reply = m_network->sendCustomRequest(request, verb, body);
    const Ended ended = waitFor(reply, verb == "REPORT" ? 64 * MiB : 8 * MiB);
    reply->deleteLater();
    if (ended == Ended::Cancelled || (cancelled && cancelled()))
        return stopped();
    Reply answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (ended == Ended::Finished && reply->isOpen())
        answer.body = reply->readAll();
    answer.etag = reply->rawHeader("ETag");
    // The path only: the URL's user-info and the headers stay out of logs.
    qCInfo(lcSync).noquote() << QStringLiteral("%1 → %2, %3 bytes sent, %4 received, %5 ms %6")
                                    .arg(what)
                                    .arg(answer.status)
                                    .arg(body.size())
                                    .arg(answer.body.size())
                                    .arg(timer.elapsed())
                                    .arg(answer.status == 0 ? reply->errorString() : QString());
    if (ended != Ended::Finished) {
        *error = endedEarly(ended, what, reply);
        return std::nullopt;
    }
    if (answer.status == 401 || answer.status == 403) {
        *error = {DavFailure::Authentication,
                  tr("サーバーがユーザー名かパスワードを受け付けません（%1: HTTP %2）。")
                      .arg(what)
                      .arg(answer.status)};
        return std::nullopt;
    }
    if (answer.status >= 500) {
        *error = {DavFailure::Server,
                  tr("サーバーが混み合っているか、応じられない状態です（%1: HTTP %2）。"
                     "しばらくしてから、もう一度同期してください。")
                      .arg(what)
                      .arg(answer.status)};
        return std::nullopt;
    }
    if (answer.status == 0) {
        const QNetworkReply::NetworkError code = reply->error();
        if (code == QNetworkReply::SslHandshakeFailedError)
            *error = {
                DavFailure::Certificate,
                tr("サーバーの証明書を確かめられません（%1）：%2").arg(what, reply->errorString())};
        else
            *error = {isNetworkError(code) ? DavFailure::Network : DavFailure::Server,
                      tr("サーバーにつながりません（%1）：%2").arg(what, reply->errorString())};
        return std::nullopt;
    }
    return answer;
}

// Waits for the reply within the bounds: a redirect elsewhere, an answer
// past `limit` bytes, the deadline or a cancel abort it at once.
CardDavClient::Ended CardDavClient::waitFor(QNetworkReply *reply, qint64 limit) {
    Ended ended = Ended::Finished;
    const auto stop = [reply, &ended](Ended why) {
        if (ended == Ended::Finished)
            ended = why;
        reply->abort();
    };
    // The handlers hold this call's locals: they end with it, though the
    // reply lives on and may still signal (an aborted TLS redirect does).
    QObject guard;
    QObject::connect(reply, &QNetworkReply::redirected, &guard,
                     [this, reply, stop](const QUrl &to) {
                         if (sameOrigin(to, m_account.collection)) {
                             emit reply->redirectAllowed();
                             return;
                         }
                         m_refusedRedirect = to;
                         stop(Ended::Redirected);
                     });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &guard,
                     [limit, stop](qint64 received, qint64 total) {
                         if (received > limit || total > limit)
                             stop(Ended::TooLarge);
                     });
    QObject::connect(reply, &QNetworkReply::readyRead, &guard, [reply, limit, stop] {
        if (reply->bytesAvailable() > limit)
            stop(Ended::TooLarge);
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &guard, [stop] { stop(Ended::Deadline); });
    deadline.start(deadlineMs());
    // A cancel does not wait for a slow server to answer.
    QTimer poll;
    if (cancelled) {
        QObject::connect(&poll, &QTimer::timeout, &guard, [this, stop] {
            if (cancelled())
                stop(Ended::Cancelled);
        });
        poll.start(50);
    }
    if (!reply->isFinished())
        loop.exec();
    if (ended == Ended::Finished && reply->error() == QNetworkReply::OperationCanceledError)
        ended = Ended::Silent; // the transfer timeout's abort
    return ended;
}

DavError CardDavClient::endedEarly(Ended ended, const QString &what, QNetworkReply *reply) const {
    switch (ended) {
    case Ended::Redirected:
        return {DavFailure::Address,
                tr("サーバーが別のアドレス「%1」へ移るよう求めました（%2）。パスワードを"
                   "ほかへ渡さないため、従っていません。同期の設定で URL を確かめてください。")
                    .arg(m_refusedRedirect.toDisplayString(QUrl::RemoveUserInfo), what)};
    case Ended::TooLarge:
        return {DavFailure::Server, tr("サーバーの応答が大きすぎます（%1）。").arg(what)};
    case Ended::Deadline:
        return {
            DavFailure::Network,
            (deadlineMs() % 60000 == 0
                 ? tr("サーバーが %1 分たっても応答を終えません（%2）。").arg(deadlineMs() / 60000)
                 : tr("サーバーが %1 秒たっても応答を終えません（%2）。").arg(deadlineMs() / 1000))
                .arg(what)};
    case Ended::Silent:
        return {DavFailure::Network, tr("サーバーが 30 秒間応答しません（%1）。").arg(what)};
    case Ended::Finished:
    case Ended::Cancelled:
        break;
    }
    return {DavFailure::Network,
            tr("サーバーにつながりません（%1）：%2").arg(what, reply->errorString())};
}

std::optional<QList<DavItem>> CardDavClient::multistatus(const QByteArray &body, DavError *error,
                                                         const QString &what) {
    QList<DavItem> items;
    QXmlStreamReader xml(body);
    DavItem item;
    bool okStatus = true;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("response")) {
                item = DavItem();
                okStatus = true;
            } else if (name == QLatin1String("href") && item.href.isEmpty()) {
                item.href = xml.readElementText().trimmed();
            } else if (name == QLatin1String("getetag")) {
                item.etag = xml.readElementText().trimmed();
            } else if (name == QLatin1String("address-data")) {
                item.card = xml.readElementText().toUtf8();
            } else if (name == QLatin1String("status")) {
                okStatus = okStatus && xml.readElementText().contains(QLatin1String(" 200"));
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("response")) {
            // Named as the server likes (encoded or not, a path or a URL);
            // kept in one form, and only inside the address book.
            const QString listed = item.href;
            item.href = hrefInCollection(m_account.collection, listed);
            if (item.href.isEmpty() && !listed.endsWith(u'/') && !m_ignored.contains(listed))
                m_ignored.append(listed);
            if (!item.href.isEmpty() && okStatus)
                items.append(item);
        }
    }
    if (xml.hasError()) {
        *error = {DavFailure::Server,
                  tr("サーバーの応答を読めません（%1）：%2").arg(what, xml.errorString())};
        return std::nullopt;
    }
    return items;
}

std::optional<DavCollection> CardDavClient::collection(DavError *error) {
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/>"
                            "<D:displayname/></D:prop></D:propfind>";
    const std::optional<Reply> reply =
        send("PROPFIND", m_account.collection, body,
             {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}}, error);
    if (!reply)
        return std::nullopt;
    if (reply->status != 207) {
        *error = {DavFailure::Address,
                  tr("「%1」はアドレス帳ではありません（HTTP %2）。")
                      .arg(m_account.collection.toDisplayString(QUrl::RemoveUserInfo))
                      .arg(reply->status)};
        return std::nullopt;
    }
    DavCollection found;
    QXmlStreamReader xml(reply->body);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("addressbook") &&
            xml.namespaceUri() == QLatin1String(CardNs))
            found.addressBook = true;
        else if (xml.name() == QLatin1String("displayname"))
            found.displayName = xml.readElementText().trimmed();
    }
    if (!found.addressBook) {
        *error = {DavFailure::Address,
                  tr("「%1」は CardDAV のアドレス帳ではありません。")
                      .arg(m_account.collection.toDisplayString(QUrl::RemoveUserInfo))};
        return std::nullopt;
    }
    return found;
}

std::optional<QList<DavItem>> CardDavClient::list(DavError *error) {
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/>"
                            "<D:resourcetype/></D:prop></D:propfind>";
    const std::optional<Reply> reply =
        send("PROPFIND", m_account.collection, body,
             {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}, error);
    if (!reply)
        return std::nullopt;
    if (reply->status != 207) {
        *error = {DavFailure::Server,
                  tr("アドレス帳の一覧を受け取れません（HTTP %1）。").arg(reply->status)};
        return std::nullopt;
    }
    std::optional<QList<DavItem>> items = multistatus(reply->body, error, tr("一覧"));
    if (!items)
        return std::nullopt;
    // The collection itself is listed too; it is no contact.
    items->removeIf([](const DavItem &item) { return item.etag.isEmpty(); });
    return items;
}

std::optional<std::pair<int, QByteArray>> CardDavClient::propfind(const QUrl &url,
                                                                  const QByteArray &depth,
                                                                  const QByteArray &props,
                                                                  DavError *error) {
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<D:propfind xmlns:D=\"DAV:\" "
                            "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:prop>" +
                            props + "</D:prop></D:propfind>";
    const std::optional<Reply> reply =
        send("PROPFIND", url, body,
             {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}}, error);
    if (!reply)
        return std::nullopt;
    return std::pair{reply->status, reply->body};
}

std::optional<int> CardDavClient::countContacts(const QUrl &collection, DavError *error) {
    const QUrl own = m_account.collection;
    m_account.collection = normalCollection(collection);
    const std::optional<QList<DavItem>> items = list(error);
    m_account.collection = own;
    return items ? std::optional<int>(int(items->size())) : std::nullopt;
}

std::optional<QList<DavItem>> CardDavClient::fetch(const QStringList &hrefs, DavError *error) {
    QList<DavItem> all;
    constexpr qsizetype Batch = 100;
    for (qsizetype from = 0; from < hrefs.size(); from += Batch) {
        QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                          "<C:addressbook-multiget xmlns:D=\"DAV:\" "
                          "xmlns:C=\"urn:ietf:params:xml:ns:carddav\">"
                          "<D:prop><D:getetag/><C:address-data/></D:prop>";
        for (const QString &href : hrefs.mid(from, Batch))
            body += "<D:href>" + href.toHtmlEscaped().toUtf8() + "</D:href>";
        body += "</C:addressbook-multiget>";
        const std::optional<Reply> reply =
            send("REPORT", m_account.collection, body,
                 {{"Depth", "1"}, {"Content-Type", "application/xml; charset=utf-8"}}, error);
        if (!reply)
            return std::nullopt;
        if (reply->status != 207) {
            *error = {DavFailure::Server,
                      tr("連絡先を受け取れません（HTTP %1）。").arg(reply->status)};
            return std::nullopt;
        }
        const std::optional<QList<DavItem>> items = multistatus(reply->body, error, tr("連絡先"));
        if (!items)
            return std::nullopt;
        all += *items;
    }
    return all;
}

std::optional<QString> CardDavClient::put(const QString &href, const QByteArray &card,
                                          const QString &etag, DavError *error) {
    QList<std::pair<QByteArray, QByteArray>> headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    using Header = std::pair<QByteArray, QByteArray>;
    if (etag.isEmpty())
        headers.append(Header{"If-None-Match", "*"});
    else if (etag != QLatin1String("*"))
        headers.append(Header{"If-Match", etag.toUtf8()});
    const std::optional<Reply> reply = send("PUT", urlOf(href), card, headers, error);
    if (!reply)
        return std::nullopt;
    if (reply->status == 412) {
        *error = {DavFailure::Precondition,
                  tr("サーバーの連絡先がほかで変更されています（%1）。").arg(href)};
        return std::nullopt;
    }
    if (reply->status < 200 || reply->status >= 300) {
        *error = {DavFailure::Server,
                  tr("連絡先を書き込めません（%1: HTTP %2）。").arg(href).arg(reply->status)};
        return std::nullopt;
    }
    return QString::fromUtf8(reply->etag);
}

bool CardDavClient::remove(const QString &href, const QString &etag, DavError *error) {
    const std::optional<Reply> reply =
        send("DELETE", urlOf(href), {}, {{"If-Match", etag.toUtf8()}}, error);
    if (!reply)
        return false;
    if (reply->status == 412) {
        *error = {DavFailure::Precondition,
                  tr("サーバーの連絡先がほかで変更されています（%1）。").arg(href)};
        return false;
    }
    if ((reply->status < 200 || reply->status >= 300) && reply->status != 404) {
        *error = {DavFailure::Server,
                  tr("連絡先を削除できません（%1: HTTP %2）。").arg(href).arg(reply->status)};
        return false;
    }
    return true;
}

} // namespace nvl
