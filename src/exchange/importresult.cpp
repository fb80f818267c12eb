#include "importresult.h"

#include "postaldirectory.h"

#include "splitaddress.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace nvl {

namespace {

// Line breaks, tabs and other control characters as blanks; so are the
// invisible direction controls and separators that could show a name
// reversed or broken.
QString withoutControls(QString text) {
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (c.category() == QChar::Other_Control || (u >= 0x202A && u <= 0x202E) ||
            (u >= 0x2066 && u <= 0x2069) || u == 0x2028 || u == 0x2029)
            c = u' ';
    }
    return text;
}

} // namespace

QString importedPostalCode(const QString &given) {
    // Cleaned first, so a code read back from an export reads the same.
    const QString text = withoutControls(given);
    // Spellings the book prints already stay as they are.
    static const QRegularExpression printable(QStringLiteral("^[0-9]{3}-?[0-9]{4}$"));
    if (printable.match(text.trimmed()).hasMatch())
        return text.trimmed();
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits += QChar(u'0' + c.digitValue());
        else if (!QStringLiteral("〒-－−‐ー ").contains(c) && !c.isSpace())
            return text.trimmed();
    }
    if (digits.size() != 7)
        return text.trimmed();
    return digits.left(3) + u'-' + digits.mid(3);
}

QString importedHonorific(const QString &text, QString *beyond) {
    const QString word = withoutControls(text).trimmed();
    if (word.isEmpty())
        return QStringLiteral("0"); // 様, as the editor starts
    const qsizetype index = honorificWords().indexOf(word);
    if (index >= 0)
        return QString::number(index);
    // A word beyond the six goes to the record's data; the field keeps the
    // index other programs read.
    if (beyond && !isNumericText(word)) {
        *beyond = word;
        return QStringLiteral("0");
    }
    return word;
}

void setImportedAddress(AddressRecord &record, const QString &regionAndLocality,
                        const QString &street) {
    const QString first = regionAndLocality.trimmed();
    const QString second = street.trimmed();
    if (!first.isEmpty()) {
        record.setField(AddressRecord::Address1, first);
        record.setField(AddressRecord::Address2, second);
        return;
    }
    const SplitLines lines = splitAddressText(second, true);
    record.setField(AddressRecord::Address1, lines.line1);
    record.setField(AddressRecord::Address2, lines.line2);
}

void tidyImportedRecord(AddressRecord &record) {
    for (int field = 1; field <= AddressRecord::FieldCount; ++field)
        record.setField(field, withoutControls(record.field(field)).trimmed());
}

void checkFieldLengths(const AddressRecord &record, QStringList &warnings) {
    struct Limit {
        int field;
        const char *caption;
        int length;
    };
    static constexpr Limit Limits[] = {
        {AddressRecord::Name, QT_TRANSLATE_NOOP("nvl::Import", "名前"), 20},
        {AddressRecord::Address1, QT_TRANSLATE_NOOP("nvl::Import", "住所１"), 22},
        {AddressRecord::Address2, QT_TRANSLATE_NOOP("nvl::Import", "住所２"), 22},
        {AddressRecord::Code, QT_TRANSLATE_NOOP("nvl::Import", "コード"), 20},
    };
    for (const Limit &limit : Limits) {
        const qsizetype length = record.field(limit.field).size();
        if (length > limit.length)
            warnings.append(QCoreApplication::translate(
                                "nvl::Import", "「%1」の%2は%3文字あり、入力できる%4文字を超えて"
                                               "いますが、そのまま取り込みます。")
                                .arg(quotedStart(record.field(AddressRecord::Name)),
                                     QCoreApplication::translate("nvl::Import", limit.caption))
                                .arg(length)
                                .arg(limit.length));
    }
}

ImportFormat importFormat(const QString &path, const QByteArray &bytes) {
    const QString lower = path.toLower();
    if (lower.endsWith(QLatin1String(".vcf")) || lower.endsWith(QLatin1String(".vcard")))
        return ImportFormat::VCard;
    if (lower.endsWith(QLatin1String(".csv")))
        return ImportFormat::Csv;
    return bytes.left(4096).toUpper().contains("BEGIN:VCARD") ? ImportFormat::VCard
                                                              : ImportFormat::Csv;
}

