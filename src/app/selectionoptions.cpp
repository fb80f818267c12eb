#include "selectionoptions.h"

#include <QCoreApplication>

namespace nvl {

SelectionOptions::SelectionOptions()
    : m_search(QStringLiteral("search"),
               QCoreApplication::translate(
                   "nvl::ListCommand", "text in the name, 連名, reading, address, code or tags"),
               QStringLiteral("TEXT")),
      m_tag(QStringLiteral("tag"), QCoreApplication::translate("nvl::ListCommand", "a tag"),
            QStringLiteral("TAG")) {}

void SelectionOptions::addTo(QCommandLineParser &parser) const {
    parser.addOptions({m_search, m_tag});
}

bool SelectionOptions::isSet(const QCommandLineParser &parser) const {
    return parser.isSet(m_search) || parser.isSet(m_tag);
}

QList<int> SelectionOptions::select(const QCommandLineParser &parser, const BookDocument &book,
                                    const QList<int> &numbers) const {
    const RecordSearch wanted{parser.value(m_search), parser.value(m_tag)};
    QList<int> chosen;
    for (const int n : numbers)
        if (wanted.matches(book.record(n), book.recordData(n - 1)))
            chosen.append(n);
    return chosen;
}

} // namespace nvl
