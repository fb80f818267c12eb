#include "vcard.h"

#include "recorddata.h"
#include "recordextras.h"

#include "cp932.h"
#include "recordsearch.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUuid>

#include <cctype>

namespace nvl {

namespace {

struct Property {
    QByteArray name;              // upper case, group removed
    QList<QByteArray> parameters; // upper case as written: "TYPE=HOME", "HOME", "CHARSET=…"
    QByteArray value;             // raw bytes
};

QByteArray parameterValue(const Property &p, const QByteArray &key) {
    for (const QByteArray &parameter : p.parameters)
        if (parameter.startsWith(key + '='))
            return parameter.mid(key.size() + 1);
    return {};
}

bool quotedPrintable(const Property &p) {
    return parameterValue(p, "ENCODING") == "QUOTED-PRINTABLE" ||
           p.parameters.contains("QUOTED-PRINTABLE");
}

std::optional<Property> parseLine(const QByteArray &line) {
    // The name and parameters end at the first colon outside quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return std::nullopt;
    QList<QByteArray> head = line.left(colon).split(';');
    Property p;
    p.name = head.takeFirst().toUpper();
    if (const qsizetype dot = p.name.lastIndexOf('.'); dot >= 0)
        p.name = p.name.mid(dot + 1);
    for (const QByteArray &parameter : head) {
        // TYPE=home,work counts as TYPE=HOME and TYPE=WORK.
        // vCard 4.0 may quote a value: TYPE="home".
        const QByteArray upper = parameter.trimmed().toUpper().replace('"', QByteArray());
        const qsizetype equals = upper.indexOf('=');
        if (equals > 0 && upper.contains(','))
            for (const QByteArray &one : upper.mid(equals + 1).split(','))
                p.parameters.append(upper.left(equals + 1) + one);
        else
            p.parameters.append(upper);
    }
    p.value = line.mid(colon + 1);
    return p;
}

QByteArray decodeQuotedPrintable(const QByteArray &value) {
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == '=' && i + 2 < value.size() &&
            std::isxdigit(static_cast<uchar>(value.at(i + 1))) &&
            std::isxdigit(static_cast<uchar>(value.at(i + 2)))) {
            out += QByteArray::fromHex(value.mid(i + 1, 2));
            i += 2;
        } else {
            out += value.at(i);
        }
    }
    return out;
}

QString decodeValue(const Property &p, bool *undecodable = nullptr) {
    const QByteArray bytes = quotedPrintable(p) ? decodeQuotedPrintable(p.value) : p.value;
    // The character sets Japanese phones and address books write; any
    // other name is guessed from the bytes like an unnamed one.
    const QByteArray charset = parameterValue(p, "CHARSET");
    const bool shiftJis =
        QList<QByteArray>{"SHIFT_JIS", "SJIS", "CP932", "MS932", "WINDOWS-31J"}.contains(charset);
    // Phones write SHIFT_JIS and mean Windows' CP932, its superset.
    if (shiftJis) {
        if (const std::optional<QString> text = decodeCp932(bytes))
            return *text;
    } else if (charset == "ISO-2022-JP" || charset == "EUC-JP") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            const QString text = decoder(bytes);
            if (!decoder.hasError())
                return text;
        }
    }
    if (const std::optional<DecodedText> text = decodeText(bytes))
        return text->text;
    if (undecodable)
        *undecodable = true;
    return QString::fromUtf8(bytes);
}

// Components split at unescaped semicolons, escapes undone. In an address
// an escaped line break or an unescaped comma separates a component's
// values (its lines): they come back as line breaks.
QStringList components(const QString &value, bool lines = false) {
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            parts.last() += next == u'n' || next == u'N' ? QChar(lines ? u'\n' : u' ') : next;
        } else if (c == u';') {
            parts.append(QString());
        } else {
            parts.last() += lines && c == u',' ? QChar(u'\n') : c;
        }
    }
    return parts;
}

// The program's own structured values travel as one text value, every
// separator escaped: servers that re-serialise unknown properties as text
// (escaping a bare ';' and dropping all after a bare ',') keep them whole.
// Read back unescaped first, so the bare separators older builds wrote
// read alike.
QString unescapedText(const QString &value) {
    QString text;
    text.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == u'\\' && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            text += next == u'n' || next == u'N' ? QChar(u' ') : next;
        } else {
            text += value.at(i);
        }
    }
    return text;
}

