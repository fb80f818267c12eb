#include "mainwindow.h"
#include "mainwindow_ui.h"

#include "bookquestions.h"
#include "davurl.h"
#include "syncflow.h"
#include "syncquestionsdialog.h"
#include "syncsettingsdialog.h"

#include <QEventLoop>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSet>

namespace nvl {

namespace {

QString secretKey(const SyncSettings &settings) {
    return QStringLiteral("carddav %1 %2").arg(settings.user, settings.url);
}

} // namespace

SyncSettings MainWindow::storedSyncSettings() const {
    const SyncPlace place = syncPlaceOf(m_ctx.book.bookSettings());
    return {place.collection, place.user, {}};
}

bool MainWindow::askSyncSettings(SyncSettings *settings) {
    SecretStore *secrets = m_ctx.platform.secrets;
    SecretStore::Result stored{SecretStore::Outcome::NoKeyring, {}, {}};
    if (secrets)
        stored = secrets->read(secretKey(*settings));
    if (stored.outcome == SecretStore::Outcome::Ok && settings->password.isEmpty())
        settings->password = stored.secret;
    QString note = tr("パスワードはデスクトップのキーリングに保存されます。");
    if (stored.outcome == SecretStore::Outcome::NoKeyring)
        note = tr("キーリングが使えないため、パスワードは保存されません。"
                  "同期のたびに入力してください。");
    else if (stored.outcome == SecretStore::Outcome::Failed)
        note = tr("キーリングに問い合わせられません。パスワードは保存されません。");
    SyncSettingsDialog dialog(*settings, note, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const SyncSettings before = storedSyncSettings();
    *settings = dialog.settings();

    // The URL and the user go into the companion; a new address book
    // starts again from a first sync, which links by name.
    const EditLock lock(m_ctx.platform, m_ctx.book);
    if (!lock.ok()) {
        m_ctx.platform.messages.show(lock.error() + tr("\n同期の設定は保存していません。"));
        return false;
    }
    const BookDocument::Saved saved = m_ctx.book.commit(
        [this, &before, settings] {
            if (!before.url.isEmpty() && !sameCollection(before.url, settings->url))
                SyncFlow::unlinkAll(m_ctx.book);
            BookExtras extras = BookExtras::fromJson(m_ctx.book.bookSettings());
            extras.syncCollection = settings->url;
            extras.syncUser = settings->user;
            m_ctx.book.setBookSettings(extras.toJson());
            return true;
        },
        askAboutChangedBook(m_ctx.platform));
    if (!saved.ok()) {
        if (saved.outcome == BookDocument::Saved::Outcome::Failed)
            m_ctx.platform.messages.show(saved.error + tr("\n同期の設定は保存していません。"));
        return false;
    }
    if (secrets && !settings->password.isEmpty()) {
        const SecretStore::Result written =
            secrets->write(secretKey(*settings), settings->password);
        // The keyring's own words (often English) only behind 詳細.
        if (written.outcome == SecretStore::Outcome::Failed)
            m_ctx.platform.messages.showWithDetail(
                tr("パスワードをデスクトップのキーリングに保存できませんでした。"
                   "パスワードはこの同期にだけ使い、次の同期でまた尋ねます。"),
                written.error);
    }
    return true;
}

void MainWindow::editSyncSettings() {
    SyncSettings settings = storedSyncSettings();
    askSyncSettings(&settings);
}

bool MainWindow::runSyncRound(const DavAccount &account, SyncFlow &flow, SyncBook *copy,
                              const SyncOptions &options, SyncReport *report) {
    SyncTask task;
    QProgressDialog progress(tr("住所録をサーバーと同期しています…"), tr("キャンセル"), 0, 0, this);
    progress.setObjectName(QStringLiteral("dlgSyncProgress"));
    progress.setWindowTitle(tr("同期"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    // Named for a screen reader, which reads the bar, not the dialog's text.
    if (auto *bar = progress.findChild<QProgressBar *>())
        bar->setAccessibleName(tr("同期の進み具合"));
    connect(&task, &SyncTask::progress, &progress, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    });
    connect(&progress, &QProgressDialog::canceled, &task, &SyncTask::cancel);
    QEventLoop loop;
    connect(&task, &SyncTask::finished, &loop, &QEventLoop::quit);
    task.sync(account, *copy, options, flow.checkpoint());
    progress.show();
    loop.exec();
    progress.hide();
    *report = task.report();
    *copy = task.book();
    return report->ok();
}

void MainWindow::syncBook() {
    const QString path = m_ctx.book.filePath();
    if (path.isEmpty())
        return;
    SyncSettings settings = storedSyncSettings();
    bool ready = false;
    if (SyncSettingsDialog::collectionUrl(settings.url)) {
        if (settings.user.isEmpty()) {
            ready = true;
        } else if (SecretStore *secrets = m_ctx.platform.secrets) {
            const SecretStore::Result stored = secrets->read(secretKey(settings));
            settings.password = stored.secret;
            ready = stored.outcome == SecretStore::Outcome::Ok;
        }
    }
    if (!ready && !askSyncSettings(&settings))
        return;
    const std::optional<QUrl> url = SyncSettingsDialog::collectionUrl(settings.url);
    if (!url)
        return;
    const DavAccount account{*url, settings.user, settings.password, {}};

    const EditLock lock(m_ctx.platform, m_ctx.book);
    if (!lock.ok()) {
        m_ctx.platform.messages.show(lock.error() + tr("\n同期していません。"));
        return;
    }
    if (!acceptPlainHttp(account.collection))
        return;
    // Every save of the sync through the book's one commit.
    SyncFlow flow(m_ctx.book, [this](const std::function<void()> &edit) {
        const BookDocument::Saved saved = m_ctx.book.commit(
            [&edit] {
                edit();
                return true;
            },
            askAboutChangedBook(m_ctx.platform));
        if (saved.ok())
            return QString();
        return saved.outcome == BookDocument::Saved::Outcome::Failed
                   ? saved.error
                   : tr("住所録を保存しなかったため、同期を中止しました。");
    });
    const QString note = flow.adopt(account.collection);
    SyncBook copy = flow.copy();
    SyncOptions options;
    SyncReport total;
    if (!syncRounds(account, flow, &copy, &options, &total))
        return;
    // The sync's result and the answers, in one save.
    if (const QString error = flow.finish(copy); !error.isEmpty()) {
        m_ctx.platform.messages.show(
            error + tr("\n同期の結果は住所録に保存していません。次の同期でもう一度確かめます。"));
        return;
    }
    QString text = tr("同期しました。\n") + SyncFlow::countsText(total);
    if (!note.isEmpty())
        text = note + u'\n' + text;
    if (!total.questions.isEmpty())
        text += tr("\nあとで決めるものが %1 件あります。次の同期でまた尋ねます。")
                    .arg(total.questions.size());
    for (const QString &line : std::as_const(total.overLimit) + total.notes + total.warnings)
        text += u'\n' + line;
    m_ctx.platform.messages.show(text);
}

// http across a network is asked about once for each book.
bool MainWindow::acceptPlainHttp(const QUrl &url) {
    BookExtras extras = BookExtras::fromJson(m_ctx.book.bookSettings());
    if (!sentInTheClear(url) || extras.syncPlainHttp)
        return true;
    if (m_ctx.platform.messages.show(
            tr("「%1」は暗号化されない http です。パスワードと住所録がそのままネットワークを"
               "流れます。\nそれでも同期しますか？（この住所録では、次からは尋ねません）")
                .arg(url.toDisplayString(QUrl::RemoveUserInfo)),
            MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    const BookDocument::Saved saved = m_ctx.book.commit(
        [this, &extras] {
            extras.syncPlainHttp = true;
            m_ctx.book.setBookSettings(extras.toJson());
            return true;
        },
        askAboutChangedBook(m_ctx.platform));
    if (saved.outcome == BookDocument::Saved::Outcome::Failed)
        m_ctx.platform.messages.show(saved.error);
    return saved.ok();
}

namespace {

// A question as the next round asks it again: its contact, or its record.
QString questionKey(const SyncQuestion &question) {
    return QStringLiteral("%1|%2|%3")
        .arg(int(question.kind))
        .arg(question.href)
        .arg(question.href.isEmpty() ? question.record.field(AddressRecord::Name) : QString());
}

} // namespace

// Rounds until no answer is left to carry out: answers are carried out by
// another round; one whose answers raise new questions (a contact changed
// meanwhile) asks again, twice at most. What the user left to decide later
// is not asked again in this sync. False when the sync stopped.
bool MainWindow::syncRounds(const DavAccount &account, SyncFlow &flow, SyncBook *copy,
                            SyncOptions *options, SyncReport *total) {
    const QString collectionPath = normalCollection(account.collection).path(QUrl::FullyEncoded);
    QSet<QString> postponed;
    for (int round = 0;; ++round) {
        SyncReport report;
        if (!runSyncRound(account, flow, copy, *options, &report)) {
            if (report.emptied.side != EmptiedSide::Side::None && !options->forceDelete) {
                const QString ask = report.error + u'\n' +
                                    (report.emptied.side == EmptiedSide::Side::Server
                                         ? tr("住所録からも %1 件を削除しますか？")
                                         : tr("サーバーからも %1 件を削除しますか？"))
                                        .arg(report.emptied.count);
                if (m_ctx.platform.messages.show(ask, MessageButtons::YesNo) !=
                    MessageAnswer::Yes) {
                    m_ctx.platform.messages.show(tr("同期を中止しました。住所録もサーバーも"
                                                    "そのままです。"));
                    return false;
                }
                options->applyDeletions = true;
                options->forceDelete = true;
                --round;
                continue;
            }
            showSyncFailure(report);
            return false;
        }
        total->add(report);
        QList<SyncQuestion> asked;
        for (const SyncQuestion &question : std::as_const(report.questions))
            if (!postponed.contains(questionKey(question)))
                asked.append(question);
        if (asked.isEmpty() || round == 2)
            return true;
        SyncQuestionsDialog dialog(asked, this);
        dialog.exec();
        const QList<SyncAnswer> answers = dialog.answers();
        for (qsizetype i = 0; i < asked.size(); ++i)
            if (answers.value(i).choice == SyncChoice::Unanswered)
                postponed.insert(questionKey(asked.at(i)));
        if (std::all_of(answers.begin(), answers.end(), [](const SyncAnswer &answer) {
                return answer.choice == SyncChoice::Unanswered;
            }))
            return true;
        applyAnswers(*copy, asked, answers, collectionPath, options);
    }
}

void MainWindow::showSyncFailure(const SyncReport &report) {
    const QString kept = tr("\n住所録の宛名は同期の前のままです。");
    if (report.failure == DavFailure::Cancelled) {
        m_ctx.platform.messages.show(tr("同期を中止しました。") + kept);
        return;
    }
    if (report.failure == DavFailure::None) {
        m_ctx.platform.messages.show(tr("同期できませんでした。\n") + report.error + kept);
        return;
    }
    // What the server said (a status, a request) only behind 詳細.
    const QString hint = report.failure == DavFailure::Authentication
                             ? tr("\n同期の設定でパスワードを入力し直してください。")
                             : QString();
    m_ctx.platform.messages.showWithDetail(tr("同期できませんでした。\n") +
                                               failureHeading(report.failure) + kept + hint,
                                           report.error);
}

} // namespace nvl
