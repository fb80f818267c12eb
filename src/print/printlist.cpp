#include "printlist.h"

#include "postaldirectory.h"
#include "postcardlayout.h"

#include <QCoreApplication>
#include <algorithm>

namespace nvl {

std::array<QString, 7> postalBoxes(const QString &postalCode) {
    std::array<QString, 7> boxes;
    const bool hyphen = postalCode.mid(3, 1) == u"-";
    for (int i = 0; i < 7; ++i) {
        const int position = hyphen && i >= 3 ? i + 1 : i;
        boxes.at(i) = postalCode.mid(position, 1);
    }
    return boxes;
}

QStringList cardsWithoutHonorific(const QList<AddressRecord> &records) {
    QStringList lines;
    for (const AddressRecord &record : records) {
        const QString &code = record.field(AddressRecord::Honorific);
        if (honorificWord(code).isEmpty())
            lines.append(QCoreApplication::translate("nvl::PrintList", "%1（コード %2）")
                             .arg(record.field(AddressRecord::Name), code));
    }
    return lines;
}

QString honorificWarning(const QList<AddressRecord> &records) {
    const QStringList lines = cardsWithoutHonorific(records);
    if (lines.isEmpty())
        return {};
    return QCoreApplication::translate("nvl::PrintList",
                                       "次の%n枚は敬称のコードが 0〜5 のどれでもないため、"
                                       "敬称なしで印刷されます。",
                                       nullptr, static_cast<int>(lines.size())) +
           QStringLiteral("\n") + lines.join(u'\n');
}

DoubtfulPostalCodes cardsWithDoubtfulPostalCode(const QList<AddressRecord> &records) {
    const PostalDirectory &directory = PostalDirectory::shipped();
    DoubtfulPostalCodes doubtful;
    for (const AddressRecord &record : records) {
        const QString &code = record.field(AddressRecord::PostalCode);
        const QString address =
            record.field(AddressRecord::Address1) + record.field(AddressRecord::Address2);
        const QString compact = QString(address).remove(u' ').remove(u'　');
        const QList<PostalPlace> places = directory.byCode(code);
        // The address must name the code's municipality.
        const bool belongs = std::any_of(places.begin(), places.end(), [&](const PostalPlace &p) {
            return compact.contains(p.municipality);
        });
        if (belongs)
            continue;
        const QString line = QCoreApplication::translate("nvl::PrintList", "%1（〒%2）%3")
                                 .arg(record.field(AddressRecord::Name), code, address);
        (places.isEmpty() ? doubtful.unknown : doubtful.elsewhere).append(line);
    }
    return doubtful;
}

QString printWarnings(const QList<AddressRecord> &records) {
    QStringList parts;
    if (const QString honorifics = honorificWarning(records); !honorifics.isEmpty())
        parts.append(honorifics);
    const DoubtfulPostalCodes doubtful = cardsWithDoubtfulPostalCode(records);
    // The data may be older than a code, or lack an office's own one.
    if (!doubtful.unknown.isEmpty())
        parts.append(
            QCoreApplication::translate("nvl::PrintList",
                                        "次の%n枚の郵便番号は手元の郵便番号データにありません"
                                        "（事業所の個別番号かもしれません）。",
                                        nullptr, static_cast<int>(doubtful.unknown.size())) +
            u'\n' + doubtful.unknown.join(u'\n'));
    if (!doubtful.elsewhere.isEmpty())
        parts.append(QCoreApplication::translate(
                         "nvl::PrintList", "次の%n枚は郵便番号が住所と合っていません。", nullptr,
                         static_cast<int>(doubtful.elsewhere.size())) +
                     u'\n' + doubtful.elsewhere.join(u'\n'));
    return parts.join(QStringLiteral("\n\n"));
}

PrintCheck checkPrintJob(const PrintJob &job) {
    PrintCheck check;
    for (int n = 0; n < job.cardCount(); ++n) {
        const AddressRecord &record = job.records.at(n);
        const QString &code = record.field(AddressRecord::PostalCode);
        if (!postalDigits(code)) {
            check.unprintable = n;
            check.stop =
                QCoreApplication::translate(
                    "nvl::PrintList", "「%1」の郵便番号「%2」は印刷できません。\n"
                                      "郵便番号は7桁の数字で入力してください。印刷を中止しました。")
                    .arg(record.field(AddressRecord::Name), code);
            return check;
        }
    }
    check.warnings = printWarnings(job.records);
    return check;
}

QString previewNameLine(const AddressRecord &record) {
    const QString word = honorificWord(record.field(AddressRecord::Honorific));
    const QString &name = record.field(AddressRecord::Name);
    return word.isEmpty() ? name : name + QStringLiteral("　") + word;
}

} // namespace nvl

namespace nvl {

std::optional<QList<int>> parseRecordList(const QString &text, int count) {
    QList<int> numbers;
    const QStringList parts = text.split(u',');
    for (const QString &raw : parts) {
        const QString part = raw.trimmed();
        const QStringList ends = part.split(u'-');
        if (ends.size() > 2)
            return std::nullopt;
        bool okFirst = false;
        bool okLast = false;
        const int first = ends.first().trimmed().toInt(&okFirst);
        const int last = ends.last().trimmed().toInt(&okLast);
        if (!okFirst || !okLast || first < 1 || last < first || last > count)
            return std::nullopt;
        for (int n = first; n <= last; ++n)
            numbers.append(n);
    }
    return numbers;
}

} // namespace nvl
