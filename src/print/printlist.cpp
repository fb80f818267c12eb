#include "printlist.h"

#include "messagetext.h"
#include "nameblock.h"
#include "paperlayout.h"
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
        // No code: the boxes are left to be written by hand.
        if (code.trimmed().isEmpty())
            continue;
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

PrintCheck checkPrintJob(const PrintJob &job, PrinterSurface *measuring) {
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
    QStringList parts;
    if (const QString warnings = printWarnings(job.records); !warnings.isEmpty())
        parts.append(warnings);
    QStringList mourning;
    for (int n = 0; n < job.cardCount(); ++n)
        if (job.mourning.value(n))
            mourning.append(job.records.at(n).field(AddressRecord::Name));
    if (!mourning.isEmpty())
        parts.append(QCoreApplication::translate("nvl::PrintList",
                                                 "次の%n枚は%1年の喪中と記録されています。",
                                                 nullptr, static_cast<int>(mourning.size()))
                         .arg(job.cardYear) +
                     u'\n' + mourning.join(u'\n'));
    if (const QStringList whole = jointNamesAlignedToWholeName(job); !whole.isEmpty())
        parts.append(whole.join(u'\n'));
    if (measuring) {
        if (const QStringList over = cardsThatDoNotFit(job, *measuring); !over.isEmpty())
            parts.append(
                QCoreApplication::translate("nvl::PrintList",
                                            "次の%n枚は宛名か住所が最も小さい文字でも入りきらず、"
                                            "はみ出して印刷されます。",
                                            nullptr, static_cast<int>(over.size())) +
                u'\n' + over.join(u'\n'));
    }
    // Each problem's heading first, then each list under its heading: a
    // problem past a long list is not found at its end.
    const QString all = parts.join(QStringLiteral("\n\n"));
    QStringList headings;
    for (const QString &section : all.split(QStringLiteral("\n\n")))
        headings.append(section.section(u'\n', 0, 0));
    check.warnings =
        headings.size() > 1 ? headings.join(u'\n') + QStringLiteral("\n\n") + all : all;
    return check;
}

QStringList jointNamesAlignedToWholeName(const PrintJob &job) {
    QStringList lines;
    for (int n = 0; n < job.cardCount(); ++n) {
        const QString &name = job.records.at(n).field(AddressRecord::Name);
        if (!job.jointNamesAt(n).isEmpty() && isWholeName(name))
            lines.append(
                QCoreApplication::translate(
                    "nvl::PrintList", "「%1」：氏名に空白がないため連名を名前の頭にそろえました。")
                    .arg(name));
    }
    return lines;
}

namespace {

// Measures as the printer will and draws nothing; counts the texts that
// did not fit.
class FitCheckSurface : public PrinterSurface {
public:
    explicit FitCheckSurface(PrinterSurface &measuring) : m_measuring(measuring) {}
    int unfitted = 0;

    void setX(float) override {}
    void setY(float) override {}
    void setFontName(const QString &name) override { m_measuring.setFontName(name); }
    void setFontSize(double points) override { m_measuring.setFontSize(points); }
    void printText(const QString &) override {}
    double advance(const QString &text) override { return m_measuring.advance(text); }
    QRectF inkBounds(const QString &text) override { return m_measuring.inkBounds(text); }
    double verticalAdvance(const QString &text) override {
        return m_measuring.verticalAdvance(text);
    }
    void printVertical(const QString &, double) override {}
    void newPage() override {}
    void noteUnfitted() override { ++unfitted; }
    bool endDocument() override { return true; }
    int fontCount() const override { return m_measuring.fontCount(); }
    QString fontName(int index) const override { return m_measuring.fontName(index); }

private:
    PrinterSurface &m_measuring;
};

} // namespace

QStringList cardsThatDoNotFit(const PrintJob &job, PrinterSurface &measuring) {
    FitCheckSurface surface(measuring);
    const std::unique_ptr<PaperLayout> layout = paperLayout(job.paper);
    QStringList lines;
    for (int n = 0; n < job.cardCount(); ++n) {
        surface.unfitted = 0;
        layout->drawCard(job, n, surface);
        if (surface.unfitted > 0) {
            const AddressRecord &record = job.records.at(n);
            lines.append(QCoreApplication::translate("nvl::PrintList", "%1（%2）")
                             .arg(quotedStart(record.field(AddressRecord::Name)),
                                  quotedStart(record.field(AddressRecord::Address1))));
        }
    }
    return lines;
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
