#include "logging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <cstdio>

Q_LOGGING_CATEGORY(lcSync, "nvl.sync", QtWarningMsg)
Q_LOGGING_CATEGORY(lcBook, "nvl.book", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPrint, "nvl.print", QtWarningMsg)

namespace nvl {

namespace {

constexpr qint64 RotateBytes = qint64{1024} * 1024;

QString &logPath() {
    static QString path;
    return path;
}

void writeToLogFile(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    static QMutex mutex;
    const QMutexLocker locked(&mutex);
    QFile file(logPath());
    if (file.size() > RotateBytes) {
        QFile::remove(logPath() + QStringLiteral(".1"));
        QFile::rename(logPath(), logPath() + QStringLiteral(".1"));
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const char *level = type == QtInfoMsg      ? "info"
                        : type == QtDebugMsg   ? "debug"
                        : type == QtWarningMsg ? "warning"
                                               : "error";
    file.write(QStringLiteral("%1 %2 %3: %4\n")
                   .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                        QLatin1String(context.category ? context.category : "default"),
                        QLatin1String(level), message)
                   .toUtf8());
}

} // namespace

namespace {

void commandLineMessages(QtMsgType type, const QMessageLogContext &context,
                         const QString &message) {
    const bool own = context.category && qstrncmp(context.category, "nvl.", 4) == 0;
    if (own || loggingEnabled() || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    if (message.contains(QLatin1String("lock file")))
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                                    "nvl::Logging",
                                    "鍵ファイルを片付けられませんでした（%1）。次に開くとき、"
                                    "古い鍵として片付けます。")
                                    .arg(message.section(u'"', 1, 1))));
}

} // namespace

void keepQtNoticesFromUsers() {
    qInstallMessageHandler(commandLineMessages);
}

void enableVerboseLogging() {
    QLoggingCategory::setFilterRules(QStringLiteral("nvl.*.info=true\nnvl.*.debug=true"));
}

bool loggingEnabled() {
    return lcSync().isInfoEnabled() || lcBook().isInfoEnabled() || lcPrint().isInfoEnabled();
}

void logToFile(const QString &path) {
    logPath() = path;
    qInstallMessageHandler(writeToLogFile);
}

} // namespace nvl
