#include "markcommand.h"

#include "bookdocument.h"
#include "bookflows.h"
#include "printlist.h"
#include "selectionoptions.h"
#include "yearmarks.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::MarkCommand", text);
}

int fail(const QString &message, int status = 1) {
    std::fprintf(stderr, "nvl-hagaki mark: %s\n", qPrintable(message));
    return status;
}

} // namespace

int runMarkCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("宛名に年賀状の送受信と喪中を記録します (marks cards sent, received and 喪中)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mark"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"), tr("address book"));
    const QCommandLineOption records(QStringLiteral("records"), tr("record numbers, e.g. 1,3,5-9"),
                                     QStringLiteral("LIST"));
    const QCommandLineOption clear(QStringLiteral("clear"), tr("clear the marks instead"));
    const std::pair<QCommandLineOption, YearMark> marks[] = {
        {{QStringLiteral("sent"), tr("sent for card year YEAR"), QStringLiteral("YEAR")},
         YearMark::Sent},
        {{QStringLiteral("received"), tr("received for YEAR"), QStringLiteral("YEAR")},
         YearMark::Received},
        {{QStringLiteral("mourning"), tr("喪中 for YEAR"), QStringLiteral("YEAR")},
         YearMark::Mourning},
    };
    parser.addOptions({records, clear});
    for (const auto &[option, mark] : marks)
        parser.addOption(option);
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText(), 2);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QString usage = tr("使い方 (usage): nvl-hagaki mark BOOK --records LIST "
                             "(--sent YEAR | --received YEAR | --mourning YEAR) [--clear]");
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2 || !parser.isSet(records))
        return fail(usage, 2);
    QList<MarkCondition> changes;
    for (const auto &[option, mark] : marks) {
        for (const QString &value : parser.values(option)) {
            const std::optional<int> year = cardYearArgument(value);
            if (!year)
                return fail(tr("--%1 の年「%2」は 1900〜2999 の西暦で指定してください。")
                                .arg(option.names().constFirst(), value),
                            2);
            changes.append({mark, *year, !parser.isSet(clear)});
        }
    }
    if (changes.isEmpty())
        return fail(usage, 2);

    // Taken before the book is read: a window or another command saving the
    // book meanwhile is waited for, and its records are the ones marked.
    const QString &bookPath = args.at(1);
    BookDocument document;
    const BookDocument::Locked locked = document.lock(bookPath, BookDocument::WriterWaitMs);
    if (!locked.ok)
        return fail(locked.error);
    if (const BookDocument::Loaded loaded = loadBook(document, bookPath); !loaded.ok())
        return fail(loaded.error);
    if (const QString refused = companionRefusal(document); !refused.isEmpty())
        return fail(refused);
    const auto numbers = parseRecordList(parser.value(records), document.recordCount());
    if (!numbers)
        return fail(tr("--records「%1」が正しくありません（1〜%2）。")
                        .arg(parser.value(records))
                        .arg(document.recordCount()),
                    2);
    for (const int n : *numbers) {
        QJsonObject data = document.recordData(n - 1);
        for (const MarkCondition &change : changes)
            data = withMark(data, change.year, change.mark, change.set);
        document.setRecordData(n - 1, data);
    }
    if (const BookDocument::Saved saved = document.save(); !saved.ok())
        return fail(saved.error);
    return 0;
}

} // namespace nvl
