#include "batchpdf.h"

#include "bookdocument.h"
#include "bookflows.h"
#include "commondialog.h"
#include "fonts.h"
#include "logging.h"
#include "offsetfile.h"
#include "outputcheck.h"
#include "printlist.h"
#include "printoutput.h"
#include "qtservices.h"
#include "recorddata.h"
#include "selectionoptions.h"
#include "senderfile.h"
#include "textfile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <cstdio>

namespace nvl {

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "nvl-hagaki print-pdf: %s\n", qPrintable(message));
    return 1;
}

int usageError(const QString &message) {
    fail(message);
    return 2;
}

void warn(const QString &message) {
    std::fprintf(stderr, "nvl-hagaki print-pdf: %s\n", qPrintable(message));
}

// A font that is not installed would silently print in a Latin fallback.
QString usableFont(const QString &name) {
    const QString font = printableFont(name);
    if (font != name)
        warn(missingFontMessage(name));
    return font;
}

// The PDF never takes the place of the book, under whatever name, nor of a
// device or another special file; standard output is always there.
QString refusedPdfOutput(const QString &bookPath, const QString &outPath) {
    return outPath == QLatin1String("-") ? QString() : refusedOutput(bookPath, outPath);
}

} // namespace

namespace {

// Standard error carries only what the user must know: Qt's own notices
// (a missing runtime folder, font cache chatter) stay silent.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int runPrintPdf(int argc, char *argv[]) {
    qInstallMessageHandler(quietQtMessages);
    // No display needed: a server without X prints as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("nvl-hagaki"));
    installFontSubstitutions();

    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "nvl::BatchPdf",
        "住所録の宛名面を PDF に印刷します (prints a book's address sides to PDF)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("print-pdf"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"),
                                 QStringLiteral("address book (.dat/.csv)"));
    parser.addPositionalArgument(QStringLiteral("OUT"),
                                 QStringLiteral("PDF file to write, or - for standard output"));
    const QCommandLineOption twoUp(
        QStringLiteral("two-up"),
        QCoreApplication::translate("nvl::BatchPdf", "two return postcards a sheet (往復  1s2p)"));
    const QCommandLineOption sender(QStringLiteral("sender"),
                                    QStringLiteral("sender entry 1-4 of Wolt.tds (default 1)"),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption font(QStringLiteral("font"), QStringLiteral("address font"),
                                  QStringLiteral("NAME"), MinchoFontName);
    const QCommandLineOption zipFont(QStringLiteral("zip-font"), QStringLiteral("postal-code font"),
                                     QStringLiteral("NAME"), MinchoFontName);
    const QCommandLineOption records(QStringLiteral("records"),
                                     QStringLiteral("record numbers to print, e.g. 1,3,5-9"),
                                     QStringLiteral("LIST"));
    const QCommandLineOption paper(
        QStringLiteral("paper"),
        QCoreApplication::translate("nvl::BatchPdf",
                                    "a4 (default: the A4 sheets), hagaki (real postcards, "
                                    "100 × 148 mm, one a page), ofuku (return postcards, "
                                    "200 × 148 mm: the outgoing address sides) or ofuku-reply "
                                    "(their reply address sides, back to the sender)"),
        QStringLiteral("PAPER"), QStringLiteral("a4"));
    const QCommandLineOption vertical(
        QStringLiteral("vertical"),
        QCoreApplication::translate("nvl::BatchPdf",
                                    "vertical address sides (縦書き; numbers in kanji numerals)"));
    const QCommandLineOption arabic(
        QStringLiteral("arabic-numerals"),
        QCoreApplication::translate("nvl::BatchPdf",
                                    "with --vertical: Arabic numerals upright, two digits side by "
                                    "side (縦中横)"));
    parser.addOptions({twoUp, sender, font, zipFont, records, paper, vertical, arabic});
    const SelectionOptions selection;
    selection.addTo(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    QString badYear;
    const std::optional<RecordSearch> wanted = selection.search(parser, &badYear);
    if (!wanted)
        return usageError(badYear);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3)
        return usageError(QCoreApplication::translate(
            "nvl::BatchPdf", "使い方 (usage): nvl-hagaki print-pdf BOOK OUT [options]; --help"));
    const QString &bookPath = args.at(1);
    const QString &outPath = args.at(2);

    if (const QString refused = refusedPdfOutput(bookPath, outPath); !refused.isEmpty())
        return fail(refused);

    BookDocument document;
    const BookDocument::Loaded loaded = loadBook(document, bookPath);
    if (!loaded.ok()) {
        return fail(loaded.status == BookRead::Status::FileError ||
                            loaded.status == BookRead::Status::NotABook
                        ? loaded.error
                        : QCoreApplication::translate(
                              "nvl::BatchPdf", "ファイル「%1」は住所録として読み込めません。")
                              .arg(bookPath));
    }
    if (const QString refused = companionSelectionRefusal(document);
        !refused.isEmpty() && selection.readsCompanion(parser))
        return fail(refused);
    if (const QString problem = companionNotRead(document); !problem.isEmpty())
        std::fprintf(
            stderr, "nvl-hagaki print-pdf: %s\n",
            qPrintable(problem + u'\n' +
                       QCoreApplication::translate("nvl::BatchPdf", "連名は付けずに印刷します。")));
    const AddressBook &book = document.book();
    QList<int> numbers;
    if (parser.isSet(records)) {
        const auto parsed = parseRecordList(parser.value(records), book.recordCount());
        if (!parsed)
            return usageError(QCoreApplication::translate(
                                  "nvl::BatchPdf", "--records「%1」が正しくありません（1〜%2）。")
                                  .arg(parser.value(records))
                                  .arg(book.recordCount()));
        numbers = *parsed;
    } else {
        for (int n = 1; n <= book.recordCount(); ++n)
            numbers.append(n);
    }
    // With --records too, the records both choose.
    if (selection.isSet(parser)) {
        numbers = selectRecords(*wanted, document, numbers);
        if (numbers.isEmpty())
            return fail(QCoreApplication::translate(
                "nvl::BatchPdf", "条件に合う宛名がありません。何も書き出していません。"));
    }
    if (numbers.isEmpty())
        return fail(QCoreApplication::translate("nvl::BatchPdf", "印刷するデータがありません。"));

    bool senderOk = false;
    const int senderIndex = parser.value(sender).toInt(&senderOk);
    if (!senderOk || senderIndex < 1 || senderIndex > 4)
        return usageError(QCoreApplication::translate("nvl::BatchPdf", "--sender は 1〜4 です。"));
    const QString programFolder = resolveProgramFolder();
    const QString executableFolder = QCoreApplication::applicationDirPath();
    const QString senderFile =
        settingsFileIn(programFolder, executableFolder, QStringLiteral("Wolt.tds"));
    QString problem;
    const SenderEntry entry = readSenderFile(senderFile, &problem).at(senderIndex - 1);
    if (!problem.isEmpty()) {
        // A file that cannot be read at all is refused; damaged values are
        // printed empty, and the user is told.
        TextFileRead::Status status = TextFileRead::Status::Ok;
        readFileBytes(senderFile, &status);
        if (status != TextFileRead::Status::Ok)
            return fail(problem);
        warn(problem);
    }
    const OffsetRecord offsets = readOffsetFile(
        settingsFileIn(programFolder, executableFolder, QStringLiteral("Nuvel.opt")), &problem);
    if (!problem.isEmpty())
        warn(problem);

    const QString paperName = parser.value(paper).toLower();
    const QMap<QString, Paper> papers = {{QStringLiteral("a4"), Paper::A4FourUp},
                                         {QStringLiteral("hagaki"), Paper::Postcard},
                                         {QStringLiteral("ofuku"), Paper::ReturnOutgoing},
                                         {QStringLiteral("ofuku-reply"), Paper::ReturnReply}};
    if (!papers.contains(paperName))
        return usageError(QCoreApplication::translate(
            "nvl::BatchPdf", "--paper は a4、hagaki、ofuku、ofuku-reply のどれかです。"));
    PrintJob job;
    job.paper = papers.value(paperName);
    if (job.onPostcards() && parser.isSet(twoUp))
        return usageError(QCoreApplication::translate(
            "nvl::BatchPdf", "--two-up は A4 の用紙だけに使えます（--paper a4）。"));
    if (parser.isSet(arabic) && !parser.isSet(vertical))
        return usageError(QCoreApplication::translate(
            "nvl::BatchPdf", "--arabic-numerals は縦書き（--vertical）と一緒に使います。"));
    if (parser.isSet(twoUp))
        job.paper = Paper::A4TwoUp;
    job.cardYear = cardYear(QDate::currentDate());
    for (const int n : numbers) {
        job.records.append(printedRecord(book.record(n), document.recordData(n - 1)));
        job.jointNames.append(jointNamesOf(document.recordData(n - 1)));
        job.mourning.append(yearMarksOf(document.recordData(n - 1)).value(job.cardYear) &
                            int(YearMark::Mourning));
    }
    job.vertical = parser.isSet(vertical);
    job.numbers = parser.isSet(arabic) ? VerticalNumbers::Arabic : VerticalNumbers::Kanji;
    job.sender = {entry.postalCode, entry.address1, entry.address2, entry.name};
    // Postcard paper is placed from the card's own geometry, without the A4
    // offsets of Nuvel.opt: its output depends on the arguments alone.
    job.sheetOffsets = offsets.steps();
    job.addressFont = usableFont(parser.value(font));
    job.postalFont = usableFont(parser.value(zipFont));

    const PrintCheck check = checkPrintJobMeasured(job);
    if (check.unprintable >= 0) {
        const int n = numbers.at(check.unprintable);
        const AddressRecord &record = book.record(n);
        return fail(
            QCoreApplication::translate("nvl::BatchPdf",
                                        "%1件目「%2」の郵便番号「%3」は印刷できません。")
                .arg(n)
                .arg(record.field(AddressRecord::Name), record.field(AddressRecord::PostalCode)));
    }
    if (!check.warnings.isEmpty())
        warn(check.warnings);

    PrintOutcome outcome;
    const QByteArray pdf = renderPdf(job, &outcome);
    qCInfo(lcPrint).noquote() << "print-pdf" << job.cardCount() << "cards to" << outPath << ","
                              << pdf.size() << "bytes" << (outcome.ok ? QString() : outcome.error);
    if (!outcome.ok)
        return fail(outcome.error);
    if (outPath == QLatin1String("-")) {
        const bool written = std::fwrite(pdf.constData(), 1, static_cast<size_t>(pdf.size()),
                                         stdout) == static_cast<size_t>(pdf.size());
        if (!written || std::fflush(stdout) != 0 || std::ferror(stdout))
            return fail(QCoreApplication::translate("nvl::BatchPdf", "標準出力に書き込めません。"));
        return 0;
    }
    const WriteResult written = replaceFileContents(outPath, pdf);
    if (!written)
        return fail(written.error);
    return 0;
}

} // namespace nvl
