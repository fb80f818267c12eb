#pragma once

#include "bookdocument.h"
#include "recordsearch.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

namespace nvl {

// The options that choose records by what they hold, shared by the
// commands that list and print: --search TEXT, --tag TAG, and --sent,
// --not-sent, --received, --mourning, --not-mourning YEAR.
class SelectionOptions {
public:
    SelectionOptions();
    void addTo(QCommandLineParser &parser) const;
    // True when the command line asks for a selection at all.
    bool isSet(const QCommandLineParser &parser) const;
    // True when it chooses by what the companion holds: marks or tags.
    bool readsCompanion(const QCommandLineParser &parser) const;
    // What the options ask; nothing (and why, in `error`) when a year is not one.
    std::optional<RecordSearch> search(const QCommandLineParser &parser, QString *error) const;

private:
    struct YearOption {
        QCommandLineOption option;
        MarkCondition condition;
    };
    QCommandLineOption m_search;
    QCommandLineOption m_tag;
    QList<YearOption> m_years;
};

// The record numbers (from 1) among `numbers` whose records match.
QList<int> selectRecords(const RecordSearch &search, const BookDocument &book,
                         const QList<int> &numbers);

// A year given on the command line: 1900–2999, else nothing.
std::optional<int> cardYearArgument(const QString &text);

} // namespace nvl