QList<SixDigitCode> sixDigitCodes(const QList<AddressRecord> &records) {
    static const QRegularExpression six(QStringLiteral("^[0-9]{2,3}-?[0-9]{3,4}$"));
    QList<SixDigitCode> found;
    for (int i = 0; i < records.size(); ++i) {
        const QString code = records.at(i).field(AddressRecord::PostalCode);
        QString digits = code;
        digits.remove(u'-');
        if (digits.size() != 6 || !six.match(code).hasMatch())
            continue;
        QStringList codes;
        const QString address = records.at(i).field(AddressRecord::Address1) +
                                records.at(i).field(AddressRecord::Address2);
        for (const PostalPlace &place : PostalDirectory::shipped().byAddress(address))
            if (!codes.contains(place.code))
                codes.append(place.code);
        // Only a code that ends with the six digits typed is offered.
        QString suggested;
        if (codes.size() == 1 && codes.first().endsWith(digits))
            suggested = codes.first().left(3) + u'-' + codes.first().mid(3);
        found.append({i, suggested});
    }
    return found;
}

QString sixDigitWarning(const AddressRecord &record, const SixDigitCode &code, bool replaced) {
    const QString name = quotedStart(record.field(AddressRecord::Name));
    const QString &given = record.field(AddressRecord::PostalCode);
    if (replaced)
        return QCoreApplication::translate(
                   "nvl::Import",
                   "「%1」の郵便番号「%2」は6けたのため、住所から引いた「%3」にしました。")
            .arg(name, given, code.suggested);
    return QCoreApplication::translate(
               "nvl::Import", "「%1」の郵便番号「%2」は6けたです（先頭の0が落ちていませんか）。")
        .arg(name, given);
}

void tidyImportedCodes(ImportResult &result) {
    static const QRegularExpression bare(QStringLiteral("^[0-9]{7}$"));
    static const QRegularExpression code(QStringLiteral("^[0-9]{3}-[0-9]{4}$"));
    QStringList odd;
    for (AddressRecord &record : result.records) {
        const QString given = record.field(AddressRecord::PostalCode).trimmed();
        if (bare.match(given).hasMatch())
            record.setField(AddressRecord::PostalCode, given.left(3) + u'-' + given.mid(3));
        else if (!given.isEmpty() && !code.match(given).hasMatch())
            odd.append(QStringLiteral("%1（%2）").arg(record.field(AddressRecord::Name), given));
    }
    if (!odd.isEmpty())
        result.warnings.append(QCoreApplication::translate(
                                   "nvl::Import", "郵便番号が7けたの数字でない連絡先（%1件）: %2")
                                   .arg(odd.size())
                                   .arg(odd.join(QStringLiteral("、"))));
}

QStringList importNotes(const ImportResult &result) {
    QStringList notes;
    if (!result.skipped.isEmpty())
        notes.append(QCoreApplication::translate("nvl::Import",
                                                 "住所がないため取り込まなかった連絡先（%1件）: %2")
                         .arg(result.skipped.size())
                         .arg(result.skipped.join(QStringLiteral("、"))));
    notes.append(result.warnings);
    return notes;
}

MergeResult appendRecords(const AddressBook &book, const QList<AddressRecord> &records) {
    const qsizetype total = book.records.size() + records.size();
    if (total > AddressBook::Capacity)
        return {book,
                QCoreApplication::translate("nvl::Import",
                                            "取り込む%1件を合わせると%2件になり、住所録に入る%3件を"
                                            "超えます。あと%4件まで取り込めます。何も取り込み"
                                            "ませんでした。")
                    .arg(records.size())
                    .arg(total)
                    .arg(AddressBook::Capacity)
                    .arg(AddressBook::Capacity - book.records.size()),
                {}};
    AddressBook merged = book;
    QStringList duplicates;
    for (const AddressRecord &record : records) {
        // Added all the same: the user sees which, and may delete them.
        if (merged.records.contains(record))
            duplicates.append(quotedStart(record.field(AddressRecord::Name)));
        merged.records.append(record);
    }
    return {merged, {}, duplicates};
}

QString duplicatesNote(const QStringList &duplicates) {
    return duplicates.isEmpty()
               ? QString()
               : QCoreApplication::translate("nvl::Import",
                                             "住所録に同じ内容がすでにある連絡先（%1件）: %2")
                     .arg(duplicates.size())
                     .arg(duplicates.join(QStringLiteral("、")));
}

void applySixDigitCodes(ImportResult &result, bool replace) {
    for (const SixDigitCode &code : sixDigitCodes(result.records)) {
        AddressRecord &record = result.records[code.index];
        const bool replaced = replace && !code.suggested.isEmpty();
        result.warnings.append(sixDigitWarning(record, code, replaced));
        if (replaced)
            record.setField(AddressRecord::PostalCode, code.suggested);
    }
}

} // namespace nvl
