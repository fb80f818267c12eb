#include "synctask.h"

#include <QCoreApplication>
#include <QThread>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::SyncTask", text);
}

} // namespace

QString failureHeading(DavFailure failure) {
    switch (failure) {
    case DavFailure::None:
        return {};
    case DavFailure::Address:
        return tr("アドレス帳の URL を確かめてください。");
    case DavFailure::Authentication:
        return tr("ユーザー名かパスワードが違います。");
    case DavFailure::Certificate:
        return tr("サーバーの証明書を確かめられません。");
    case DavFailure::Network:
        return tr("サーバーにつながりません。ネットワークとアドレスを確かめてください。");
    case DavFailure::Cancelled:
        return tr("中止しました。");
    case DavFailure::Server:
    case DavFailure::Precondition:
        break;
    }
    return tr("サーバーが要求に応じませんでした。");
}

SyncTask::SyncTask(QObject *parent) : QObject(parent) {}

SyncTask::~SyncTask() {
    if (!m_thread)
        return;
    m_cancelled = true;
    // A checkpoint waits on this thread: keep answering it until the end.
    while (!m_thread->wait(10))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    delete m_thread;
}

void SyncTask::start(std::function<void()> work) {
    m_cancelled = false;
    m_thread = QThread::create(std::move(work));
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->deleteLater();
        m_thread = nullptr;
        emit finished();
    });
    m_thread->start();
}

void SyncTask::testConnection(const DavAccount &account) {
    m_found = {};
    start([this, account] {
        CardDavClient client(account);
        client.cancelled = [this] {
            return m_cancelled.load();
        };
        const std::optional<DavCollection> collection = client.collection(&m_found.error);
        if (!collection && m_found.error.failure == DavFailure::Address) {
            // The server's address, perhaps: the address books under it.
            DavError ignored;
            if (const auto books = findAddressBooks(client, &ignored))
                m_found.books = *books;
        }
        if (!collection)
            return;
        m_found.name = collection->displayName;
        if (const std::optional<QList<DavItem>> items = client.list(&m_found.error))
            m_found.contacts = int(items->size());
    });
}

void SyncTask::sync(const DavAccount &account, const SyncBook &book, const SyncOptions &options,
                    SyncEngine::Checkpoint checkpoint) {
    m_report = {};
    m_book = book;
    start([this, account, options, checkpoint] {
        CardDavClient client(account);
        client.cancelled = [this] {
            return m_cancelled.load();
        };
        // Saved where the book lives, while this thread waits for it.
        const auto saveHere = [this, checkpoint](const SyncBook &copy) {
            QString problem;
            QMetaObject::invokeMethod(
                this, [&] { problem = checkpoint(copy); }, Qt::BlockingQueuedConnection);
            return problem;
        };
        SyncEngine engine(m_book, client, options,
                          checkpoint ? saveHere : SyncEngine::Checkpoint());
        engine.progress = [this](int done, int total) {
            emit progress(done, total);
        };
        m_report = engine.run();
    });
}

} // namespace nvl
