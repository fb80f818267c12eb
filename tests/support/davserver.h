#pragma once

// A CardDAV server's side in tests: requests of the test's own to the
// Radicale the CTest fixture started on 127.0.0.1.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;

namespace nvl::test {

// The fixture's server (NVL_RADICALE names its folder); empty without one.
QUrl radicaleUrl();

// Requests of the test's own, to change what a sync finds there.
class DavServer {
public:
    DavServer();
    ~DavServer();
    QUrl base;
    QString home = QStringLiteral("/alice/"); // where address books are made
    QByteArray user = "alice";                // as whom (password "secret")
    int status = 0;

    // The server a fixture started in `folder` (dav_fixture.py); false when
    // there is none.
    bool useFixture(const QString &folder);

    QByteArray send(const QByteArray &verb, const QString &path, const QByteArray &body = {},
                    const QByteArray &depth = {});
    // A new, empty address book; its URL (the name percent-encoded).
    QString addressBook(const QString &name);
    // The contacts' vCards, by file name.
    QMap<QString, QByteArray> cards(const QString &book);

private:
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace nvl::test