// 連名 as "name;honorific": parted at the last ';', as no honorific holds one.
JointName jointNameFromText(const QString &text) {
    const qsizetype semicolon = text.lastIndexOf(u';');
    if (semicolon < 0)
        return {text.trimmed(), {}};
    return {text.left(semicolon).trimmed(), text.mid(semicolon + 1).trimmed()};
}

QString escaped(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u';', QStringLiteral("\\;"));
    text.replace(u',', QStringLiteral("\\,"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(u'\n', QStringLiteral("\\n"));
    return text;
}

struct Contact {
    QString formattedName;
    QString family;
    QString given;
    QStringList address; // the chosen ADR's components
    bool homeAddress = false;
    // Bytes that are text in no encoding it knows, read as U+FFFD.
    bool undecodable = false;
    // This program's own fields, and a company's card (御中).
    QString code;
    QString honorific;
    bool company = false;
    bool group = false;       // a list of contacts, never a person
    QString organization;     // ORG: company and department
    QString yomi;             // X-MS-N-YOMI, SOUND;X-IRMC-N
    QStringList jointLeftOut; // 連名 past the third
    JointNames joint;         // X-NVL-RENMEI: name\;honorific
    // The reading as phones (X-PHONETIC-*), vCard 3.0 (SORT-STRING) or
    // 4.0 (N's SORT-AS) write it, in that preference.
    QString phoneticFamily;
    QString phoneticGiven;
    QString sortAs;
    QString sortString;
    QStringList categories;
    YearMarks history; // X-NVL-HISTORY:2026=sent\,received\;2027=mourning

    QString reading() const {
        const QString phonetic =
            QStringList{phoneticFamily.trimmed(), phoneticGiven.trimmed()}.join(u' ').trimmed();
        if (!phonetic.isEmpty())
            return phonetic;
        if (!yomi.isEmpty())
            return yomi;
        return !sortAs.isEmpty() ? sortAs : sortString.trimmed();
    }

    QString name() const {
        if (!formattedName.trimmed().isEmpty())
            return formattedName.trimmed();
        const QString parts = QStringList{family.trimmed(), given.trimmed()}.join(u' ').trimmed();
        return parts.isEmpty() ? organization : parts;
    }
};

void take(Contact &contact, const Property &p) {
    if (p.name == "FN") {
        contact.formattedName = components(decodeValue(p, &contact.undecodable)).join(u';');
    } else if (p.name == "N") {
        const QStringList parts = components(decodeValue(p, &contact.undecodable));
        contact.family = parts.value(0);
        contact.given = parts.value(1);
        QStringList sortAs;
        for (const QByteArray &parameter : p.parameters)
            if (parameter.startsWith("SORT-AS="))
                sortAs.append(QString::fromUtf8(parameter.mid(8)).trimmed());
        contact.sortAs = sortAs.join(u' ').trimmed();
    } else if (p.name == "X-NVL-HISTORY") {
        for (const QString &part : unescapedText(decodeValue(p)).split(u';')) {
            const qsizetype equals = part.indexOf(u'=');
            const int year = part.left(equals).trimmed().toInt();
            if (equals < 0 || !isCardYear(year))
                continue;
            if (const int marks = yearMarksFromKeys(part.mid(equals + 1).split(u',')); marks != 0)
                contact.history[year] |= marks;
        }
    } else if (p.name == "X-PHONETIC-LAST-NAME") {
        contact.phoneticFamily = components(decodeValue(p)).join(u' ');
    } else if (p.name == "X-PHONETIC-FIRST-NAME") {
        contact.phoneticGiven = components(decodeValue(p)).join(u' ');
    } else if (p.name == "SORT-STRING") {
        contact.sortString = components(decodeValue(p)).join(u' ');
    } else if (p.name == "CATEGORIES") {
        // Commas part the words; an escaped one stays in its word.
        contact.categories += components(decodeValue(p), true).join(u';').split(u'\n');
    } else if (p.name == "X-NVL-CODE") {
        contact.code = components(decodeValue(p)).join(u';');
    } else if (p.name == "X-NVL-HONORIFIC") {
        contact.honorific = components(decodeValue(p)).join(u';');
    } else if (p.name == "X-NVL-RENMEI") {
        const JointName joint = jointNameFromText(unescapedText(decodeValue(p)));
        if (contact.joint.size() < MaxJointNames && !joint.name.isEmpty())
            contact.joint.append(joint);
        else if (!joint.name.isEmpty())
            contact.jointLeftOut.append(joint.name);
    } else if (p.name == "X-MS-N-YOMI" ||
               (p.name == "SOUND" && p.parameters.contains("X-IRMC-N"))) {
        // Outlook's and Japanese phones' readings: family;given.
        const QStringList parts = components(decodeValue(p));
        contact.yomi =
            QStringList{parts.value(0).trimmed(), parts.value(1).trimmed()}.join(u' ').trimmed();
    } else if (p.name == "X-GN") {
        // A Japanese phone's group: a tag.
        for (const QString &group : components(decodeValue(p), true).join(u';').split(u'\n'))
            if (!group.trimmed().isEmpty())
                contact.categories.append(group.trimmed());
    } else if (p.name == "ORG") {
        contact.organization =
            components(decodeValue(p, &contact.undecodable)).join(u' ').simplified();
    } else if (p.name == "KIND" || p.name == "X-ADDRESSBOOKSERVER-KIND") {
        const QString kind = decodeValue(p).trimmed().toLower();
        contact.group = contact.group || kind == QLatin1String("group");
        contact.company = contact.company || kind == QLatin1String("org");
    } else if (p.name == "X-ABSHOWAS") {
        contact.company = decodeValue(p).trimmed().toUpper() == QLatin1String("COMPANY");
    } else if (p.name == "ADR") {
        const bool home = p.parameters.contains("HOME") || p.parameters.contains("TYPE=HOME");
        if (contact.address.isEmpty() || (home && !contact.homeAddress)) {
            QStringList parts = components(decodeValue(p, &contact.undecodable), true);
            bool empty = true;
            for (const QString &part : parts)
                empty = empty && part.trimmed().isEmpty();
            if (!empty) {
                contact.address = parts;
                contact.homeAddress = home;
            }
        }
    }
}

void finishContact(const Contact &contact, ImportResult &result) {
    const QString name = contact.name();
    const auto skip = [&] {
        if (!name.isEmpty())
            result.skipped.append(
                QCoreApplication::translate("nvl::Import", "%1（住所がありません）").arg(name));
    };
    if (contact.group) {
        if (!name.isEmpty())
            result.skipped.append(
                QCoreApplication::translate("nvl::Import", "%1（グループ）").arg(name));
        return;
    }
    if (contact.address.isEmpty()) {
        skip();
        return;
    }
    // pobox; extended; street; locality; region; postal code; country
    const QStringList &a = contact.address;
    const auto oneLine = [](const QString &text) {
        return text.split(u'\n', Qt::SkipEmptyParts).join(u' ').trimmed();
    };
    // A street of several lines (phones write the building on the second):
    // the rest goes to the building line when the card has none.
    QStringList street = a.value(2).split(u'\n', Qt::SkipEmptyParts);
    QString building = oneLine(a.value(1));
    if (building.isEmpty() && street.size() > 1) {
        building = street.mid(1).join(u' ').trimmed();
        street = street.mid(0, 1);
    }
    AddressRecord record;
    record.setField(AddressRecord::Name, name);
    setImportedAddress(record, oneLine(a.value(4)) + oneLine(a.value(3)), street.join(u' '));
    record.setField(AddressRecord::Address3, building);
    record.setField(AddressRecord::PostalCode, importedPostalCode(a.value(5)));
    record.setField(AddressRecord::Code, contact.code);
    QString beyond;
    record.setField(AddressRecord::Honorific,
                    importedHonorific(!contact.honorific.isEmpty() ? contact.honorific
                                      : contact.company || name == contact.organization
                                          ? QStringLiteral("御中")
                                          : QString(),
                                      &beyond));
    tidyImportedRecord(record);
    // An address of only a country or control characters is none.
    if (record.field(AddressRecord::Address1).isEmpty() &&
        record.field(AddressRecord::Address2).isEmpty()) {
        skip();
        return;
    }
    checkFieldLengths(record, result.warnings);
    if (!contact.jointLeftOut.isEmpty())
        result.warnings.append(QCoreApplication::translate(
                                   "nvl::Import", "「%1」の連名は3人までのため、%2 は取り込んで"
                                                  "いません。")
                                   .arg(quotedStart(name), contact.jointLeftOut.join(u'、')));
    if (contact.undecodable)
        result.warnings.append(
            QCoreApplication::translate(
                "nvl::Import", "「%1」には文字として読めないバイトがあり、「\uFFFD」にしました。")
                .arg(quotedStart(name)));
    result.records.append(record);
    QJsonObject data = withTags(withReading(withJointNames({}, contact.joint), contact.reading()),
                                contact.categories);
    for (auto it = contact.history.cbegin(); it != contact.history.cend(); ++it)
        for (const YearMark mark : AllYearMarks)
            if (it.value() & int(mark))
                data = withMark(data, it.key(), mark, true);
    if (!beyond.isEmpty()) {
        RecordExtras extras = RecordExtras::fromJson(data);
        extras.honorificWord = beyond;
        data = extras.toJson();
    }
    result.data.append(data);
}

// The properties a contact is read from; everything else (photos, logos,
// sounds, keys, notes) is passed over as it streams by, never kept.
bool keptProperty(const QByteArray &name) {
    return name == "BEGIN" || name == "END" || name == "FN" || name == "N" || name == "ADR" ||
           name == "X-NVL-CODE" || name == "X-NVL-HONORIFIC" || name == "X-NVL-RENMEI" ||
           name == "X-ABSHOWAS" || name == "X-PHONETIC-LAST-NAME" ||
           name == "X-PHONETIC-FIRST-NAME" || name == "SORT-STRING" || name == "CATEGORIES" ||
           name == "X-NVL-HISTORY" || name == "KIND" || name == "X-ADDRESSBOOKSERVER-KIND" ||
           name == "ORG" || name == "X-MS-N-YOMI" || name == "SOUND" || name == "X-GN";
}

} // namespace

