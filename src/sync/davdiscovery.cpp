#include "davdiscovery.h"

#include "davurl.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::DavDiscovery", text);
}

// What one <D:response> of a multistatus says about its resource.
struct DavResource {
    QString href;
    bool collection = false;
    bool addressBook = false;
    QString displayName;
    QString principal; // current-user-principal
    QStringList homes; // addressbook-home-set
};

QList<DavResource> resources(const QByteArray &body) {
    QList<DavResource> found;
    QXmlStreamReader xml(body);
    QStringList open;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && !open.isEmpty()) {
            open.removeLast();
            continue;
        }
        if (!xml.isStartElement())
            continue;
        const QString name = xml.name().toString();
        const QString parent = open.value(open.size() - 1);
        if (name == QLatin1String("response"))
            found.append(DavResource{});
        else if (!found.isEmpty() && name == QLatin1String("href")) {
            const QString href = xml.readElementText().trimmed();
            if (parent == QLatin1String("response"))
                found.last().href = href;
            else if (parent == QLatin1String("current-user-principal"))
                found.last().principal = href;
            else if (parent == QLatin1String("addressbook-home-set"))
                found.last().homes.append(href);
            continue; // its end was read with its text
        } else if (!found.isEmpty() && name == QLatin1String("displayname")) {
            found.last().displayName = xml.readElementText().trimmed();
            continue;
        } else if (!found.isEmpty() && parent == QLatin1String("resourcetype")) {
            found.last().collection |= name == QLatin1String("collection");
            found.last().addressBook |= name == QLatin1String("addressbook");
        }
        open.append(name);
    }
    return found;
}

const QByteArray AboutTheUser = "<D:resourcetype/><D:displayname/><D:current-user-principal/>"
                                "<C:addressbook-home-set/>";

} // namespace

std::optional<QList<DavAddressBook>> findAddressBooks(CardDavClient &client, DavError *error) {
    const QUrl typed = client.collectionUrl();
    const auto ask = [&client,
                      error](const QUrl &url, const QByteArray &depth,
                             const QByteArray &props) -> std::optional<QList<DavResource>> {
        const auto reply = client.propfind(url, depth, props, error);
        if (!reply)
            return std::nullopt;
        return reply->first == 207 ? resources(reply->second) : QList<DavResource>{};
    };
    // /.well-known/carddav: its server's root answers for it here (a
    // redirect elsewhere is not followed, not to hand the password on).
    QUrl start = typed;
    if (typed.path().startsWith(QLatin1String("/.well-known/")))
        start.setPath(QStringLiteral("/"));
    std::optional<QList<DavResource>> here = ask(start, "0", AboutTheUser);
    if (!here)
        return std::nullopt;
    const DavResource about = here->value(0);
    QList<DavAddressBook> books;
    if (about.addressBook)
        books.append({typed, about.displayName, -1});
    QStringList homes = about.addressBook ? QStringList() : about.homes;
    if (!about.addressBook && homes.isEmpty() && !about.principal.isEmpty()) {
        const auto principal =
            ask(typed.resolved(QUrl(about.principal)), "0", "<C:addressbook-home-set/>");
        if (!principal)
            return std::nullopt;
        for (const DavResource &resource : *principal)
            homes += resource.homes;
    }
    for (const QString &home : std::as_const(homes)) {
        const auto listed =
            ask(typed.resolved(QUrl(home)), "1", "<D:resourcetype/><D:displayname/>");
        if (!listed)
            return std::nullopt;
        for (const DavResource &resource : *listed) {
            const QUrl url = normalCollection(typed.resolved(QUrl(resource.href)));
            const bool seen = std::any_of(books.begin(), books.end(),
                                          [&url](const DavAddressBook &b) { return b.url == url; });
            if (resource.addressBook && !seen)
                books.append({url, resource.displayName, -1});
        }
    }
    for (DavAddressBook &book : books) {
        const std::optional<int> count = client.countContacts(book.url, error);
        if (!count)
            return std::nullopt;
        book.contacts = *count;
    }
    return books;
}

std::optional<DavAddressBook> addressBookNamed(const QList<DavAddressBook> &books,
                                               const QString &name) {
    for (const DavAddressBook &book : books) {
        const QString last = book.url.path().section(u'/', -2, -2);
        if (book.displayName == name || last == name || addressBookName(book) == name ||
            book.url == normalCollection(QUrl(name)))
            return book;
    }
    return std::nullopt;
}

QString addressBookName(const DavAddressBook &book) {
    return book.displayName.isEmpty() ? book.url.path().section(u'/', -2, -2) : book.displayName;
}

QStringList addressBookLines(const QList<DavAddressBook> &books) {
    QStringList lines;
    for (const DavAddressBook &book : books)
        lines.append(tr("%1\t%2\t%3 件")
                         .arg(addressBookName(book), book.url.toDisplayString(QUrl::RemoveUserInfo))
                         .arg(book.contacts));
    return lines;
}

} // namespace nvl
