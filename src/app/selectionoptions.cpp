#include "selectionoptions.h"

#include <QCoreApplication>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::ListCommand", text);
}

} // namespace

SelectionOptions::SelectionOptions()
    : m_search(QStringLiteral("search"),
               tr("text in the name, 連名, reading, address, code or tags"),
               QStringLiteral("TEXT")),
      m_tag(QStringLiteral("tag"), tr("a tag"), QStringLiteral("TAG")) {
    const auto year = [this](const char *name, const char *help, YearMark mark, bool set) {
        m_years.append({QCommandLineOption(QLatin1String(name), tr(help), QStringLiteral("YEAR")),
                        {mark, 0, set}});
    };
    year("sent", "sent a card for card year YEAR", YearMark::Sent, true);
    year("not-sent", "not sent a card for YEAR", YearMark::Sent, false);
    year("received", "received a card for YEAR", YearMark::Received, true);
    year("mourning", "in mourning (喪中) for YEAR", YearMark::Mourning, true);
    year("not-mourning", "not in mourning for YEAR", YearMark::Mourning, false);
}

void SelectionOptions::addTo(QCommandLineParser &parser) const {
    parser.addOptions({m_search, m_tag});
    for (const YearOption &year : m_years)
        parser.addOption(year.option);
}

bool SelectionOptions::isSet(const QCommandLineParser &parser) const {
    return parser.isSet(m_search) || parser.isSet(m_tag) ||
           std::any_of(m_years.begin(), m_years.end(),
                       [&parser](const YearOption &year) { return parser.isSet(year.option); });
}

bool SelectionOptions::readsCompanion(const QCommandLineParser &parser) const {
    return parser.isSet(m_tag) ||
           std::any_of(m_years.begin(), m_years.end(),
                       [&parser](const YearOption &year) { return parser.isSet(year.option); });
}

std::optional<RecordSearch> SelectionOptions::search(const QCommandLineParser &parser,
                                                     QString *error) const {
    RecordSearch search{parser.value(m_search), parser.value(m_tag), {}};
    for (const YearOption &year : m_years) {
        for (const QString &value : parser.values(year.option)) {
            const std::optional<int> number = cardYearArgument(value);
            if (!number) {
                *error = tr("--%1 の年「%2」は 1900〜2999 の西暦で指定してください。")
                             .arg(year.option.names().constFirst(), value);
                return std::nullopt;
            }
            MarkCondition condition = year.condition;
            condition.year = *number;
            search.marks.append(condition);
        }
    }
    return search;
}

QList<int> selectRecords(const RecordSearch &search, const BookDocument &book,
                         const QList<int> &numbers) {
    QList<int> chosen;
    for (const int n : numbers)
        if (search.matches(book.record(n), book.recordData(n - 1)))
            chosen.append(n);
    return chosen;
}

std::optional<int> cardYearArgument(const QString &text) {
    bool number = false;
    const int year = text.trimmed().toInt(&number);
    if (!number || !isCardYear(year))
        return std::nullopt;
    return year;
}

} // namespace nvl