struct VCardReader::State {
    ImportResult result;
    std::optional<Contact> open;
    int cards = 0;
    // A card inside a card, or an end without a card: nothing after is read.
    bool stopped = false;

    // The logical line being joined: folded lines (a line break and a blank)
    // and quoted-printable soft breaks (a line ending in '=').
    QByteArray logical;
    bool haveLogical = false;
    bool logicalPassedOver = false;
    bool logicalQuotedPrintable = false;
    bool logicalEndsInEquals = false;

    static constexpr qsizetype MaxReadLine = qsizetype(16) << 20;

    // The physical line being read, possibly over several chunks.
    enum class Kind { NewLine, Continuation, PassedOver };
    QByteArray physical;
    bool physicalStarted = false;
    bool folded = false;
    bool nameKnown = false;
    Kind kind = Kind::NewLine;
    char last = 0;
    char beforeLast = 0;

    void logicalLineDone() {
        if (haveLogical && !logicalPassedOver && !stopped)
            takeLine(logical);
        haveLogical = false;
        logicalPassedOver = false;
        logical.clear();
    }

    void takeLine(const QByteArray &line) {
        const QByteArray upper = line.trimmed().toUpper();
        if (upper == "BEGIN:VCARD") {
            if (open) {
                stopped = true; // left open: the file is broken
                return;
            }
            open.emplace();
            ++cards;
            return;
        }
        if (upper == "END:VCARD") {
            if (!open) {
                stopped = true;
                return;
            }
            finishContact(*open, result);
            open.reset();
            return;
        }
        if (!open)
            return;
        if (const std::optional<Property> property = parseLine(line))
            take(*open, *property);
    }

