#include "commondialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace nvl {

QString Platform::programFile(const QString &name) const {
    return QDir(programFolder).filePath(name);
}

QString Platform::settingsFileToRead(const QString &name) const {
    return settingsFileIn(programFolder, executableFolder, name);
}

QString settingsFileIn(const QString &programFolder, const QString &executableFolder,
                       const QString &name) {
    const QString own = QDir(programFolder).filePath(name);
    if (QFileInfo::exists(own) || executableFolder.isEmpty())
        return own;
    const QString shipped = QDir(executableFolder).filePath(name);
    return QFileInfo::exists(shipped) ? shipped : own;
}

FileDialogRequest CommonDialog::request() const {
    return {initialFolder, filter, fileName, confirmOverwrite};
}

QString CommonDialog::showOpen() {
    fileName = m_service.open(request());
    return fileName;
}

QString CommonDialog::showSave() {
    fileName = m_service.save(request());
    return fileName;
}

QString toQtFilter(const QString &filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = QString(parts.at(i + 1)).replace(u';', u' ').simplified();
        if (description.contains(u'(') && description.contains(patterns))
            entries.append(description);
        else
            entries.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace nvl
