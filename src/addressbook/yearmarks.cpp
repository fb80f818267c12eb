#include "yearmarks.h"

#include "recordextras.h"

#include <QCoreApplication>

namespace nvl {

QString yearMarkKey(YearMark mark) {
    switch (mark) {
    case YearMark::Sent:
        return QStringLiteral("sent");
    case YearMark::Received:
        return QStringLiteral("received");
    case YearMark::Mourning:
        break;
    }
    return QStringLiteral("mourning");
}

QStringList yearMarkKeys(int marks) {
    QStringList keys;
    for (const YearMark mark : AllYearMarks)
        if (marks & int(mark))
            keys.append(yearMarkKey(mark));
    return keys;
}

int yearMarksFromKeys(const QStringList &keys) {
    int marks = 0;
    for (const YearMark mark : AllYearMarks)
        if (keys.contains(yearMarkKey(mark)))
            marks |= int(mark);
    return marks;
}

int cardYear(const QDate &today) {
    return today.month() >= 10 ? today.year() + 1 : today.year();
}

bool isCardYear(int year) {
    return year >= 1900 && year <= 2999;
}

YearMarks yearMarksOf(const QJsonObject &data) {
    return RecordExtras::fromJson(data).history;
}

bool hasMark(const QJsonObject &data, int year, YearMark mark) {
    return yearMarksOf(data).value(year) & int(mark);
}

QJsonObject withMark(QJsonObject data, int year, YearMark mark, bool set) {
    if (!isCardYear(year))
        return data;
    RecordExtras extras = RecordExtras::fromJson(data);
    YearMarks &marks = extras.history;
    const int bits = set ? marks.value(year) | int(mark) : marks.value(year) & ~int(mark);
    if (bits == 0)
        marks.remove(year);
    else
        marks.insert(year, bits);
    return extras.toJson();
}

QString yearMarkName(YearMark mark) {
    switch (mark) {
    case YearMark::Sent:
        return QCoreApplication::translate("nvl::YearMarks", "送った");
    case YearMark::Received:
        return QCoreApplication::translate("nvl::YearMarks", "受け取った");
    case YearMark::Mourning:
        break;
    }
    return QCoreApplication::translate("nvl::YearMarks", "喪中");
}

QString yearMarkColumnName(YearMark mark, int year) {
    const char *const word = mark == YearMark::Sent       ? "送付"
                             : mark == YearMark::Received ? "受取"
                                                          : "喪中";
    return QString::fromUtf8(word) + QString::number(year);
}

QString yearMarksText(int year, int marks) {
    QStringList names;
    for (const YearMark mark : AllYearMarks)
        if (marks & int(mark))
            names.append(yearMarkName(mark));
    return QCoreApplication::translate("nvl::YearMarks", "%1年 %2")
        .arg(year)
        .arg(names.join(u'・'));
}

QList<MarkCondition> yearFilterConditions(YearFilter filter, int year) {
    switch (filter) {
    case YearFilter::None:
        return {};
    case YearFilter::SendThisYear:
        return {{YearMark::Mourning, year, false}};
    case YearFilter::NotSentYet:
        return {{YearMark::Mourning, year, false}, {YearMark::Sent, year, false}};
    case YearFilter::MourningLastYear:
        return {{YearMark::Mourning, year - 1, true}};
    case YearFilter::ReplyPending:
        return {{YearMark::Received, year, true}, {YearMark::Sent, year, false}};
    case YearFilter::ReceivedLastYear:
        return {{YearMark::Received, year - 1, true}, {YearMark::Sent, year, false}};
    case YearFilter::Mourning:
        break;
    }
    return {{YearMark::Mourning, year, true}};
}

QString yearFilterName(YearFilter filter) {
    switch (filter) {
    case YearFilter::None:
        return QCoreApplication::translate("nvl::YearMarks", "すべて");
    case YearFilter::SendThisYear:
        return QCoreApplication::translate("nvl::YearMarks", "今年送る");
    case YearFilter::NotSentYet:
        return QCoreApplication::translate("nvl::YearMarks", "まだ送っていない");
    case YearFilter::MourningLastYear:
        return QCoreApplication::translate("nvl::YearMarks", "去年喪中");
    case YearFilter::ReplyPending:
        return QCoreApplication::translate("nvl::YearMarks", "返事がまだ");
    case YearFilter::ReceivedLastYear:
        return QCoreApplication::translate("nvl::YearMarks", "去年もらった人");
    case YearFilter::Mourning:
        break;
    }
    return QCoreApplication::translate("nvl::YearMarks", "喪中");
}

} // namespace nvl
