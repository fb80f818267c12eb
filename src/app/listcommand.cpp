#include "listcommand.h"

#include "bookdocument.h"
#include "recordsearch.h"

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
    const QCommandLineOption search(
        QStringLiteral("search"),
        QCoreApplication::translate("nvl::ListCommand",
                                    "text in the name, 連名, reading, address, code or tags"),
        QStringLiteral("TEXT"));
    const QCommandLineOption tag(QStringLiteral("tag"),
                                 QCoreApplication::translate("nvl::ListCommand", "a tag"),
                                 QStringLiteral("TAG"));
    parser.addOptions({search, tag});
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
    BookDocument document;
    if (const BookDocument::Loaded loaded = document.load(args.at(1)); !loaded.ok()) {
        std::fprintf(stderr, "nvl-hagaki list: %s\n", qPrintable(loaded.error));
        return 1;
    }
    const RecordSearch wanted{parser.value(search), parser.value(tag)};
    for (int row = 0; row < document.recordCount(); ++row) {
        const AddressRecord &record = document.record(row + 1);
        if (!wanted.matches(record, document.recordData(row)))
            continue;
        const QStringList fields{QString::number(row + 1), record.field(AddressRecord::Name),
                                 record.field(AddressRecord::PostalCode),
                                 record.field(AddressRecord::Address1)};
        std::printf("%s\n", fields.join(u'\t').toUtf8().constData());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace nvl
