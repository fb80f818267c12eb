#pragma once

// Print jobs built in memory and written as PDF files, for the tests of the
// layouts on every paper.

#include "fonts.h"
#include "printoutput.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>

namespace nvl::test {

inline AddressRecord card(const QString &name, const QString &postalCode,
                          const QString &address1 = {}, const QString &address2 = {},
                          const QString &building = {}, const QString &code = {}) {
    AddressRecord entry;
    entry.setField(AddressRecord::Name, name);
    entry.setField(AddressRecord::PostalCode, postalCode);
    entry.setField(AddressRecord::Address1, address1);
    entry.setField(AddressRecord::Address2, address2);
    entry.setField(AddressRecord::Address3, building);
    entry.setField(AddressRecord::Code, code);
    entry.setField(AddressRecord::Honorific, QStringLiteral("0"));
    return entry;
}

// The cards with a sender, on postcard paper unless the caller says.
inline PrintJob job(const QList<AddressRecord> &cards, const QString &zipFont = MinchoFontName) {
    PrintJob input;
    input.records = cards;
    input.paper = Paper::Postcard;
    input.sender = {QStringLiteral("〒100-0005"), QStringLiteral("東京都千代田区丸の内1-1-1"),
                    QString(), QStringLiteral("差出 太郎")};
    input.addressFont = MinchoFontName;
    input.postalFont = zipFont;
    return input;
}

// The job as print-pdf writes it, but its vertical columns left without
// their text as one span, so that a reader measures each glyph where it is
// drawn (renderPdf adds the spans). Empty when it failed.
inline QByteArray glyphPdf(const PrintJob &input) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PrintOutcome outcome;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        outcome = render(input, &writer);
    }
    return outcome.ok ? finishPdf(buffer.data(), input) : QByteArray();
}

// The job as a PDF file of its own in `dir` (glyphPdf); empty when it failed.
inline QString writePdf(const QTemporaryDir &dir, PrintJob input, Paper paper = Paper::Postcard) {
    input.paper = paper;
    const QByteArray pdf = glyphPdf(input);
    static int count = 0;
    const QString path = dir.filePath(QStringLiteral("cards%1.pdf").arg(++count));
    QFile file(path);
    if (pdf.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {};
    return path;
}

} // namespace nvl::test
