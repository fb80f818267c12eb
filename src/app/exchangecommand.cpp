#include "exchangecommand.h"

#include "bookdocument.h"
#include "bookflows.h"
#include "contactfile.h"
#include "foreigncsv.h"
#include "vcard.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace nvl {

namespace {

// A NUL a contact's name held would cut the line short: shown as U+FFFD.
QByteArray printable(QString message) {
    return message.replace(QChar(0), QChar(0xFFFD)).toLocal8Bit();
}

int fail(const char *command, const QString &message) {
    std::fprintf(stderr, "nvl-hagaki %s: %s\n", command, printable(message).constData());
    return 1;
}

int usageError(const char *command, const QString &message) {
    fail(command, message);
    return 2;
}

void warn(const char *command, const QString &message) {
    std::fprintf(stderr, "nvl-hagaki %s: %s\n", command, printable(message).constData());
}

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::ExchangeCommand", text);
}

// Parses the command line; false (with the exit status) when done already.
bool parse(QCommandLineParser &parser, const char *usage, int *status) {
    parser.addHelpOption();
    if (!parser.parse(QCoreApplication::arguments())) {
        *status = usageError(usage, parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        *status = 0;
        return false;
    }
    return true;
}

// The contacts, a CSV's columns as guessed and as `maps` (--map) says.
ImportResult readContacts(const ContactFile &file, const QStringList &maps = {}) {
    if (file.format == ImportFormat::VCard)
        return file.vcards;
    ImportResult failed;
    const CsvRead table = readCsvTable(file.csv);
    if (!table.ok()) {
        failed.error = table.error;
        return failed;
    }
    CsvMapping mapping = guessMapping(table.table.header);
    for (const QString &map : maps) {
        failed.error = mapColumn(mapping, table.table.header, map);
        if (!failed.ok())
            return failed;
    }
    return recordsFromTable(table.table, mapping);
}

} // namespace

int runImportCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("vCard や CSV の連絡先を住所録に取り込みます (imports contacts into a book)."));
    parser.addPositionalArgument(QStringLiteral("import"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("IN"), QStringLiteral("vCard (.vcf) or CSV file"));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("book (.dat) to write"));
    const QCommandLineOption append(QStringLiteral("append"),
                                    tr("add to an existing book, within its 300 records"));
    const QCommandLineOption map(QStringLiteral("map"),
                                 tr("read a CSV field from a column, e.g. 郵便番号=\"Zip\" or "
                                    "住所１=3 (repeatable)"),
                                 QStringLiteral("FIELD=COLUMN"));
    parser.addOptions({append, map});
    int status = 0;
    if (!parse(parser, "import", &status))
        return status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3)
        return usageError("import", tr("使い方 (usage): nvl-hagaki import IN.vcf|IN.csv OUT.dat "
                                       "[--append] [--map FIELD=COLUMN]..."));
    const QString &inPath = args.at(1);
    const QString &outPath = args.at(2);

    const ContactFile file = readContactFile(inPath);
    if (!file.ok())
        return fail("import", file.error);
    if (const QString refused = refusedImportTarget(inPath, outPath); !refused.isEmpty())
        return fail("import", refused);
    ImportResult read = readContacts(file, parser.values(map));
    // A code a spreadsheet shortened is completed from the address, and said.
    applySixDigitCodes(read, true);
    tidyImportedCodes(read);
    if (!read.ok())
        return fail("import", QStringLiteral("%1: %2").arg(inPath, read.error));
    if (read.records.isEmpty()) {
        for (const QString &note : importNotes(read))
            warn("import", note);
        return fail(
            "import",
            tr("「%1」に取り込める連絡先がありません。住所録は書き込んでいません。").arg(inPath));
    }

    // The book's lock is taken before it is read: a second import waits for
    // the first to be written, and adds to what it wrote.
    BookDocument document;
    document.approveUtf8 = [](const QString &book, const QStringList &characters) {
        warn("import", BookDocument::utf8Reason(book, characters));
        return true;
    };
    const BookDocument::Locked locked = document.lock(outPath, BookDocument::WriterWaitMs);
    if (!locked.ok)
        return fail("import", locked.error);
    if (!locked.warning.isEmpty())
        warn("import", locked.warning);
    if (QFileInfo::exists(outPath)) {
        if (!parser.isSet(append))
            return fail("import", tr("住所録「%1」はすでにあります。追加するときは --append を"
                                     "付けてください。")
                                      .arg(outPath));
        const BookDocument::Loaded loaded = loadBook(document, outPath);
        if (!loaded.ok())
            return fail(
                "import",
                loaded.error + u'\n' +
                    tr("住所録「%1」を読めないため、取り込みを中止しました。").arg(outPath));
        const bool carriesExtras =
            std::any_of(read.data.begin(), read.data.end(),
                        [](const QJsonObject &data) { return !data.isEmpty(); });
        if (const QString refused = companionRefusal(document); !refused.isEmpty() && carriesExtras)
            return fail("import", refused);
        if (const QString problem = companionNotRead(document); !problem.isEmpty())
            warn("import", problem);
    }
    const MergeResult merged = appendRecords(document.book(), read.records);
    if (!merged.ok())
        return fail("import", merged.error);
    const int first = document.recordCount();
    document.setRecords(merged.book.records);
    // 連名, readings and tags go into the companion, beside their records.
    for (int i = 0; i < read.records.size(); ++i)
        document.setRecordData(first + i, read.data.value(i));
    for (const QString &note : importNotes(read))
        warn("import", note);
    if (!merged.duplicates.isEmpty())
        warn("import", duplicatesNote(merged.duplicates));
    const BookDocument::Saved saved = document.isNew() ? document.saveAs(outPath) : document.save();
    if (!saved.ok())
        return fail("import", saved.error);
    return 0;
}

int runExportCommand(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("住所録を CSV や vCard に書き出します (exports a book to CSV or vCard)."));
    parser.addPositionalArgument(QStringLiteral("export"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"), QStringLiteral("book (.dat or .csv)"));
    parser.addPositionalArgument(QStringLiteral("OUT"),
                                 QStringLiteral("CSV (.csv) or vCard 3.0 (.vcf) to write"));
    int status = 0;
    if (!parse(parser, "export", &status))
        return status;
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3)
        return usageError("export",
                          tr("使い方 (usage): nvl-hagaki export BOOK.dat OUT.csv|OUT.vcf"));
    const QString &bookPath = args.at(1);
    const QString &outPath = args.at(2);
    if (!exportsVCard(outPath))
        return usageError("export", tr("書き出し先は .csv か .vcf のファイル名にしてください。"));
    BookDocument document;
    const BookDocument::Loaded loaded = loadBook(document, bookPath);
    if (!loaded.ok())
        return fail("export", loaded.status == BookRead::Status::FileError ||
                                      loaded.status == BookRead::Status::NotABook
                                  ? loaded.error
                                  : tr("「%1」は住所録の形式になっていません。").arg(bookPath));
    if (const QString problem = companionNotRead(document); !problem.isEmpty())
        warn("export", problem + u'\n' + tr("連名などは書き出していません。"));
    if (const QString refused = exportBook(document, outPath); !refused.isEmpty())
        return fail("export", refused);
    return 0;
}

} // namespace nvl
