#include "contactcard.h"

#include "syncstate.h"
#include "vcard.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QRegularExpression>

namespace nvl {

namespace {

// The logical lines of a vCard: a line starting with a blank or a tab
// continues the one before (RFC 6350, 3.2).
QList<QByteArray> unfoldedLines(const QByteArray &card) {
    QList<QByteArray> lines;
    for (QByteArray line : card.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if ((line.startsWith(' ') || line.startsWith('\t')) && !lines.isEmpty())
            lines.last() += line.mid(1);
        else if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

QByteArray propertyName(const QByteArray &line) {
    qsizetype end = 0;
    while (end < line.size() && line.at(end) != ':' && line.at(end) != ';')
        ++end;
    QByteArray name = line.left(end).toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.mid(dot + 1);
    return name;
}

bool ownedLine(const QByteArray &line) {
    const QByteArray name = propertyName(line);
    if (name == "ADR") {
        const QByteArray head = line.left(line.indexOf(':')).toUpper();
        return head.contains("HOME");
    }
    return name == "FN" || name == "N" || name == "CATEGORIES" || name.startsWith("X-NVL-") ||
           name.startsWith("X-PHONETIC-");
}

// The lines the export writes for the record, between BEGIN and END.
QList<QByteArray> recordLines(const AddressRecord &record, const QJsonObject &data) {
    QList<QByteArray> lines = unfoldedLines(writeVCards({record}, {data}));
    lines.removeIf([](const QByteArray &line) {
        const QByteArray name = propertyName(line);
        return name == "BEGIN" || name == "END" || name == "VERSION";
    });
    return lines;
}

QByteArray folded(const QList<QByteArray> &lines) {
    QByteArray out;
    for (const QByteArray &line : lines)
        out += foldedVCardLine(line);
    return out;
}

} // namespace

std::optional<ServerContact> readServerContact(const QByteArray &card) {
    const ImportResult read = readVCards(card);
    if (!read.ok() || read.records.size() != 1)
        return std::nullopt;
    ServerContact contact{read.records.first(), read.data.value(0), {}};
    for (const QByteArray &line : unfoldedLines(card))
        if (propertyName(line) == "UID")
            contact.uid = QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
    return contact;
}

QByteArray newContactCard(const AddressRecord &record, const QJsonObject &data,
                          const QString &uid) {
    QList<QByteArray> lines{"BEGIN:VCARD", "VERSION:3.0", "UID:" + uid.toUtf8()};
    lines += recordLines(record, data);
    lines.append("END:VCARD");
    return folded(lines);
}

QByteArray mergedContactCard(const QByteArray &serverCard, const AddressRecord &record,
                             const QJsonObject &data) {
    QList<QByteArray> kept;
    for (const QByteArray &line : unfoldedLines(serverCard)) {
        if (propertyName(line) == "END")
            break;
        if (!ownedLine(line))
            kept.append(line);
    }
    if (kept.isEmpty() || propertyName(kept.first()) != "BEGIN")
        kept.prepend("BEGIN:VCARD");
    kept += recordLines(record, data);
    kept.append("END:VCARD");
    return folded(kept);
}

QByteArray contactHash(const AddressRecord &record, const QJsonObject &data) {
    QJsonObject owned = withoutSyncLink(data);
    AddressRecord fields = record;
    if (const std::optional<ServerContact> back =
            readServerContact(newContactCard(record, owned, QString()))) {
        fields = back->record;
        owned = withoutSyncLink(back->data);
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &field : fields.fields)
        hash.addData(field.toUtf8() + '\0');
    hash.addData(QJsonDocument(owned).toJson(QJsonDocument::Compact));
    return hash.result().toHex();
}

} // namespace nvl
