#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace nvl::test {

// A private cupsd in a temporary folder (never the system's configuration)
// with one raw queue whose own backend writes each job to a file. Every CUPS
// client of this process talks to it once started.
class PrivateCups {
public:
    PrivateCups() = default;
    ~PrivateCups();
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    // False with the reason when CUPS cannot run here.
    bool start(QString *whyNot);

    static QString queueName() { return QStringLiteral("nvltest"); }
    // Where the backend puts the latest job's document.
    QString jobFile() const;
    // The jobs the server has completed, as `lpstat -W completed` lists them.
    int completedJobs() const { return jobs("completed"); }
    // The jobs still queued or printing.
    int unfinishedJobs() const { return jobs("not-completed"); }
    // Sends `text` as a raw job of the test's own. The queue prints in order,
    // so once it is done every job sent before it is done too.
    bool sendMarkerJob(const QByteArray &text) const;

private:
    int jobs(const char *which) const;

    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_socket;
};

} // namespace nvl::test