    void append(const char *data, qsizetype size) {
        if (size == 0)
            return;
        if (!physicalStarted) {
            physicalStarted = true;
            folded = haveLogical && (data[0] == ' ' || data[0] == '\t');
            const bool softBreak = haveLogical && logicalQuotedPrintable && logicalEndsInEquals;
            if (folded || softBreak) {
                kind = logicalPassedOver ? Kind::PassedOver : Kind::Continuation;
            } else {
                logicalLineDone();
                kind = Kind::NewLine;
                nameKnown = false;
            }
        }
        beforeLast = size > 1 ? data[size - 2] : last;
        last = data[size - 1];
        if (kind == Kind::PassedOver)
            return;
        const qsizetype before = physical.size();
        physical.append(data, size);
        // No line the contact is read from is this long: passed over, so
        // that a line of any length costs bounded memory.
        if (physical.size() + (kind == Kind::Continuation ? logical.size() : 0) > MaxReadLine) {
            kind = Kind::PassedOver;
            physical.clear();
            return;
        }
        if (kind != Kind::NewLine || nameKnown)
            return;
        // The name ends at the first ':' or ';': passed over from there on
        // when it is not one the contact is read from.
        qsizetype end = -1;
        for (qsizetype i = before; i < physical.size() && end < 0; ++i)
            if (physical.at(i) == ':' || physical.at(i) == ';')
                end = i;
        if (end < 0)
            return;
        nameKnown = true;
        QByteArray name = physical.left(end).trimmed().toUpper();
        if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
            name = name.mid(dot + 1);
        if (!keptProperty(name)) {
            kind = Kind::PassedOver;
            physical.clear();
        }
    }

