#include "davserver.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

namespace nvl::test {

QUrl radicaleUrl() {
    QFile url(qEnvironmentVariable("NVL_RADICALE") + QStringLiteral("/url"));
    if (qEnvironmentVariableIsEmpty("NVL_RADICALE") || !url.open(QIODevice::ReadOnly))
        return {};
    return QUrl(QString::fromUtf8(url.readAll()).trimmed());
}

bool DavServer::useFixture(const QString &folder) {
    QFile url(folder + QStringLiteral("/url"));
    QFile homeFile(folder + QStringLiteral("/home"));
    if (folder.isEmpty() || !url.open(QIODevice::ReadOnly) || !homeFile.open(QIODevice::ReadOnly))
        return false;
    base = QUrl(QString::fromUtf8(url.readAll()).trimmed());
    home = QString::fromUtf8(homeFile.readAll()).trimmed();
    return true;
}

DavServer::DavServer() : m_network(std::make_unique<QNetworkAccessManager>()) {}

DavServer::~DavServer() = default;

QByteArray DavServer::send(const QByteArray &verb, const QString &path, const QByteArray &body,
                           const QByteArray &depth) {
    QNetworkRequest request(base.resolved(QUrl(path, QUrl::TolerantMode)));
    request.setRawHeader("Authorization", "Basic " + (user + ":secret").toBase64());
    if (!depth.isEmpty())
        request.setRawHeader("Depth", depth);
    if (verb == "PUT")
        request.setHeader(QNetworkRequest::ContentTypeHeader, "text/vcard");
    else if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml");
    QNetworkReply *reply = m_network->sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    return reply->readAll();
}

QString DavServer::addressBook(const QString &name) {
    const QString path =
        home + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QStringLiteral("/");
    send("MKCOL", path,
         "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
         "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype>"
         "<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>");
    return base.resolved(QUrl(path, QUrl::TolerantMode)).toString(QUrl::FullyEncoded);
}

QMap<QString, QByteArray> DavServer::cards(const QString &book) {
    QMap<QString, QByteArray> found;
    const QByteArray listing = send("PROPFIND", book, {}, "1");
    static const QRegularExpression href(QStringLiteral("<(?:\\w+:)?href>([^<]+\\.vcf)</"));
    for (const QRegularExpressionMatch &match : href.globalMatch(QString::fromUtf8(listing))) {
        const QString path = match.captured(1);
        found.insert(path.section(u'/', -1), send("GET", path));
    }
    return found;
}

} // namespace nvl::test
