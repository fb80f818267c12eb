#include "foreigncsv.h"

#include "recorddata.h"
#include "recordextras.h"
#include "recordsearch.h"

#include "textcodec.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

namespace nvl {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// Header names, compared without blanks and case; the web address books'
// exports (Google, Outlook in English and Japanese) included.
struct KnownHeader {
    ImportColumn column;
    std::vector<const char *> names;
};
const std::vector<KnownHeader> &knownHeaders() {
    static const std::vector<KnownHeader> known = {
        {ImportColumn::Name,
         {"氏名", "名前", "宛名", "表示名", "フルネーム", "name", "fullname", "displayname"}},
        {ImportColumn::FamilyName, {"姓", "名字", "苗字", "lastname", "familyname"}},
        {ImportColumn::GivenName, {"名", "firstname", "givenname"}},
        {ImportColumn::PostalCode,
         {"郵便番号", "〒", "zip", "zipcode", "postalcode", "postcode", "address1-postalcode",
          "homepostalcode", "自宅郵便番号", "自宅住所郵便番号", "自宅〒", "homezipcode", "homezip",
          "住所1-郵便番号"}},
        {ImportColumn::WholeAddress,
         {"住所", "address", "address1-formatted", "homeaddress", "自宅住所",
          "住所1-書式設定済み"}},
        {ImportColumn::Region,
         {"都道府県", "address1-region", "homestate", "state", "region", "prefecture",
          "自宅都道府県", "自宅住所都道府県", "住所1-都道府県"}},
        {ImportColumn::Locality,
         {"市区町村", "address1-city", "homecity", "city", "自宅市区町村", "自宅住所市区町村",
          "住所1-市区町村"}},
        {ImportColumn::Street,
         {"番地", "address1-street", "homestreet", "street", "自宅番地", "自宅住所番地",
          "住所1-番地"}},
        {ImportColumn::Address1, {"住所1", "住所１", "自宅住所1", "自宅住所１"}},
        {ImportColumn::Address2, {"住所2", "住所２", "自宅住所2", "自宅住所２"}},
        {ImportColumn::Building,
         {"建物名", "建物", "マンション名", "住所3", "address1-extendedaddress", "homestreet2",
          "自宅住所番地2", "自宅番地2", "自宅住所3", "自宅住所３"}},
        {ImportColumn::Honorific, {"敬称", "宛名敬称"}},
        {ImportColumn::Code, {"コード", "code"}},
        // 連名 as postcard programs export them (full-width digits read alike).
        {ImportColumn::Joint1, {"連名1", "連名1(名)", "家族1", "連名"}},
        {ImportColumn::Joint1Honorific, {"連名1敬称", "連名1(敬称)", "家族1敬称", "連名敬称"}},
        {ImportColumn::Joint2, {"連名2", "連名2(名)", "家族2"}},
        {ImportColumn::Joint2Honorific, {"連名2敬称", "連名2(敬称)", "家族2敬称"}},
        {ImportColumn::Joint3, {"連名3", "連名3(名)", "家族3"}},
        {ImportColumn::Joint3Honorific, {"連名3敬称", "連名3(敬称)", "家族3敬称"}},
        // Half-width ﾌﾘｶﾞﾅ reads as フリガナ.
        {ImportColumn::Reading,
         {"フリガナ", "ふりがな", "よみ", "読み", "よみがな", "氏名フリガナ", "氏名(フリガナ)",
          "reading", "phoneticname"}},
        {ImportColumn::Tags,
         {"タグ", "tags", "グループ", "分類", "categories", "labels", "ラベル", "groupmembership"}},
    };
    return known;
}

QString headerKey(const QString &name) {
    QString key;
    for (const QChar c : name.normalized(QString::NormalizationForm_KC))
        if (!c.isSpace())
            key += c.toLower();
    return key;
}

// Tags in one CSV field: joined by ';', a ';' inside a tag written "\;".
// A field of one tag holding another separator ends in ';', so that it
// reads back as one.
QString csvTags(const QStringList &tags) {
    QStringList escaped;
    for (const QString &tag : tags)
        escaped.append(QString(tag).replace(u';', QStringLiteral("\\;")));
    QString text = escaped.join(u';');
    static const QRegularExpression others(QStringLiteral("[；、,，]"));
    if (tags.size() == 1 && tags.first().contains(others))
        text += u';';
    return text;
}

// A field with a ';' is parted at its unescaped ones only; one without, at
// any separator people type (、 , ，), as other programs' files hold them.
QStringList tagsFromCsv(const QString &text) {
    // Google's labels: "* myContacts ::: 家族 ::: 大学"; its own two are
    // not the user's.
    const QString plain = text.trimmed();
    if (plain.contains(QStringLiteral(":::")) || plain.startsWith(u'*') ||
        plain == QLatin1String("myContacts")) {
        QStringList tags;
        for (QString label : text.split(QStringLiteral(":::"))) {
            label = label.trimmed();
            if (label.startsWith(u'*'))
                label = label.mid(1).trimmed();
            if (!label.isEmpty() && label != QLatin1String("myContacts") &&
                label != QLatin1String("starred") && !tags.contains(label))
                tags.append(label);
        }
        return tags;
    }
    if (!text.contains(u';'))
        return splitTags(text);
    QStringList tags;
    QString tag;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\\' && i + 1 < text.size() && text.at(i + 1) == u';') {
            tag += u';';
            ++i;
        } else if (text.at(i) == u';') {
            tags.append(tag.trimmed());
            tag.clear();
        } else {
            tag += text.at(i);
        }
    }
    tags.append(tag.trimmed());
    tags.removeAll(QString());
    tags.removeDuplicates();
    return tags;
}

