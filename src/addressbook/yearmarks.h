#pragma once

#include <QDate>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

namespace nvl {

// What happened between the sender and a record in one 年賀 year: a card
// sent, a card received, a mourning notice (喪中: no 年賀状 that year).
enum class YearMark { Sent = 1, Received = 2, Mourning = 4 };
constexpr int YearMarkCount = 3;
inline constexpr YearMark AllYearMarks[YearMarkCount] = {YearMark::Sent, YearMark::Received,
                                                         YearMark::Mourning};

// The year printed on the cards being sent now: next year from October,
// this year until September.
int cardYear(const QDate &today);

// The marks of each year, as bits of YearMark, from a record's companion
// data ("history": {"2027": ["sent", "received"]}).
using YearMarks = QMap<int, int>;
YearMarks yearMarksOf(const QJsonObject &data);
bool hasMark(const QJsonObject &data, int year, YearMark mark);
QJsonObject withMark(QJsonObject data, int year, YearMark mark, bool set);
// The years from 1900 to 2999 are kept; others are not years of cards.
bool isCardYear(int year);

// A mark as files name it: sent, received, mourning.
QString yearMarkKey(YearMark mark);
// One year's marks as those words, in order, and back (others ignored).
QStringList yearMarkKeys(int marks);
int yearMarksFromKeys(const QStringList &keys);
// The marks' short Japanese names: 送った, 受け取った, 喪中.
QString yearMarkName(YearMark mark);
// A mark's column in CSV files and the list sheet: 送付2027, 受取2027, 喪中2027.
QString yearMarkColumnName(YearMark mark, int year);
// One year as lists show it: "2026年 送った・受け取った".
QString yearMarksText(int year, int marks);

// A condition on one mark of one year: that it is set (or not).
struct MarkCondition {
    YearMark mark = YearMark::Sent;
    int year = 0;
    bool set = true;
    bool holds(const YearMarks &marks) const { return bool(marks.value(year) & int(mark)) == set; }
    friend bool operator==(const MarkCondition &a, const MarkCondition &b) {
        return a.mark == b.mark && a.year == b.year && a.set == b.set;
    }
};

// The main window's year filters for card year `year`.
// まだ送っていない: 今年送る less the cards already sent; 去年喪中: who
// gets a 寒中見舞い instead of last year's 年賀状.
enum class YearFilter {
    None,
    SendThisYear,
    NotSentYet,
    ReplyPending,
    ReceivedLastYear,
    Mourning,
    MourningLastYear
};
QList<MarkCondition> yearFilterConditions(YearFilter filter, int year);
QString yearFilterName(YearFilter filter);

} // namespace nvl
