#include "synccommand.h"

#include "bookdocument.h"
#include "bookflows.h"
#include "davdiscovery.h"
#include "davurl.h"
#include "secretmemory.h"
#include "syncflow.h"
#include "synctask.h"
#include "textfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <memory>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::SyncCommand", text);
}

int fail(const QString &message, int status = 1) {
    std::fprintf(stderr, "nvl-hagaki sync: %s\n", qPrintable(message));
    return status;
}

void list(const QString &heading, const QStringList &items) {
    if (items.isEmpty())
        return;
    std::fprintf(stderr, "%s\n", qPrintable(heading));
    for (const QString &item : items)
        std::fprintf(stderr, "  %s\n", qPrintable(item));
}

// Answers every listed conflict one way (--prefer), for the round that
// carries the answers out; what each one replaced, a line a record.
QStringList settleConflicts(SyncBook &copy, const SyncReport &report, const QString &preferred,
                            const QUrl &url, SyncOptions *options) {
    const bool book = preferred == QLatin1String("book");
    QList<SyncAnswer> answers;
    QStringList settled;
    for (const SyncQuestion &question : report.questions) {
        const bool conflict =
            question.kind == SyncQuestion::Kind::Conflict && (book || question.server.has_value());
        answers.append(
            {conflict ? (book ? SyncChoice::Book : SyncChoice::Server) : SyncChoice::Unanswered,
             0});
        if (conflict)
            settled.append((book ? tr("サーバーを住所録の内容にしました: %1")
                                 : tr("住所録をサーバーの内容にしました: %1"))
                               .arg(question.text));
    }
    if (!settled.isEmpty())
        applyAnswers(copy, report.questions, answers,
                     normalCollection(url).path(QUrl::FullyEncoded), options);
    return settled;
}

// The address book to sync: the URL itself when it is one, else the one
// found from it (the server's root, the user's principal, .well-known), or
// the one --addressbook names. Nothing, with the exit status, when the
// command ends here: --list, none or several found, a failure.
std::optional<QUrl> chooseAddressBook(const DavAccount &account, bool listing, const QString &named,
                                      int *status) {
    CardDavClient client(account);
    DavError error;
    const QString typed = account.collection.toDisplayString(QUrl::RemoveUserInfo);
    const bool wellKnown = account.collection.path().startsWith(QLatin1String("/.well-known/"));
    if (!listing && named.isEmpty() && !wellKnown) {
        if (client.collection(&error))
            return account.collection;
        if (error.failure != DavFailure::Address) {
            *status = fail(failureHeading(error.failure) + u'\n' + error.message);
            return std::nullopt;
        }
    }
    const std::optional<QList<DavAddressBook>> books = findAddressBooks(client, &error);
    if (!books) {
        *status = fail(failureHeading(error.failure) + u'\n' + error.message);
        return std::nullopt;
    }
    const QString found = addressBookLines(*books).join(u'\n');
    if (listing) {
        if (!books->isEmpty())
            std::printf("%s\n", qPrintable(found));
        *status = books->isEmpty()
                      ? fail(tr("「%1」にアドレス帳は見つかりませんでした。").arg(typed))
                      : 0;
        return std::nullopt;
    }
    if (books->isEmpty()) {
        *status = fail(tr("「%1」にアドレス帳がありません。サーバーでアドレス帳を作るか、"
                          "ウィンドウの「同期の設定」で新しく作ってください。")
                           .arg(typed));
        return std::nullopt;
    }
    if (!named.isEmpty()) {
        if (const std::optional<DavAddressBook> book = addressBookNamed(*books, named))
            return book->url;
        *status = fail(tr("「%1」という名前のアドレス帳はありません。見つかったアドレス帳：\n%2")
                           .arg(named, found),
                       2);
        return std::nullopt;
    }
    if (books->size() > 1) {
        *status = fail(tr("「%1」にはアドレス帳が %2 件あります。--addressbook で名前を"
                          "指定してください：\n%3")
                           .arg(typed)
                           .arg(books->size())
                           .arg(found),
                       2);
        return std::nullopt;
    }
    std::fprintf(stderr, "%s\n",
                 qPrintable(tr("アドレス帳「%1」（%2）と同期します。")
                                .arg(addressBookName(books->first()),
                                     books->first().url.toDisplayString(QUrl::RemoveUserInfo))));
    return books->first().url;
}

} // namespace

int runSyncCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("住所録を CardDAV サーバーのアドレス帳と同期します (syncs a book with CardDAV)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("sync"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"), tr("address book"));
    parser.addPositionalArgument(QStringLiteral("URL"), tr("the address book's URL on the server"));
    const QCommandLineOption user(QStringLiteral("user"), tr("user name"), QStringLiteral("NAME"));
    const QCommandLineOption passwordFile(QStringLiteral("password-file"),
                                          tr("a file whose first line is the password"),
                                          QStringLiteral("FILE"));
    const QCommandLineOption caFile(QStringLiteral("ca-file"),
                                    tr("PEM certificates to trust besides the system's"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption remove(QStringLiteral("delete"),
                                    tr("apply deletions made on either side"));
    const QCommandLineOption forceDelete(
        QStringLiteral("force-delete"),
        tr("apply deletions even when every linked contact or record is gone"));
    const QCommandLineOption prefer(
        QStringLiteral("prefer"),
        tr("settle the listed conflicts with the book's or the server's version"),
        QStringLiteral("book|server"));
    const QCommandLineOption listBooks(QStringLiteral("list"),
                                       tr("list the address books found at URL; change nothing"));
    const QCommandLineOption addressBook(QStringLiteral("addressbook"),
                                         tr("the address book to sync among those found at URL"),
                                         QStringLiteral("NAME"));
    parser.addOptions(
        {user, passwordFile, caFile, remove, forceDelete, prefer, listBooks, addressBook});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText(), 2);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    QUrl url(args.value(2), QUrl::StrictMode);
    const QString preferred = parser.value(prefer);
    if (parser.isSet(prefer) && preferred != QLatin1String("book") &&
        preferred != QLatin1String("server"))
        return fail(tr("--prefer には book か server を指定してください。"), 2);
    if (args.size() != 3 || !url.isValid() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return fail(tr("使い方 (usage): nvl-hagaki sync BOOK https://SERVER/ADDRESSBOOK/ "
                       "[--user NAME] [--password-file FILE] [--ca-file FILE] [--delete] "
                       "[--force-delete] [--prefer book|server] [--list] [--addressbook NAME]"),
                    2);

    // No core dump while the password is in memory.
    const NoCoreDumps noCoreDumps;
    DavAccount account{url, parser.value(user), {}, {}};
    if (parser.isSet(passwordFile)) {
        QFile file(parser.value(passwordFile));
        if (!file.open(QIODevice::ReadOnly))
            return fail(tr("パスワードのファイル「%1」を読めません：%2")
                            .arg(file.fileName(), file.errorString()));
        account.password = QString::fromUtf8(file.readLine()).trimmed();
    }
    if (parser.isSet(caFile)) {
        QFile file(parser.value(caFile));
        if (file.open(QIODevice::ReadOnly))
            account.caCertificates = file.readAll();
        if (!account.caCertificates.contains("-----BEGIN CERTIFICATE-----"))
            return fail(tr("証明書のファイル「%1」を読めません。").arg(parser.value(caFile)));
    }

    const QString &bookPath = args.at(1);
    BookDocument book;
    book.approveUtf8 = [](const QString &path, const QStringList &characters) {
        std::fprintf(stderr, "nvl-hagaki sync: %s\n",
                     qPrintable(BookDocument::utf8Reason(path, characters)));
        return true;
    };
    const BookDocument::Locked locked = book.lock(bookPath, BookDocument::WriterWaitMs);
    if (!locked.ok)
        return fail(locked.error);
    if (const BookDocument::Loaded loaded = loadBook(book, bookPath); !loaded.ok())
        return fail(loaded.error);
    if (const QString refused = companionRefusal(book); !refused.isEmpty())
        return fail(refused);
    // The book first: what cannot be read is said before the server is asked.
    int status = 0;
    const std::optional<QUrl> chosen =
        chooseAddressBook(account, parser.isSet(listBooks), parser.value(addressBook), &status);
    if (!chosen)
        return status;
    url = *chosen;
    account.collection = url;
    // Written through the book's one save path: a new address book's
    // unlinking, the new contacts' UIDs before they are uploaded, and the
    // whole result at the end.
    SyncFlow flow(book, [&book](const std::function<void()> &edit) {
        edit();
        const BookDocument::Saved saved = book.save();
        return saved.ok() ? QString() : saved.error;
    });
    if (!book.repairedRows().isEmpty())
        std::fprintf(stderr, "%s\n",
                     qPrintable(tr("同期先のサーバーで敬称と一つになっていた連名 %1 件を、"
                                   "名前と敬称に分け直しました。")
                                    .arg(book.repairedRows().size())));
    if (const QString note = flow.adopt(url); !note.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(note));
    if (sentInTheClear(url))
        std::fprintf(
            stderr, "%s\n",
            qPrintable(tr("「%1」は暗号化されない http です。パスワードと住所録が"
                          "そのままネットワークを流れます。使えるなら https にしてください。")
                           .arg(url.toDisplayString(QUrl::RemoveUserInfo))));
    auto client = std::make_unique<CardDavClient>(account);
    wipeSecret(account.password);
    SyncBook copy = flow.copy();
    const bool force = parser.isSet(forceDelete);
    SyncOptions options{parser.isSet(remove) || force, force, {}};
    SyncReport report = SyncEngine(copy, *client, options, flow.checkpoint()).run();
    if (report.ok() && parser.isSet(prefer)) {
        const QStringList settled = settleConflicts(copy, report, preferred, url, &options);
        if (!settled.isEmpty()) {
            const SyncReport again = SyncEngine(copy, *client, options, flow.checkpoint()).run();
            if (again.ok())
                report.add(again);
            else
                report = again;
            for (const QString &line : settled)
                std::printf("%s\n", qPrintable(line));
        }
    }
    client.reset(); // and the password with it
    if (report.ok())
        report.error = flow.finish(copy);
    if (report.emptied.side != EmptiedSide::Side::None)
        return fail(report.error + u'\n' +
                    tr("削除を反映するには --force-delete を付けてください。"));
    // What failed first, in the user's words; the server's after it.
    if (!report.ok() && report.failure != DavFailure::None &&
        report.failure != DavFailure::Cancelled)
        return fail(failureHeading(report.failure) + u'\n' +
                    tr("住所録の宛名は同期の前のままです。") + u'\n' + report.error);
    if (!report.ok())
        return fail(report.error + u'\n' + tr("住所録の宛名は同期の前のままです。"));
    std::printf("%s\n", qPrintable(SyncFlow::countsText(report)));
    for (const QString &warning : std::as_const(report.warnings))
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    using Kind = SyncQuestion::Kind;
    QStringList conflicts = report.texts(Kind::Conflict);
    QStringList deletions;
    for (const SyncQuestion &question : std::as_const(report.questions))
        if (question.kind == Kind::DeletedOnServer || question.kind == Kind::DeletedInBook)
            (question.edited ? conflicts : deletions).append(question.text);
    list(tr("食い違い（住所録の内容を残しました）:"), conflicts + report.notes);
    list(tr("削除（--delete を付けると反映します）:"), deletions);
    list(tr("どれと同じか決められない宛名（送信していません）:"), report.texts(Kind::Ambiguous));
    list(tr("追加できなかった連絡先:"), report.overLimit);
    return report.leftToUser() ? 3 : 0;
}

} // namespace nvl
