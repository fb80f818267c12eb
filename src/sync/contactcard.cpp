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

// What the program rewrites: its own properties. The ADR it reads from is
// rewritten in place (chosenAddress); N stays on a company's card.
bool ownedLine(const QByteArray &line, bool company) {
    const QByteArray name = propertyName(line);
    if (name == "N")
        return !company;
    return name == "FN" || name == "CATEGORIES" || name.startsWith("X-NVL-") ||
           name.startsWith("X-PHONETIC-");
}

QByteArray headOf(const QByteArray &line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted)
            return line.left(i);
    }
    return line;
}

// Components split at unescaped ';', each kept as written.
QList<QByteArray> rawComponents(const QByteArray &value) {
    QList<QByteArray> parts{QByteArray()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == '\\' && i + 1 < value.size()) {
            parts.last() += value.mid(i, 2);
            ++i;
        } else if (value.at(i) == ';') {
            parts.append(QByteArray());
        } else {
            parts.last() += value.at(i);
        }
    }
    return parts;
}

QByteArray escapedComponent(const QString &text) {
    return escapedVCardText(text).toUtf8();
}

bool isCompany(const QList<QByteArray> &lines) {
    for (const QByteArray &line : lines) {
        const QByteArray name = propertyName(line);
        const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed().toUpper();
        if ((name == "X-ABSHOWAS" && value == "COMPANY") || (name == "KIND" && value == "ORG"))
            return true;
    }
    return false;
}

// The ADR the record was read from, by the rule the reader follows: the
// first home one with an address, else the first with one; -1 for none.
qsizetype chosenAddress(const QList<QByteArray> &lines) {
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (propertyName(lines.at(i)) != "ADR")
            continue;
        const QByteArray value = lines.at(i).mid(headOf(lines.at(i)).size() + 1);
        if (QByteArray(value).replace(';', "").replace('\\', "").trimmed().isEmpty())
            continue;
        const QByteArray head = headOf(lines.at(i)).toUpper();
        if (head.contains("HOME"))
            return i;
        if (first < 0)
            first = i;
    }
    return first;
}

// The chosen ADR with the record's address: what the record did not change
// stays as the server wrote it (group, parameters, pref, country, the split
// of region and locality).
QByteArray rewrittenAddress(const QByteArray &line, const AddressRecord &was,
                            const AddressRecord &record) {
    const QByteArray head = headOf(line);
    if (head.toUpper().contains("QUOTED-PRINTABLE") || head.toUpper().contains("CHARSET"))
        return {}; // an old phone's encoding: written anew
    QList<QByteArray> parts = rawComponents(line.mid(head.size() + 1));
    while (parts.size() < 7)
        parts.append(QByteArray());
    const auto changed = [&](AddressRecord::Field field) {
        return was.field(field) != record.field(field);
    };
    if (changed(AddressRecord::Address3))
        parts[1] = escapedComponent(record.field(AddressRecord::Address3));
    if (changed(AddressRecord::Address2))
        parts[2] = escapedComponent(record.field(AddressRecord::Address2));
    if (changed(AddressRecord::Address1)) {
        const QString region = QString::fromUtf8(parts.at(4)).trimmed();
        const QString &line1 = record.field(AddressRecord::Address1);
        if (!region.isEmpty() && line1.startsWith(region) && !region.contains(u'\\')) {
            parts[3] = escapedComponent(line1.mid(region.size()));
        } else {
            const auto [prefecture, rest] = splitPrefecture(line1);
            parts[3] = escapedComponent(rest);
            parts[4] = escapedComponent(prefecture);
        }
    }
    if (changed(AddressRecord::PostalCode))
        parts[5] = escapedComponent(record.field(AddressRecord::PostalCode));
    return head + ':' + parts.join(';');
}

// The lines the export writes for the record, between BEGIN and END.
QList<QByteArray> recordLines(const AddressRecord &record, const QJsonObject &data) {
    QList<QByteArray> lines = unfoldedLines(writeVCards({record}, {data}));
    lines.removeIf([](const QByteArray &line) {
        const QByteArray name = propertyName(line);
        return name == "BEGIN" || name == "END" || name == "VERSION" || name == "UID";
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
    ServerContact contact{read.records.first(), read.data.value(0), {}, {}};
    for (const QByteArray &line : unfoldedLines(card)) {
        const QByteArray name = propertyName(line);
        const QString value = QString::fromUtf8(line.mid(headOf(line).size() + 1));
        if (name == "UID") {
            contact.uid = value.trimmed();
        } else if (name == "N" && contact.nName.isEmpty()) {
            QStringList parts;
            for (const QByteArray &part : rawComponents(value.toUtf8()).mid(0, 2))
                parts.append(QString::fromUtf8(part).remove(u'\\').trimmed());
            contact.nName = parts.join(u' ').trimmed();
        }
    }
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
    const QList<QByteArray> lines = unfoldedLines(serverCard);
    const bool company = isCompany(lines);
    const qsizetype address = chosenAddress(lines);
    const std::optional<ServerContact> was = readServerContact(serverCard);
    QByteArray newAddress;
    if (address >= 0 && was)
        newAddress = rewrittenAddress(lines.at(address), was->record, record);
    QList<QByteArray> kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (propertyName(line) == "END")
            break;
        if (i == address && !newAddress.isEmpty())
            kept.append(newAddress);
        else if (i != address && !ownedLine(line, company))
            kept.append(line);
    }
    if (kept.isEmpty() || propertyName(kept.first()) != "BEGIN")
        kept.prepend("BEGIN:VCARD");
    for (const QByteArray &line : recordLines(record, data)) {
        const QByteArray name = propertyName(line);
        if ((name == "ADR" && !newAddress.isEmpty()) || (name == "N" && company))
            continue;
        kept.append(line);
    }
    kept.append("END:VCARD");
    return folded(kept);
}

QString comparableName(const QString &name) {
    QString key = name.normalized(QString::NormalizationForm_KC);
    key.remove(u' ');
    return key;
}

QByteArray comparableHash(const AddressRecord &record, const QJsonObject &data) {
    AddressRecord fields = record;
    for (QString &text : fields.fields)
        text = comparableName(text);
    QString code = fields.field(AddressRecord::PostalCode);
    fields.setField(AddressRecord::PostalCode, code.remove(u'-'));
    return contactHash(fields, data);
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
