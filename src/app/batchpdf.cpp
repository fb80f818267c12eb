#include "batchpdf.h"

#include "bookfile.h"
#include "fonts.h"
#include "offsetfile.h"
#include "printlist.h"
#include "printoutput.h"
#include "qtservices.h"
#include "senderfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

namespace nvl {

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "nvl-hagaki print-pdf: %s\n", qPrintable(message));
    return 1;
}

// A font that is not installed would silently print in a Latin fallback.
QString usableFont(const QString &name) {
    const QString font = printableFont(name);
    if (font != name)
        std::fprintf(stderr, "nvl-hagaki print-pdf: %s\n", qPrintable(missingFontMessage(name)));
    return font;
}

} // namespace

int runPrintPdf(int argc, char *argv[]) {
    // No display needed: a server without X prints as well.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("nvl-hagaki"));
    installFontSubstitutions();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "住所録の宛名面を PDF に印刷します (prints a book's address sides to PDF)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("print-pdf"), QStringLiteral("this command"));
    parser.addPositionalArgument(QStringLiteral("BOOK"),
                                 QStringLiteral("address book (.dat/.csv)"));
    parser.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("PDF file to write"));
    const QCommandLineOption twoUp(QStringLiteral("two-up"),
                                   QStringLiteral("two return postcards a sheet (往復  1s2p)"));
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
    parser.addOptions({twoUp, sender, font, zipFont, records});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 3)
        return fail(
            QStringLiteral("使い方 (usage): nvl-hagaki print-pdf BOOK OUT [options]; --help"));
    const QString bookPath = args.at(1);
    const QString outPath = args.at(2);

    const BookRead read = ReadBookFile(bookPath);
    if (!read.ok()) {
        return fail(
            read.status == BookRead::Status::FileError
                ? describeReadFailure(bookPath, read.fileStatus)
                : QStringLiteral("ファイル「%1」は住所録として読み込めません。").arg(bookPath));
    }
    QList<int> numbers;
    if (parser.isSet(records)) {
        const auto parsed = parseRecordList(parser.value(records), read.book.recordCount());
        if (!parsed)
            return fail(QStringLiteral("--records「%1」が正しくありません（1〜%2）。")
                            .arg(parser.value(records))
                            .arg(read.book.recordCount()));
        numbers = *parsed;
    } else {
        for (int n = 1; n <= read.book.recordCount(); ++n)
            numbers.append(n);
    }
    if (numbers.isEmpty())
        return fail(QStringLiteral("印刷するデータがありません。"));

    bool senderOk = false;
    const int senderIndex = parser.value(sender).toInt(&senderOk);
    if (!senderOk || senderIndex < 1 || senderIndex > 4)
        return fail(QStringLiteral("--sender は 1〜4 です。"));
    const QDir folder(resolveProgramFolder());
    const SenderEntry entry =
        ReadSenderFile(folder.filePath(QStringLiteral("Wolt.tds"))).at(senderIndex - 1);
    const OffsetRecord offsets = ReadOffsetFile(folder.filePath(QStringLiteral("Nuvel.opt")));

    LayoutInput input;
    for (const int n : numbers) {
        const AddressRecord &record = read.book.record(n);
        const auto digits = postalDigits(record.field(AddressRecord::PostalCode));
        if (!digits)
            return fail(QStringLiteral("%1件目「%2」の郵便番号「%3」は印刷できません。")
                            .arg(n)
                            .arg(record.field(AddressRecord::Name),
                                 record.field(AddressRecord::PostalCode)));
        input.printList.append(record);
        input.zipDigits.append(*digits);
    }
    const bool fourUp = !parser.isSet(twoUp);
    input.sendZip = entry.postalCode;
    input.sendAdd1 = entry.address1;
    input.sendAdd2 = entry.address2;
    input.sendName = entry.name;
    input.sheetCount = QString::number(sheetCount(static_cast<int>(numbers.size()), fourUp));
    input.xOffset = offsets.xSteps();
    input.yOffset = offsets.ySteps();
    input.secondRow = offsets.secondRow;
    input.addressFont = usableFont(parser.value(font));
    input.postalFont = usableFont(parser.value(zipFont));

    PrintOutcome outcome;
    const QByteArray pdf = renderCardsToPdf(input, fourUp, &outcome);
    if (!outcome.ok)
        return fail(outcome.error);
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size() || !out.commit())
        return fail(QStringLiteral("「%1」に書き込めません: %2").arg(outPath, out.errorString()));
    return 0;
}

} // namespace nvl
