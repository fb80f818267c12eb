#include "privatecups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace nvl::test {

namespace {

bool writeText(const QString &path, const QString &text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

PrivateCups::~PrivateCups() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(5000))
            m_cupsd.kill();
    }
}

QString PrivateCups::jobFile() const {
    return QDir(m_dir.path()).filePath(QStringLiteral("out/job.pdf"));
}

bool PrivateCups::start(QString *whyNot) {
    const QString cupsd = QStringLiteral("/usr/sbin/cupsd");
    if (!QFile::exists(cupsd) ||
        QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty()) {
        *whyNot = QStringLiteral("CUPS (cups-daemon, cups-client) is not installed");
        return false;
    }
#ifdef _WIN32
    if (true) {
#else
    if (geteuid() != 0) {
#endif
        *whyNot = QStringLiteral("a private cupsd needs to run as root here");
        return false;
    }
    const QDir root(m_dir.path());
    QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                           QFile::ExeOther);
    for (const char *sub : {"spool", "tmp", "cache", "state", "log", "out", "bin/backend"})
        root.mkpath(QLatin1String(sub));
    QFile::link(QStringLiteral("/usr/lib/cups/daemon"),
                root.filePath(QStringLiteral("bin/daemon")));
    m_socket = root.filePath(QStringLiteral("cups.sock"));
    const bool written =
        writeText(root.filePath(QStringLiteral("cupsd.conf")),
                  QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing No\n"
                                 "PreserveJobHistory Yes\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                 "    Allow all\n  </Limit>\n</Policy>\n")
                      .arg(m_socket)) &&
        writeText(root.filePath(QStringLiteral("cups-files.conf")),
                  QStringLiteral("ServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\n"
                                 "TempDir %1/tmp\nCacheDir %1/cache\nStateDir %1/state\n"
                                 "ErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                                 "PageLog %1/log/page_log\n")
                      .arg(root.path()));
    const QString backend = root.filePath(QStringLiteral("bin/backend/nvlfile"));
    if (!written ||
        !writeText(backend, QStringLiteral("#!/bin/sh\n"
                                           "[ $# -eq 0 ] && { echo 'file nvlfile \"Unknown\" "
                                           "\"test\"'; exit 0; }\n"
                                           "out=\"${DEVICE_URI#nvlfile:}\"\n"
                                           "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi "
                                           "> \"$out.part\" && mv \"$out.part\" \"$out\"\n"))) {
        *whyNot = QStringLiteral("the CUPS configuration could not be written");
        return false;
    }
    QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"),
                          root.filePath(QStringLiteral("cupsd.conf")), QStringLiteral("-s"),
                          root.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd.waitForStarted(5000)) {
        *whyNot = QStringLiteral("cupsd could not be started");
        return false;
    }
    QElapsedTimer wait;
    wait.start();
    while (!QFile::exists(m_socket) && wait.elapsed() < 10000 &&
           m_cupsd.state() == QProcess::Running)
        QThread::msleep(50);
    if (!QFile::exists(m_socket)) {
        *whyNot = QStringLiteral("cupsd did not open its socket: ") +
                  QString::fromLocal8Bit(m_cupsd.readAll());
        return false;
    }
    QProcess lpadmin;
    lpadmin.start(QStringLiteral("lpadmin"),
                  {QStringLiteral("-h"), m_socket, QStringLiteral("-p"), queueName(),
                   QStringLiteral("-v"), QStringLiteral("nvlfile:") + jobFile(),
                   QStringLiteral("-E")});
    if (!lpadmin.waitForFinished(10000) || lpadmin.exitCode() != 0) {
        *whyNot = QStringLiteral("lpadmin failed: ") + QString::fromLocal8Bit(lpadmin.readAll());
        return false;
    }
    qputenv("CUPS_SERVER", m_socket.toUtf8());
    return true;
}

int PrivateCups::jobs(const char *which) const {
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"),
                 {QStringLiteral("-h"), m_socket, QStringLiteral("-W"), QString::fromLatin1(which),
                  QStringLiteral("-o"), queueName()});
    if (!lpstat.waitForFinished(10000))
        return -1;
    return static_cast<int>(QString::fromLocal8Bit(lpstat.readAllStandardOutput())
                                .split(u'\n', Qt::SkipEmptyParts)
                                .size());
}

bool PrivateCups::sendMarkerJob(const QByteArray &text) const {
    QProcess lp;
    lp.start(QStringLiteral("lp"), {QStringLiteral("-h"), m_socket, QStringLiteral("-d"),
                                    queueName(), QStringLiteral("-o"), QStringLiteral("raw"),
                                    QStringLiteral("-t"), QStringLiteral("marker")});
    if (!lp.waitForStarted(10000))
        return false;
    lp.write(text);
    lp.closeWriteChannel();
    return lp.waitForFinished(10000) && lp.exitStatus() == QProcess::NormalExit &&
           lp.exitCode() == 0;
}

} // namespace nvl::test