    void lineEnd() {
        if (!physicalStarted) {
            // An empty line: a soft break may end in one; otherwise nothing.
            if (haveLogical && logicalQuotedPrintable && logicalEndsInEquals) {
                if (!logicalPassedOver)
                    logical.chop(1);
                logicalEndsInEquals = false;
            } else {
                logicalLineDone();
            }
            return;
        }
        const bool endsInEquals = last == '=' || (last == '\r' && beforeLast == '=');
        if (physical.endsWith('\r'))
            physical.chop(1);
        switch (kind) {
        case Kind::PassedOver:
            haveLogical = true;
            logicalPassedOver = true;
            break;
        case Kind::Continuation:
            if (folded) {
                logical.append(physical.constData() + 1, physical.size() - 1);
            } else {
                logical.chop(1); // the soft break's '='
                logical += physical;
            }
            break;
        case Kind::NewLine: {
            logical = physical;
            haveLogical = true;
            logicalPassedOver = false;
            const qsizetype colon = logical.indexOf(':');
            logicalQuotedPrintable =
                logical.left(colon < 0 ? 0 : colon).toUpper().contains("QUOTED-PRINTABLE");
            break;
        }
        }
        logicalEndsInEquals = endsInEquals;
        physical.clear();
        physicalStarted = false;
        last = beforeLast = 0;
    }
};

VCardReader::VCardReader() : m_state(std::make_unique<State>()) {}

VCardReader::~VCardReader() = default;

void VCardReader::feed(const QByteArray &chunk) {
    qsizetype from = 0;
    while (from < chunk.size()) {
        const qsizetype newline = chunk.indexOf('\n', from);
        const qsizetype end = newline < 0 ? chunk.size() : newline;
        m_state->append(chunk.constData() + from, end - from);
        if (newline < 0)
            break;
        m_state->lineEnd();
        from = newline + 1;
    }
}

bool VCardReader::begun() const {
    return m_state->cards > 0;
}

ImportResult VCardReader::finish() {
    State &s = *m_state;
    if (s.physicalStarted)
        s.lineEnd();
    s.logicalLineDone();
    ImportResult result = std::move(s.result);
    if (s.cards == 0)
        result.error = QCoreApplication::translate(
            "nvl::Import", "vCard（BEGIN:VCARD で始まる連絡先）が見つかりません。");
    else if (s.open)
        result.error = QCoreApplication::translate(
            "nvl::Import", "vCard が END:VCARD で閉じられないまま終わっています。");
    if (!result.ok()) {
        result.records.clear();
        result.skipped.clear();
        result.warnings.clear();
    }
    m_state = std::make_unique<State>();
    return result;
}

ImportResult readVCards(const QByteArray &bytes) {
    VCardReader reader;
    reader.feed(bytes);
    return reader.finish();
}

QByteArray foldedVCardLine(const QByteArray &bytes) {
    QByteArray out;
    qsizetype from = 0;
    qsizetype room = 75;
    while (bytes.size() - from > room) {
        qsizetype cut = from + room;
        while (cut > from && (static_cast<uchar>(bytes.at(cut)) & 0xC0) == 0x80)
            --cut;
        out += bytes.mid(from, cut - from) + "\r\n ";
        from = cut;
        room = 74;
    }
    out += bytes.mid(from) + "\r\n";
    return out;
}

QString escapedVCardText(const QString &text) {
    return escaped(text);
}

std::pair<QString, QString> splitPrefecture(const QString &address1) {
    qsizetype length = 0;
    for (const char *three : {"北海道", "東京都", "京都府", "大阪府"})
        if (address1.startsWith(QString::fromUtf8(three)))
            length = 3;
    if (const qsizetype ken = address1.indexOf(u'県'); length == 0 && ken >= 2 && ken <= 3)
        length = ken + 1;
    // Parted only where reading it back joins the same text.
    if (length == 0 || address1.size() == length || address1.at(length).isSpace())
        return {{}, address1};
    return {address1.left(length), address1.mid(length)};
}

