// ファイル → 同期 of a 300-record book against Radicale (started and stopped
// here on 127.0.0.1), in the program wired as main() wires it, while a
// timer asks the event loop every 10 ms whether it is still answering.
// Prints each sync's time and the longest gap between two ticks: what a
// user would feel as the window freezing.
#include "wiredprogram.h"

#include "carddavclient.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace {

// The password as the keyring would give it.
class OneSecret : public nvl::SecretStore {
public:
    Result read(const QString &) override { return {Outcome::Ok, QStringLiteral("secret"), {}}; }
    Result write(const QString &, const QString &) override { return {}; }
    Result remove(const QString &) override { return {}; }
};

bool fixture(const char *command, const QString &folder) {
    QStringList arguments{QStringLiteral(NVL_SOURCE_DIR "/tests/support/dav_fixture.py"),
                          QString::fromLatin1(command)};
    if (qstrcmp(command, "start") == 0)
        arguments.append(QStringLiteral("radicale"));
    return QProcess::execute(QStringLiteral("python3"), arguments << folder) == 0;
}

bool makeAddressBook(const QUrl &url) {
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Basic " + QByteArray("alice:secret").toBase64());
    QNetworkReply *reply = network.sendCustomRequest(
        request, "MKCOL",
        "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype>"
        "<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>");
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 201;
}

// Every contact's street changed on the server, as another device would.
bool changeOnServer(const QUrl &url) {
    nvl::CardDavClient client({url, QStringLiteral("alice"), QStringLiteral("secret"), {}});
    nvl::DavError error;
    const std::optional<QList<nvl::DavItem>> listed = client.list(&error);
    QStringList hrefs;
    for (const nvl::DavItem &item : listed.value_or(QList<nvl::DavItem>()))
        hrefs.append(item.href);
    const std::optional<QList<nvl::DavItem>> cards = client.fetch(hrefs, &error);
    for (const nvl::DavItem &item : cards.value_or(QList<nvl::DavItem>())) {
        QByteArray card = item.card;
        if (!client.put(item.href, card.replace("一丁目", "二丁目"), item.etag, &error))
            return false;
    }
    return cards && cards->size() == 300;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    QTemporaryDir server;
    if (!fixture("start", server.path()))
        return 1;
    QFile urlFile(server.filePath(QStringLiteral("url")));
    urlFile.open(QIODevice::ReadOnly);
    const QUrl url =
        QUrl(QString::fromUtf8(urlFile.readAll()).trimmed()).resolved(QUrl("/alice/bench/"));
    int status = 0;
    if (!makeAddressBook(url)) {
        std::fprintf(stderr, "no address book on the server\n");
        status = 1;
    }

    WiredProgram program;
    OneSecret secret;
    program.platform.secrets = &secret;
    using nvl::WindowId;
    program.window(WindowId::Main)->showForm();
    program.click(WindowId::Main, "cmdOpen");
    QCoreApplication::processEvents();
    nvl::BookDocument &book = program.context.book;
    book.setBookSettings(
        {{QStringLiteral("sync"), QJsonObject{{QStringLiteral("collection"), url.toString()},
                                              {QStringLiteral("user"), QStringLiteral("alice")}}}});
    (void)book.lock(book.filePath(), 0);
    const bool saved = book.save().ok();
    book.unlock();
    auto *sync = program.window(WindowId::Main)->findChild<QAction *>(QStringLiteral("mnuSync"));
    if (!saved || !sync || book.recordCount() != 300) {
        std::fprintf(stderr, "the book did not open\n");
        status = 1;
    }

    // The closing message is read and answered as a user does.
    QString said;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&said] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            said = box->text();
            box->accept();
        }
    });
    answer.start(50);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longest = std::max(longest, sinceTick.restart()); });
    const std::pair<const char *, bool> runs[] = {{"first sync, 300 uploads", false},
                                                  {"300 contacts, no changes", false},
                                                  {"300 changed on the server", true}};
    for (const auto &[what, serverChanges] : runs) {
        if (status != 0)
            break;
        if (serverChanges && !changeOnServer(url)) {
            std::fprintf(stderr, "the server's contacts could not be changed\n");
            status = 1;
            break;
        }
        said.clear();
        longest = 0;
        QElapsedTimer took;
        took.start();
        sinceTick.start();
        probe.start(10);
        sync->trigger();
        probe.stop();
        std::printf("%-28s %6.2f s, longest stall %4lld ms (%s)\n", what,
                    double(took.elapsed()) / 1000.0, static_cast<long long>(longest),
                    qPrintable(said.section(u'\n', 1).replace(u'\n', QStringLiteral(" / "))));
        if (!said.startsWith(QStringLiteral("同期しました")))
            status = 1;
    }
    fixture("stop", server.path());
    return status;
}