// RFC 4180 with some leniency: any line end, a quote inside an unquoted
// field kept as it is.
// Text a spreadsheet saves as "Unicode テキスト": UTF-16 with a byte-order
// mark; nothing for other bytes.
std::optional<QString> utf16Text(const QByteArray &bytes) {
    std::optional<QStringDecoder::Encoding> encoding;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringDecoder::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringDecoder::Utf16BE;
    if (!encoding)
        return std::nullopt;
    QStringDecoder decoder(*encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes.mid(2));
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The separator the header line shows: tabs (a spreadsheet's text) or
// semicolons (a spreadsheet in a locale whose decimal mark is a comma),
// else commas.
QChar separatorOf(const QString &text) {
    int commas = 0, tabs = 0, semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\n' || c == u'\r')
            break;
        commas += c == u',' ? 1 : 0;
        tabs += c == u'\t' ? 1 : 0;
        semicolons += c == u';' ? 1 : 0;
    }
    if (tabs > 0 && tabs >= commas)
        return u'\t';
    if (semicolons > 0 && commas == 0)
        return u';';
    return u',';
}

std::optional<QList<QStringList>> parseCsv(const QString &text) {
    const QChar separator = separatorOf(text);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    const auto endField = [&] {
        row.append(field);
        field.clear();
        wasQuoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == separator) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            endField();
            rows.append(row);
            row.clear();
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    if (!field.isEmpty() || !row.isEmpty()) {
        endField();
        rows.append(row);
    }
    // Blank lines carry nothing.
    rows.removeIf([](const QStringList &r) { return r.size() == 1 && r.first().isEmpty(); });
    return rows;
}

// What a spreadsheet would run as a formula: such a field is exported with
// a leading ', taken off again on import.
bool startsFormula(QStringView text) {
    return !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
}

bool escapedByExport(QStringView text) {
    return text.startsWith(u'\'') &&
           (startsFormula(text.mid(1)) ||
            (text.size() > 2 && text.at(1) == u'\'' && startsFormula(text.mid(2))));
}

QString cell(const QStringList &row, int column) {
    if (column < 0)
        return {};
    const QString value = row.value(column);
    return (escapedByExport(value) ? value.mid(1) : value).trimmed();
}

// A formatted address as web address books export it: its lines joined,
// without the lines that hold only the postal code or the country.
QString wholeAddress(const QString &text, QString *foundCode) {
    QString joined;
    static const QRegularExpression code(
        QStringLiteral("〒?\\s*([0-9０-９]{3}[-－−‐]?[0-9０-９]{4})(?![0-9０-９])"));
    static const QRegularExpression country(QStringLiteral("^(日本|Japan|JAPAN|JP)[、,\\s]*"));
    for (const QString &line : text.split(u'\n')) {
        QString part = line.trimmed();
        // "〒100-0001 東京都…" or "日本、〒100-0001 東京都…": the code and the
        // country come out of the address; the code fills an empty 郵便番号.
        part.remove(country);
        if (const QRegularExpressionMatch match = code.match(part);
            match.hasMatch() &&
            (match.capturedStart() == 0 || part.at(match.capturedStart()) == u'〒')) {
            if (foundCode && foundCode->isEmpty())
                *foundCode = importedPostalCode(match.captured(1));
            part.remove(match.capturedStart(), match.capturedLength());
            part = part.trimmed();
            part.remove(country);
        }
        const QString code = importedPostalCode(part);
        const bool postal = code.size() >= 7 && code.at(0).isDigit() && code.back().isDigit() &&
                            code.count(u'-') <= 1;
        const bool country = QStringList{QStringLiteral("日本"), QStringLiteral("Japan"),
                                         QStringLiteral("JP"), QStringLiteral("JAPAN")}
                                 .contains(part);
        if (!postal && !country)
            joined += part;
    }
    return joined;
}

// The address fields of a mapping, or of another address in the same row.
constexpr ImportColumn AddressColumns[] = {ImportColumn::PostalCode, ImportColumn::WholeAddress,
                                           ImportColumn::Region,     ImportColumn::Locality,
                                           ImportColumn::Street,     ImportColumn::Address1,
                                           ImportColumn::Address2,   ImportColumn::Building};

struct AddressGroup {
    CsvMapping columns;
    int typeColumn = -1; // Google's "Address N - Type": Home, Work, Other
};

int &slot(CsvMapping &mapping, ImportColumn column) {
    return mapping.at(static_cast<size_t>(column));
}

// The other addresses a row may hold: Google's numbered ones and Outlook's
// business and other ones (English and Japanese). The mapped one comes
// first, with its type where it is one of Google's.
QList<AddressGroup> addressGroups(const QStringList &header, const CsvMapping &mapping) {
    // Google's columns, in English and as its Japanese export names them.
    static const QRegularExpression google(
        QStringLiteral("^(?:address|住所)(\\d)-(formatted|street|city|region|postalcode|"
                       "extendedaddress|type|書式設定済み|番地|市区町村|都道府県|郵便番号|住所2|"
                       "タイプ|種類)$"));
    static const std::pair<const char *, ImportColumn> googleParts[] = {
        {"formatted", ImportColumn::WholeAddress},
        {"street", ImportColumn::Street},
        {"city", ImportColumn::Locality},
        {"region", ImportColumn::Region},
        {"postalcode", ImportColumn::PostalCode},
        {"extendedaddress", ImportColumn::Building},
        {"書式設定済み", ImportColumn::WholeAddress},
        {"番地", ImportColumn::Street},
        {"市区町村", ImportColumn::Locality},
        {"都道府県", ImportColumn::Region},
        {"郵便番号", ImportColumn::PostalCode},
        {"住所2", ImportColumn::Building}};
    static const std::pair<const char *, ImportColumn> outlookParts[] = {
        {"street", ImportColumn::Street},   {"city", ImportColumn::Locality},
        {"state", ImportColumn::Region},    {"postalcode", ImportColumn::PostalCode},
        {"番地", ImportColumn::Street},     {"市区町村", ImportColumn::Locality},
        {"都道府県", ImportColumn::Region}, {"郵便番号", ImportColumn::PostalCode}};
    std::map<QString, AddressGroup> found;
    for (int column = 0; column < header.size(); ++column) {
        const QString key = headerKey(header.at(column));
        QString group;
        ImportColumn part{};
        bool type = false;
        if (const QRegularExpressionMatch match = google.match(key); match.hasMatch()) {
            group = QStringLiteral("google") + match.captured(1);
            type = match.captured(2) == QLatin1String("type") ||
                   match.captured(2) == QStringLiteral("タイプ") ||
                   match.captured(2) == QStringLiteral("種類");
            for (const auto &[name, column] : googleParts)
                if (match.captured(2) == QString::fromUtf8(name))
                    part = column;
        } else {
            for (const char *prefix : {"business", "other", "勤務先", "その他の", "その他"}) {
                const QString start = QString::fromUtf8(prefix);
                for (const auto &[name, column] : outlookParts)
                    if (group.isEmpty() && key == start + QString::fromUtf8(name)) {
                        group = start;
                        part = column;
                    }
            }
        }
        if (group.isEmpty())
            continue;
        auto [entry, added] = found.try_emplace(group);
        if (added)
            entry->second.columns.fill(-1);
        if (type)
            entry->second.typeColumn = column;
        else
            slot(entry->second.columns, part) = column;
    }
    AddressGroup mapped{mapping, -1};
    QList<AddressGroup> groups{mapped};
    for (const auto &entry : found) {
        const AddressGroup &group = entry.second;
        const bool same =
            std::all_of(std::begin(AddressColumns), std::end(AddressColumns), [&](ImportColumn c) {
                return group.columns.at(size_t(c)) < 0 ||
                       group.columns.at(size_t(c)) == mapping.at(size_t(c));
            });
        if (same)
            groups.first().typeColumn = group.typeColumn;
        else
            groups.append(group);
    }
    return groups;
}

bool hasAddress(const QStringList &row, const CsvMapping &columns) {
    return std::any_of(std::begin(AddressColumns), std::end(AddressColumns), [&](ImportColumn c) {
        return c != ImportColumn::PostalCode && c != ImportColumn::Building &&
               !cell(row, columns.at(size_t(c))).isEmpty();
    });
}

// Home first, as the vCard reader prefers it; then the mapped address; then
// any other the row holds.
CsvMapping chooseAddress(const QStringList &row, const CsvMapping &mapping,
                         const QList<AddressGroup> &groups) {
    // "Home", "* Home" (Google marks the primary one), 自宅.
    const auto home = [&row](int column) {
        const QString type = cell(row, column).remove(u'*').trimmed();
        return type.compare(QLatin1String("home"), Qt::CaseInsensitive) == 0 ||
               type == QStringLiteral("自宅");
    };
    for (const AddressGroup &group : groups)
        if (group.typeColumn >= 0 && home(group.typeColumn) && hasAddress(row, group.columns))
            return group.columns;
    for (const AddressGroup &group : groups)
        if (hasAddress(row, group.columns))
            return group.columns;
    return mapping;
}

// Two parts of an address as one: joined with a blank between words of
// the Latin alphabet (Miyagi Sendai), directly otherwise (宮城県仙台市).
QString joinedParts(const QString &first, const QString &second) {
    if (first.isEmpty() || second.isEmpty())
        return first + second;
    const bool latin = first.back().unicode() < 0x80 && first.back().isLetterOrNumber() &&
                       second.front().unicode() < 0x80 && second.front().isLetterOrNumber();
    return latin ? first + u' ' + second : first + second;
}

void setAddress(AddressRecord &record, const QStringList &row, const CsvMapping &columns) {
    const auto at = [&](ImportColumn c) {
        return columns.at(size_t(c));
    };
    QString foundCode;
    const QString line1 = cell(row, at(ImportColumn::Address1));
    const QString line2 = cell(row, at(ImportColumn::Address2));
    const QString region = cell(row, at(ImportColumn::Region));
    const QString parts = joinedParts(region, cell(row, at(ImportColumn::Locality)));
    const QString whole = cell(row, at(ImportColumn::WholeAddress));
    // 番地 and a 住所 column beside the prefecture and city: both are street.
    QString street = cell(row, at(ImportColumn::Street));
    if (!whole.isEmpty() && (!parts.isEmpty() || !street.isEmpty())) {
        // Unless it is the same address written out whole (Google's
        // Formatted beside its parts).
        QString ignored;
        const QString plain = wholeAddress(whole, &ignored);
        const QString rest = plain.startsWith(parts) ? plain.mid(parts.size()).trimmed() : plain;
        if (street.isEmpty())
            street = rest;
        else if (!rest.isEmpty() && !rest.contains(street))
            street += u' ' + rest;
    }
    // A street of several lines: the rest is the building, as in a vCard.
    QString building = cell(row, at(ImportColumn::Building));
    if (const qsizetype lineBreak = street.indexOf(u'\n'); lineBreak >= 0) {
        const QString rest = street.mid(lineBreak + 1).simplified();
        street = street.left(lineBreak).trimmed();
        building = building.isEmpty() ? rest : building;
    }
    if (!line1.isEmpty() || !line2.isEmpty()) {
        // A prefecture column before a 住所1 that lacks it.
        record.setField(AddressRecord::Address1, !region.isEmpty() && !line1.startsWith(region)
                                                     ? joinedParts(region, line1)
                                                     : line1);
        record.setField(AddressRecord::Address2,
                        line2.isEmpty() ? street : joinedParts(line2, street));
    } else if (!parts.isEmpty() || !street.isEmpty()) {
        setImportedAddress(record, parts, street);
    } else {
        setImportedAddress(record, {},
                           wholeAddress(cell(row, at(ImportColumn::WholeAddress)), &foundCode));
    }
    record.setField(AddressRecord::Address3, building);
    const QString code = cell(row, at(ImportColumn::PostalCode));
    record.setField(AddressRecord::PostalCode,
                    importedPostalCode(code.isEmpty() ? foundCode : code));
}

QString quote(QString text) {
    text.replace(u'"', QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

} // namespace

CsvRead readCsvTable(const QByteArray &given) {
    // A NUL reads as a blank, as in a vCard; the lines that held one are named.
    QByteArray bytes = given;
    QStringList notes;
    const std::optional<QString> wide = utf16Text(bytes);
    if (!wide && bytes.contains('\0')) {
        int line = 1;
        int noted = 0;
        for (char &c : bytes) {
            if (c == '\n') {
                ++line;
            } else if (c == '\0') {
                c = ' ';
                if (noted != line)
                    notes.append(QCoreApplication::translate(
                                     "nvl::Import", "%1行目の NUL 文字を空白として読みました。")
                                     .arg(line));
                noted = line;
            }
        }
    }
    const std::optional<DecodedText> text =
        wide ? std::optional<DecodedText>(DecodedText{*wide, TextEncoding::Utf8})
             : decodeText(bytes);
    if (!text)
        return {{},
                QCoreApplication::translate("nvl::Import",
                                            "CSV ファイルを UTF-8、UTF-16、Shift-JIS のどれとしても"
                                            "読めません。")};
    std::optional<QList<QStringList>> rows = parseCsv(text->text);
    if (!rows)
        return {{},
                QCoreApplication::translate(
                    "nvl::Import", "CSV ファイルの引用符（\"）が閉じられないまま終わっています。")};
    if (rows->isEmpty())
        return {{}, QCoreApplication::translate("nvl::Import", "CSV ファイルに行がありません。")};
    CsvTable table;
    table.header = rows->takeFirst();
    table.rows = *rows;
    table.notes = notes;
    return {table, {}};
}

bool isForeignCsv(const QByteArray &bytes) {
    if (utf16Text(bytes))
        return true; // the program never writes UTF-16
    const std::optional<DecodedText> text = decodeText(bytes);
    if (!text)
        return false;
    const qsizetype end = text->text.indexOf(u'\n');
    const std::optional<QList<QStringList>> first = parseCsv(text->text.left(end));
    if (first && !first->isEmpty() && mappingNamesSomething(guessMapping(first->first())))
        return true;
    return bytes.startsWith(Utf8Bom) && !parseBook(text->text).ok();
}

QString importColumnCaption(ImportColumn column) {
    static const char *const Captions[ImportColumnCount] = {
        QT_TRANSLATE_NOOP("nvl::Import", "氏名"),
        QT_TRANSLATE_NOOP("nvl::Import", "姓"),
        QT_TRANSLATE_NOOP("nvl::Import", "名"),
        QT_TRANSLATE_NOOP("nvl::Import", "郵便番号"),
        QT_TRANSLATE_NOOP("nvl::Import", "住所（一続き）"),
        QT_TRANSLATE_NOOP("nvl::Import", "都道府県"),
        QT_TRANSLATE_NOOP("nvl::Import", "市区町村"),
        QT_TRANSLATE_NOOP("nvl::Import", "番地"),
        QT_TRANSLATE_NOOP("nvl::Import", "住所１"),
        QT_TRANSLATE_NOOP("nvl::Import", "住所２"),
        QT_TRANSLATE_NOOP("nvl::Import", "建物名"),
        QT_TRANSLATE_NOOP("nvl::Import", "敬称"),
        QT_TRANSLATE_NOOP("nvl::Import", "コード"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名1"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名1敬称"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名2"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名2敬称"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名3"),
        QT_TRANSLATE_NOOP("nvl::Import", "連名3敬称"),
        QT_TRANSLATE_NOOP("nvl::Import", "フリガナ"),
        QT_TRANSLATE_NOOP("nvl::Import", "タグ"),
    };
    return QCoreApplication::translate("nvl::Import", Captions[static_cast<int>(column)]);
}

CsvMapping guessMapping(const QStringList &header) {
    CsvMapping mapping;
    mapping.fill(-1);
    for (int column = 0; column < header.size(); ++column) {
        const QString key = headerKey(header.at(column));
        for (const auto &[field, names] : knownHeaders()) {
            int &chosen = mapping.at(static_cast<size_t>(field));
            bool matches = false;
            for (const char *name : names)
                matches = matches || key == headerKey(QString::fromUtf8(name));
            if (matches && chosen < 0)
                chosen = column;
        }
    }
    return mapping;
}

QString mapColumn(CsvMapping &mapping, const QStringList &header, const QString &given) {
    const QString field = given.section(u'=', 0, 0).trimmed();
    const QString column = given.section(u'=', 1).trimmed();
    int which = -1;
    for (int c = 0; c < ImportColumnCount; ++c)
        if (headerKey(importColumnCaption(ImportColumn(c))) == headerKey(field))
            which = c;
    if (which < 0 || !given.contains(u'=')) {
        QStringList fields;
        for (int c = 0; c < ImportColumnCount; ++c)
            fields.append(importColumnCaption(ImportColumn(c)));
        return QCoreApplication::translate("nvl::Import",
                                           "--map「%1」の項目が分かりません。項目: %2")
            .arg(given, fields.join(u'、'));
    }
    bool number = false;
    int index = column.toInt(&number) - 1;
    if (!number) {
        index = -1;
        for (int c = 0; c < header.size() && index < 0; ++c)
            if (headerKey(header.at(c)) == headerKey(column))
                index = c;
    }
    if (index < 0 || index >= header.size())
        return QCoreApplication::translate("nvl::Import", "--map「%1」の列「%2」がありません。")
            .arg(given, column);
    mapping.at(size_t(which)) = index;
    return {};
}

bool mappingNamesSomething(const CsvMapping &mapping) {
    const auto mapped = [&](ImportColumn c) {
        return mapping.at(static_cast<size_t>(c)) >= 0;
    };
    const bool name = mapped(ImportColumn::Name) || mapped(ImportColumn::FamilyName);
    const bool address = mapped(ImportColumn::PostalCode) || mapped(ImportColumn::WholeAddress) ||
                         mapped(ImportColumn::Address1) || mapped(ImportColumn::Street) ||
                         mapped(ImportColumn::Locality);
    return name && address;
}

QList<YearColumn> yearColumns(const QStringList &header) {
    // Every year a mark may be for (1900–2999), as the export writes them.
    static const QRegularExpression year(QStringLiteral("(?<![0-9])(19|2[0-9])[0-9]{2}(?![0-9])"));
    // The mourning word first: 喪中 says nothing of sending.
    static const std::pair<YearMark, QStringList> words[] = {
        {YearMark::Mourning, {QStringLiteral("喪中"), QStringLiteral("服喪")}},
        {YearMark::Received,
         {QStringLiteral("受取"), QStringLiteral("受け取"), QStringLiteral("受信"),
          QStringLiteral("受"), QStringLiteral("received")}},
        {YearMark::Sent,
         {QStringLiteral("送付"), QStringLiteral("送信"), QStringLiteral("発送"),
          QStringLiteral("送"), QStringLiteral("sent")}},
    };
    QList<YearColumn> columns;
    for (int column = 0; column < header.size(); ++column) {
        const QString key = headerKey(header.at(column));
        const QRegularExpressionMatch found = year.match(key);
        if (!found.hasMatch() || key.contains(QStringLiteral("送受")))
            continue;
        for (const auto &[mark, names] : words) {
            if (std::any_of(names.begin(), names.end(),
                            [&key](const QString &name) { return key.contains(name); })) {
                columns.append({column, mark, found.captured(0).toInt()});
                break;
            }
        }
    }
    return columns;
}

bool isYesCell(const QString &text) {
    static const QStringList yes{
        QStringLiteral("1"),    QStringLiteral("○"),   QStringLiteral("〇"),
        QStringLiteral("◯"),    QStringLiteral("●"),   QStringLiteral("済"),
        QStringLiteral("済み"), QStringLiteral("yes"), QStringLiteral("true")};
    return yes.contains(text.normalized(QString::NormalizationForm_KC).trimmed().toLower());
}

namespace {

// A row's companion data: 連名, reading, tags, marks, a word for honorific.
QJsonObject rowData(const QStringList &row, const CsvMapping &mapping,
                    const QList<YearColumn> &years, const QString &reading,
                    const QString &honorificWord) {
    const auto at = [&](ImportColumn c) {
        return static_cast<int>(mapping.at(size_t(c)));
    };
    JointNames joint;
    for (int n = 0; n < MaxJointNames; ++n) {
        const auto column =
            static_cast<ImportColumn>(static_cast<int>(ImportColumn::Joint1) + 2 * n);
        const QString jointName = cell(row, at(column));
        if (!jointName.isEmpty())
            joint.append({jointName,
                          cell(row, at(static_cast<ImportColumn>(static_cast<int>(column) + 1)))});
    }
    QJsonObject data = withTags(withReading(withJointNames({}, joint), reading),
                                tagsFromCsv(cell(row, at(ImportColumn::Tags))));
    for (const YearColumn &year : years)
        if (isYesCell(cell(row, year.column)))
            data = withMark(data, year.year, year.mark, true);
    if (!honorificWord.isEmpty()) {
        RecordExtras extras = RecordExtras::fromJson(data);
        extras.honorificWord = honorificWord;
        data = extras.toJson();
    }
    return data;
}

// Columns read beside the mapping: a company names a row that has no name,
// and a reading may come in two columns.
struct ExtraColumns {
    int company = -1;
    int department = -1;
    int familyReading = -1;
    int givenReading = -1;
};

ExtraColumns extraColumns(const QStringList &header) {
    const auto named = [](const QString &key, std::initializer_list<const char *> names) {
        return std::any_of(names.begin(), names.end(),
                           [&key](const char *name) { return key == QString::fromUtf8(name); });
    };
    ExtraColumns extra;
    for (int column = 0; column < header.size(); ++column) {
        const QString key = headerKey(header.at(column));
        if (extra.company < 0 &&
            named(key, {"会社名", "会社", "company", "organization", "勤務先", "勤務先名", "所属"}))
            extra.company = column;
        else if (extra.department < 0 && named(key, {"部署名", "部署", "department"}))
            extra.department = column;
        else if (extra.familyReading < 0 &&
                 named(key, {"姓フリガナ", "姓(フリガナ)", "フリガナ(姓)", "姓ふりがな", "姓よみ",
                             "phoneticlastname", "familynameyomi", "lastnameyomi"}))
            extra.familyReading = column;
        else if (extra.givenReading < 0 &&
                 named(key, {"名フリガナ", "名(フリガナ)", "フリガナ(名)", "名ふりがな", "名よみ",
                             "phoneticfirstname", "givennameyomi", "firstnameyomi"}))
            extra.givenReading = column;
    }
    return extra;
}

// Filled cells no field took, by column, with the contacts that lose them:
// a column read for one row (a company naming it, the home address) may be
// left for another.
class UnreadCells {
public:
    UnreadCells(const CsvTable &table, const CsvMapping &mapping, const QList<AddressGroup> &groups,
                const QList<YearColumn> &years)
        : m_header(table.header), m_lost(table.header.size()) {
        m_alwaysRead.resize(table.header.size(), false);
        const auto mark = [this](int column) {
            if (column >= 0 && column < int(m_alwaysRead.size()))
                m_alwaysRead[column] = true;
        };
        for (int column : mapping)
            mark(column);
        for (const YearColumn &year : years)
            mark(year.column);
        // Which kind an address is says nothing by itself.
        for (const AddressGroup &group : groups)
            mark(group.typeColumn);
        for (ImportColumn c : AddressColumns)
            m_addressColumns.insert(mapping.at(size_t(c)));
        for (const AddressGroup &group : groups)
            for (ImportColumn c : AddressColumns)
                m_addressColumns.insert(group.columns.at(size_t(c)));
    }

    void add(const QStringList &row, int rowIndex, const QString &contact,
             const std::set<int> &read) {
        for (int column = 0; column < int(m_lost.size()); ++column) {
            if (row.value(column).trimmed().isEmpty() || read.count(column) != 0)
                continue;
            const bool address = m_addressColumns.count(column) != 0;
            if (m_alwaysRead[column] && !address)
                continue;
            // The first few named, the rest counted: a file at its largest
            // keeps no list of every contact for every column.
            Lost &lost = m_lost[size_t(column)];
            if (lost.named.size() < Named)
                lost.named.append(contact);
            ++lost.count;
            lost.rows = qHashMulti(lost.rows, rowIndex);
        }
    }

    QString warning() const {
        // Columns losing the same contacts (the parts of one address) are
        // named together.
        std::vector<std::pair<QStringList, const Lost *>> lost; // columns, contacts
        for (int column = 0; column < int(m_lost.size()); ++column) {
            const Lost &contacts = m_lost[size_t(column)];
            if (contacts.count == 0)
                continue;
            const QString name =
                m_header.at(column).isEmpty()
                    ? QCoreApplication::translate("nvl::Import", "%1 列目").arg(column + 1)
                    : m_header.at(column);
            if (!lost.empty() && lost.back().second->count == contacts.count &&
                lost.back().second->rows == contacts.rows)
                lost.back().first.append(name);
            else
                lost.push_back({{name}, &contacts});
        }
        QStringList parts;
        for (const auto &[columns, contacts] : lost) {
            QString who = contacts->named.join(QStringLiteral("、"));
            if (contacts->count > Named)
                who = QCoreApplication::translate("nvl::Import", "%1 ほか %2 件")
                          .arg(who)
                          .arg(contacts->count - Named);
            parts.append(QStringLiteral("%1（%2）").arg(columns.join(u'・'), who));
        }
        return parts.isEmpty()
                   ? QString()
                   : QCoreApplication::translate("nvl::Import", "読み込まなかった列: %1")
                         .arg(parts.join(QStringLiteral("、")));
    }

private:
    static constexpr int Named = 3;
    struct Lost {
        QStringList named;
        qsizetype count = 0;
        size_t rows = 0; // the rows, hashed: columns of one address lose the same
    };
    QStringList m_header;
    std::vector<Lost> m_lost;
    std::vector<bool> m_alwaysRead;
    std::set<int> m_addressColumns;
};

// The columns of one row's chosen address, and the extra columns it used.
std::set<int> cellsRead(const CsvMapping &chosen, const ExtraColumns &extra, bool byCompany,
                        bool splitReading) {
    std::set<int> read;
    for (ImportColumn c : AddressColumns)
        read.insert(chosen.at(size_t(c)));
    if (byCompany)
        read.insert({extra.company, extra.department});
    if (splitReading)
        read.insert({extra.familyReading, extra.givenReading});
    return read;
}

} // namespace

ImportResult recordsFromTable(const CsvTable &table, const CsvMapping &mapping) {
    ImportResult result;
    if (!mappingNamesSomething(mapping)) {
        result.error = QCoreApplication::translate(
            "nvl::Import", "氏名（または姓）と住所か郵便番号の列を選んでください。");
        return result;
    }
    const auto at = [&](ImportColumn c) {
        return static_cast<int>(mapping.at(size_t(c)));
    };
    result.warnings = table.notes;
    const QList<AddressGroup> groups = addressGroups(table.header, mapping);
    const QList<YearColumn> years = yearColumns(table.header);
    const ExtraColumns extra = extraColumns(table.header);
    UnreadCells unread(table, mapping, groups, years);
    for (int rowIndex = 0; rowIndex < int(table.rows.size()); ++rowIndex) {
        const QStringList &row = table.rows.at(rowIndex);
        QString name = cell(row, at(ImportColumn::Name));
        if (name.isEmpty())
            name = QStringList{cell(row, at(ImportColumn::FamilyName)),
                               cell(row, at(ImportColumn::GivenName))}
                       .join(u' ')
                       .trimmed();
        const bool byCompany = name.isEmpty() && !cell(row, extra.company).isEmpty();
        if (byCompany)
            name = QStringList{cell(row, extra.company), cell(row, extra.department)}
                       .join(u' ')
                       .trimmed();
        AddressRecord record;
        record.setField(AddressRecord::Name, name);
        const CsvMapping chosen = chooseAddress(row, mapping, groups);
        setAddress(record, row, chosen);
        QString honorific = cell(row, at(ImportColumn::Honorific));
        if (byCompany && honorific.isEmpty())
            honorific = QStringLiteral("御中");
        QString beyond;
        record.setField(AddressRecord::Honorific, at(ImportColumn::Honorific) >= 0 || byCompany
                                                      ? importedHonorific(honorific, &beyond)
                                                      : QStringLiteral("0"));
        record.setField(AddressRecord::Code, cell(row, at(ImportColumn::Code)));
        tidyImportedRecord(record);
        const bool noAddress = record.field(AddressRecord::Address1).isEmpty() &&
                               record.field(AddressRecord::Address2).isEmpty();
        if (noAddress) {
            bool blank = name.isEmpty();
            for (const QString &value : row)
                blank = blank && value.trimmed().isEmpty();
            if (!blank)
                result.skipped.append(
                    QCoreApplication::translate("nvl::Import", "%1（住所がありません）")
                        .arg(name.isEmpty() ? row.join(u',') : name));
            continue;
        }
        checkFieldLengths(record, result.warnings);
        result.records.append(record);
        QString reading = cell(row, at(ImportColumn::Reading));
        const bool splitReading = reading.isEmpty();
        if (splitReading)
            reading = QStringList{cell(row, extra.familyReading), cell(row, extra.givenReading)}
                          .join(u' ')
                          .trimmed();
        unread.add(row, rowIndex, name, cellsRead(chosen, extra, byCompany, splitReading));
        result.data.append(rowData(row, mapping, years, reading, beyond));
    }
    if (const QString warning = unread.warning(); !warning.isEmpty())
        result.warnings.append(warning);
    return result;
}

QByteArray writeExportCsv(const QList<AddressRecord> &records, const QList<QJsonObject> &data) {
    // Every field in the book's order, named as the card names them, then
    // the 連名 as postcard programs name them.
    QStringList header{quote(QStringLiteral("氏名")),   quote(QStringLiteral("住所１")),
                       quote(QStringLiteral("住所２")), quote(QStringLiteral("郵便番号")),
                       quote(QStringLiteral("コード")), quote(QStringLiteral("敬称")),
                       quote(QStringLiteral("建物名"))};
    for (int n = 1; n <= MaxJointNames; ++n)
        header << quote(QStringLiteral("連名%1").arg(n))
               << quote(QStringLiteral("連名%1敬称").arg(n));
    header << quote(QStringLiteral("フリガナ")) << quote(QStringLiteral("タグ"));
    std::set<int> years;
    for (const QJsonObject &extra : data) {
        const YearMarks marks = yearMarksOf(extra);
        for (auto it = marks.cbegin(); it != marks.cend(); ++it)
            years.insert(it.key());
    }
    for (const int year : std::as_const(years))
        for (const YearMark mark : AllYearMarks)
            header << quote(yearMarkColumnName(mark, year));
    QString out = header.join(u',') + QStringLiteral("\r\n");
    for (qsizetype index = 0; index < records.size(); ++index) {
        const AddressRecord record = printedRecord(records.at(index), data.value(index));
        QStringList texts;
        for (int field = 1; field <= AddressRecord::FieldCount; ++field) {
            const QString &value = record.field(field);
            // The honorific as its word where it names one, so other
            // programs read 様, not 0.
            const QString word = honorificWords().value(value.toInt());
            const QString shown = field == AddressRecord::Honorific &&
                                          value == QString::number(value.toInt()) && !word.isEmpty()
                                      ? word
                                      : value;
            texts.append(shown);
        }
        const QJsonObject &extra = data.value(index);
        const JointNames joint = jointNamesOf(extra);
        for (int n = 0; n < MaxJointNames; ++n)
            texts << joint.value(n).name << joint.value(n).honorific;
        texts << readingOf(extra) << csvTags(tagsOf(extra));
        const YearMarks marks = yearMarksOf(extra);
        for (const int year : std::as_const(years))
            for (const YearMark mark : AllYearMarks)
                texts << (marks.value(year) & int(mark) ? QStringLiteral("○") : QString());
        QStringList fields;
        for (const QString &shown : std::as_const(texts)) {
            const bool escape = startsFormula(shown) || (shown.startsWith(u'\'') &&
                                                         startsFormula(QStringView(shown).mid(1)));
            fields.append(quote(escape ? u'\'' + shown : shown));
        }
        out += fields.join(u',') + QStringLiteral("\r\n");
    }
    return Utf8Bom + out.toUtf8();
}

} // namespace nvl
