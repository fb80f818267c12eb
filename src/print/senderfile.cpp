#include "senderfile.h"

#include "settingsfile.h"

namespace nvl {

SenderTable readSenderFile(const QString &path, QString *problem) {
    const SettingsRead read = readSettingsFile(path, 16);
    if (problem)
        *problem = read.problem;
    return senderTableFromValues(read.values);
}

SenderTable senderTableFromValues(const QStringList &values) {
    SenderTable table;
    for (qsizetype i = 0; i < 4; ++i)
        table.at(i) = {values.value(4 * i), values.value(4 * i + 1), values.value(4 * i + 2),
                       values.value(4 * i + 3)};
    return table;
}

WriteResult writeSenderFile(const QString &path, const SenderTable &table) {
    QList<QStringList> lines;
    for (const SenderEntry &entry : table)
        lines.append({entry.postalCode, entry.address1, entry.address2, entry.name});
    return writeQuotedFile(path, lines, Links::Refuse);
}

} // namespace nvl
