#include "osfiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace nvl::os {

namespace {

// ".nvl-" and eight hex digits of the file's name: a long name fits, and the
// prefix is the program's own.
QString prefixFor(const QString &path) {
    const QByteArray name = QFileInfo(path).fileName().toUtf8();
    return QStringLiteral(".nvl-") +
           QString::fromLatin1(
               QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(8)) +
           u'-';
}

} // namespace

QString temporaryName(const QString &path) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString random;
    for (int i = 0; i < 6; ++i)
        random += QLatin1Char(letters[QRandomGenerator::global()->bounded(62)]);
    return QFileInfo(path).dir().filePath(
        prefixFor(path) + QString::number(QCoreApplication::applicationPid()) + u'-' + random);
}

void removeStaleTemporaries(const QString &path) {
    const QDir folder = QFileInfo(path).dir();
    const QRegularExpression own(QLatin1Char('^') + QRegularExpression::escape(prefixFor(path)) +
                                 QStringLiteral("(\\d+)-[A-Za-z0-9]{6}$"));
    const QStringList candidates = folder.entryList(
        {prefixFor(path) + u'*'}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : candidates) {
        const QRegularExpressionMatch match = own.match(name);
        if (match.hasMatch() && !processRunning(match.captured(1).toLongLong()))
            QFile::remove(folder.filePath(name));
    }
}

} // namespace nvl::os
