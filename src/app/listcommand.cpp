#include "listcommand.h"

#include "bookdocument.h"
#include "bookflows.h"
#include "selectionoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace nvl {

int runListCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "nvl::ListCommand", "住所録の宛名を一覧します (lists a book's records)."));
    parser.addHelpOption();
    const SelectionOptions selection;
    selection.addTo(parser);
    parser.addPositionalArgument(QStringLiteral("list"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"),
                                 QCoreApplication::translate("nvl::ListCommand", "address book"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    QString problem;
    const std::optional<RecordSearch> wanted = selection.search(parser, &problem);
    if (!wanted) {
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(problem));
        return 2;
    }
    BookDocument document;
    if (const BookDocument::Loaded loaded = loadBook(document, args.at(1)); !loaded.ok()) {
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(loaded.error));
        return 1;
    }
    if (const QString refused = companionSelectionRefusal(document);
        !refused.isEmpty() && selection.readsCompanion(parser)) {
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(refused));
        return 1;
    }
    if (const QString problem = companionNotRead(document); !problem.isEmpty())
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(problem));
    QList<int> numbers;
    for (int n = 1; n <= document.recordCount(); ++n)
        numbers.append(n);
    for (const int n : selectRecords(*wanted, document, numbers)) {
        const AddressRecord &record = document.record(n);
        const QStringList fields{QString::number(n), record.field(AddressRecord::Name),
                                 record.field(AddressRecord::PostalCode),
                                 record.field(AddressRecord::Address1)};
        // One line a record, whatever its fields hold.
        QString line = fields.join(u'\t');
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        line.replace(u'\r', u' ');
        line.replace(u'\n', u' ');
        std::printf("%s\n", line.toUtf8().constData());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace nvl
