#include "pdfsubsetnames.h"

#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>

namespace nvl {

namespace {

struct Insertion {
    qsizetype at;
    QByteArray text;
};

// Offset `offset` of the original after the insertions.
qint64 shifted(qint64 offset, const QList<Insertion> &insertions) {
    qint64 result = offset;
    for (const Insertion &insertion : insertions) {
        if (insertion.at < offset)
            result += insertion.text.size();
    }
    return result;
}

} // namespace

QByteArray tagSubsetFontNames(const QByteArray &pdf) {
    // Tags of the subsets: "/FontName /ABCDEF+Name" gives Name → "ABCDEF+".
    QMap<QByteArray, QByteArray> tags;
    static const QRegularExpression fontName(
        QStringLiteral("/FontName\\s*/([A-Z]{6})\\+([^\\s/<>\\[\\]()]+)"));
    const QString latin = QString::fromLatin1(pdf);
    for (auto match = fontName.globalMatch(latin); match.hasNext();) {
        const auto m = match.next();
        tags.insert(m.captured(2).toLatin1(), m.captured(1).toLatin1() + '+');
    }
    if (tags.isEmpty())
        return pdf;

    QList<Insertion> insertions;
    static const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/([^\\s/<>\\[\\]()]+)"));
    for (auto match = baseFont.globalMatch(latin); match.hasNext();) {
        const auto m = match.next();
        const auto tag = tags.constFind(m.captured(1).toLatin1());
        if (tag != tags.constEnd())
            insertions.append({m.capturedStart(1), *tag});
    }
    if (insertions.isEmpty())
        return pdf;

    // One classic cross-reference table, as Qt writes it.
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const qsizetype xref = pdf.lastIndexOf("\nxref");
    if (startxref < 0 || xref < 0 || pdf.indexOf("\nxref") != xref)
        return pdf;
    const QList<QByteArray> tail = pdf.mid(startxref + 9).trimmed().split('\n');
    bool ok = false;
    const qint64 xrefOffset = tail.value(0).trimmed().toLongLong(&ok);
    if (!ok || xrefOffset != xref + 1)
        return pdf;
    for (const Insertion &insertion : insertions) {
        if (insertion.at > xref)
            return pdf;
    }

    QByteArray out;
    out.reserve(pdf.size() + insertions.size() * 8);
    qsizetype from = 0;
    for (const Insertion &insertion : insertions) {
        out += pdf.mid(from, insertion.at - from);
        out += insertion.text;
        from = insertion.at;
    }
    out += pdf.mid(from, xref + 1 - from);

    // The table: "xref", then "first count", then 20-byte entries.
    qsizetype pos = xref + 1;
    const auto readLine = [&pdf, &pos]() {
        const qsizetype end = pdf.indexOf('\n', pos);
        const QByteArray line = pdf.mid(pos, end < 0 ? -1 : end + 1 - pos);
        pos = end < 0 ? pdf.size() : end + 1;
        return line;
    };
    out += readLine(); // xref
    const QByteArray header = readLine();
    out += header;
    const int count = header.trimmed().split(' ').value(1).toInt();
    for (int i = 0; i < count; ++i) {
        QByteArray entry = readLine();
        if (entry.size() < 18)
            return pdf;
        if (entry.at(17) == 'n') {
            const qint64 offset = entry.left(10).toLongLong();
            entry.replace(0, 10,
                          QByteArray::number(shifted(offset, insertions)).rightJustified(10, '0'));
        }
        out += entry;
    }
    out += pdf.mid(pos, startxref - pos);
    out += "startxref\n" + QByteArray::number(shifted(xrefOffset, insertions)) + "\n%%EOF\n";
    return out;
}

} // namespace nvl
