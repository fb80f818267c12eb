#include "commondialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace nvl {

QString fileInFolder(const QString &folder, const QString &name) {
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    // A settings file copied from another machine may be spelt NUVEL.INI:
    // it is the same file, read and written where it is.
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return exact;
}

QString Platform::programFile(const QString &name) const {
    return fileInFolder(programFolder, name);
}

QString Platform::settingsFileToRead(const QString &name) const {
    return settingsFileIn(programFolder, executableFolder, name);
}

QString settingsFileIn(const QString &programFolder, const QString &executableFolder,
                       const QString &name) {
    const QString own = fileInFolder(programFolder, name);
    if (QFileInfo::exists(own) || executableFolder.isEmpty())
        return own;
    const QString shipped = fileInFolder(executableFolder, name);
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
        // A caption that ends with its patterns shows them once, as Qt reads
        // them (separated by blanks).
        const qsizetype open = description.lastIndexOf(u'(');
        if (open >= 0 && description.endsWith(u')') &&
            description.mid(open + 1, description.size() - open - 2)
                    .replace(u';', u' ')
                    .simplified() == patterns)
            entries.append(description.left(open) + u'(' + patterns + u')');
        else
            entries.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace nvl
