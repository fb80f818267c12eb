#pragma once

#include "bookdocument.h"
#include "recordsearch.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace nvl {

// The options that choose records by what they hold, shared by the
// commands that list and print: --search TEXT, --tag TAG.
class SelectionOptions {
public:
    SelectionOptions();
    void addTo(QCommandLineParser &parser) const;
    // True when the command line asks for a selection at all.
    bool isSet(const QCommandLineParser &parser) const;
    // The record numbers (from 1) among `numbers` whose records match.
    QList<int> select(const QCommandLineParser &parser, const BookDocument &book,
                      const QList<int> &numbers) const;

private:
    QCommandLineOption m_search;
    QCommandLineOption m_tag;
};

} // namespace nvl
