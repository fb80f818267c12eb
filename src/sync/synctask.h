#pragma once

#include "davdiscovery.h"
#include "syncengine.h"

#include <QObject>
#include <atomic>

class QThread;

namespace nvl {

// Runs the network side of a sync, or a connection test, on a thread of its
// own, so the window that started it keeps answering. The copy's
// checkpoint is carried out on this object's thread, where the book lives.
class SyncTask : public QObject {
    Q_OBJECT
public:
    explicit SyncTask(QObject *parent = nullptr);
    ~SyncTask() override;

    // What a connection test found: the address book's name and contacts.
    struct Found {
        DavError error;
        QString name;
        int contacts = 0;
        // A URL that is no address book: the user's address books found from it.
        QList<DavAddressBook> books;
    };
    void testConnection(const DavAccount &account);
    void sync(const DavAccount &account, const SyncBook &book, const SyncOptions &options,
              SyncEngine::Checkpoint checkpoint);
    // Stops at the request in flight; finished() follows.
    void cancel() { m_cancelled = true; }
    bool isRunning() const { return m_thread != nullptr; }

    const Found &found() const { return m_found; }
    const SyncReport &report() const { return m_report; }
    const SyncBook &book() const { return m_book; }

signals:
    void progress(int done, int total);
    void finished();

private:
    void start(std::function<void()> work);

    QThread *m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
    Found m_found;
    SyncReport m_report;
    SyncBook m_book;
};

// The Japanese line that says which part of a connection failed.
QString failureHeading(DavFailure failure);

} // namespace nvl
