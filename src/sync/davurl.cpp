#include "davurl.h"

#include <QStringList>

namespace nvl {

namespace {

bool unreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Allowed plain in a path besides the unreserved: sub-delims, ':', '@', '/'.
bool plainInPath(char c) {
    return unreserved(c) || QByteArrayView("!$&'()*+,;=:@/").contains(c);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray percentNormal(const QByteArray &path) {
    QByteArray out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        char c = path.at(i);
        bool wasEncoded = false;
        if (c == '%' && i + 2 < path.size() && hexValue(path.at(i + 1)) >= 0 &&
            hexValue(path.at(i + 2)) >= 0) {
            c = char(hexValue(path.at(i + 1)) * 16 + hexValue(path.at(i + 2)));
            i += 2;
            wasEncoded = true;
        }
        // An encoded '/' or other delimiter keeps its meaning: stays encoded.
        if (unreserved(c) || (!wasEncoded && plainInPath(c)))
            out += c;
        else
            out += '%' + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

QByteArray withoutDotSegments(const QByteArray &path) {
    QList<QByteArray> kept;
    const QList<QByteArray> segments = path.split('/');
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QByteArray &segment = segments.at(i);
        const bool last = i + 1 == segments.size();
        if (segment == ".") {
            if (last)
                kept.append(QByteArray());
        } else if (segment == "..") {
            if (kept.size() > 1)
                kept.removeLast();
            if (last)
                kept.append(QByteArray());
        } else {
            kept.append(segment);
        }
    }
    return kept.join('/');
}

int defaultPort(const QString &scheme) {
    return scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1;
}

} // namespace

QString normalPath(const QString &path) {
    QByteArray normal = withoutDotSegments(percentNormal(path.toUtf8()));
    if (!normal.startsWith('/'))
        normal.prepend('/');
    return QString::fromLatin1(normal);
}

QUrl normalCollection(const QUrl &url) {
    QUrl normal;
    normal.setScheme(url.scheme().toLower());
    normal.setHost(url.host().toLower());
    if (url.port() != defaultPort(normal.scheme()))
        normal.setPort(url.port());
    QString path = normalPath(url.path(QUrl::FullyEncoded));
    if (!path.endsWith(u'/'))
        path += u'/';
    normal.setPath(path, QUrl::TolerantMode);
    return normal;
}

bool sameCollection(const QString &a, const QString &b) {
    return normalCollection(QUrl(a)) == normalCollection(QUrl(b));
}

bool sentInTheClear(const QUrl &url) {
    if (url.scheme().toLower() != QLatin1String("http"))
        return false;
    const QString host = url.host().toLower();
    return host != QLatin1String("localhost") && host != QLatin1String("::1") &&
           !host.startsWith(QLatin1String("127."));
}

QString hrefInCollection(const QUrl &collection, const QString &href) {
    const QUrl base = normalCollection(collection);
    QString path = href.trimmed();
    if (const QUrl absolute(path); absolute.isValid() && !absolute.scheme().isEmpty()) {
        const QUrl there = normalCollection(absolute);
        if (there.scheme() != base.scheme() || there.host() != base.host() ||
            there.port() != base.port())
            return {};
        path = absolute.path(QUrl::FullyEncoded);
    } else if (!path.startsWith(u'/')) {
        path = base.path(QUrl::FullyEncoded) + path;
    }
    const QString normal = normalPath(path);
    const QString inside = normalPath(base.path(QUrl::FullyEncoded));
    if (!normal.startsWith(inside) || normal.size() == inside.size() || normal.endsWith(u'/'))
        return {};
    return normal;
}

} // namespace nvl