QByteArray writeVCards(const QList<AddressRecord> &records, const QList<QJsonObject> &data) {
    QByteArray out;
    const auto line = [&out](const QString &text) {
        out += foldedVCardLine(text.toUtf8());
    };
    for (qsizetype index = 0; index < records.size(); ++index) {
        const AddressRecord &r = records.at(index);
        const QString &name = r.field(AddressRecord::Name);
        // The name's first blank parts family from given name.
        qsizetype blank = name.indexOf(u' ');
        if (const qsizetype wide = name.indexOf(u'　'); wide >= 0 && (blank < 0 || wide < blank))
            blank = wide;
        const QString family = blank >= 0 ? name.left(blank) : name;
        const QString given = blank >= 0 ? name.mid(blank + 1) : QString();
        line(QStringLiteral("BEGIN:VCARD"));
        line(QStringLiteral("VERSION:3.0"));
        // Readers that keep contacts by UID (khard) need one: the synced
        // contact's, else one the record's own text gives, the same at
        // every export.
        QString uid = RecordExtras::fromJson(data.value(index)).sync.uid;
        if (uid.isEmpty())
            uid =
                QUuid::createUuidV5(QUuid(QStringLiteral("{6f1c2a4e-3b7d-5e8f-9a0b-1c2d3e4f5a6b}")),
                                    r.toList().join(u'\t'))
                    .toString(QUuid::WithoutBraces);
        line(QStringLiteral("UID:%1").arg(escaped(uid)));
        line(QStringLiteral("FN:%1").arg(escaped(name)));
        line(QStringLiteral("N:%1;%2;;;").arg(escaped(family), escaped(given)));
        // The prefecture in the region, as phones and clouds keep it.
        const auto [region, locality] = splitPrefecture(r.field(AddressRecord::Address1));
        line(QStringLiteral("ADR;TYPE=HOME:;%1;%2;%3;%4;%5;")
                 .arg(escaped(r.field(AddressRecord::Address3)),
                      escaped(r.field(AddressRecord::Address2)), escaped(locality), escaped(region),
                      escaped(r.field(AddressRecord::PostalCode))));
        // The book's own fields, read back by this program's import.
        if (!r.field(AddressRecord::Code).isEmpty())
            line(QStringLiteral("X-NVL-CODE:%1").arg(escaped(r.field(AddressRecord::Code))));
        const QString honorific =
            printedRecord(r, data.value(index)).field(AddressRecord::Honorific);
        const QString word = honorific == QString::number(honorific.toInt())
                                 ? honorificWords().value(honorific.toInt())
                                 : honorific;
        line(QStringLiteral("X-NVL-HONORIFIC:%1").arg(escaped(word.isEmpty() ? honorific : word)));
        // 連名 have no field of their own in vCard.
        const QJsonObject &extra = data.value(index);
        for (const JointName &joint : jointNamesOf(extra))
            line(QStringLiteral("X-NVL-RENMEI:%1")
                     .arg(escaped(joint.name + u';' + QString(joint.honorific).remove(u';'))));
        if (const QString reading = readingOf(extra); !reading.isEmpty()) {
            // Parted where the reading has a blank, never guessed.
            const qsizetype blank = reading.indexOf(QRegularExpression(QStringLiteral("[ 　]")));
            line(QStringLiteral("X-PHONETIC-LAST-NAME:%1").arg(escaped(reading.left(blank))));
            if (blank >= 0)
                line(QStringLiteral("X-PHONETIC-FIRST-NAME:%1")
                         .arg(escaped(reading.mid(blank + 1).trimmed())));
        }
        if (const QStringList tags = tagsOf(extra); !tags.isEmpty()) {
            QStringList words;
            for (const QString &tag : tags)
                words.append(escaped(tag));
            line(QStringLiteral("CATEGORIES:%1").arg(words.join(u',')));
        }
        if (const YearMarks marks = yearMarksOf(extra); !marks.isEmpty()) {
            QStringList years;
            for (auto it = marks.cbegin(); it != marks.cend(); ++it)
                years.append(
                    QStringLiteral("%1=%2").arg(it.key()).arg(yearMarkKeys(it.value()).join(u',')));
            line(QStringLiteral("X-NVL-HISTORY:%1").arg(escaped(years.join(u';'))));
        }
        line(QStringLiteral("END:VCARD"));
    }
    return out;
}

} // namespace nvl
