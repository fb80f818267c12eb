#include "pdfsubsetnames.h"

#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <algorithm>

namespace nvl {

namespace {

// `removed` bytes at `at` replaced by `text`.
struct Edit {
    qsizetype at;
    qsizetype removed;
    QByteArray text;
};

// Offset `offset` of the original after the edits.
qint64 shifted(qint64 offset, const QList<Edit> &edits) {
    qint64 result = offset;
    for (const Edit &edit : edits) {
        if (edit.at < offset)
            result += edit.text.size() - edit.removed;
    }
    return result;
}

QByteArray applyEdits(const QByteArray &pdf, const QList<Edit> &edits);

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

    QList<Edit> insertions;
    static const QRegularExpression baseFont(QStringLiteral("/BaseFont\\s*/([^\\s/<>\\[\\]()]+)"));
    for (auto match = baseFont.globalMatch(latin); match.hasNext();) {
        const auto m = match.next();
        const auto tag = tags.constFind(m.captured(1).toLatin1());
        if (tag != tags.constEnd())
            insertions.append({m.capturedStart(1), 0, *tag});
    }
    if (insertions.isEmpty())
        return pdf;

    return applyEdits(pdf, insertions);
}

QByteArray exactPageBoxes(const QByteArray &pdf, double widthPoints, double heightPoints) {
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+[0-9.]+\\s+([0-9.]+)\\s*\\]"));
    QList<Edit> edits;
    const QString latin = QString::fromLatin1(pdf);
    for (auto match = box.globalMatch(latin); match.hasNext();) {
        const auto m = match.next();
        // The content was laid out from the top of the rounded page: the
        // box grows (or shrinks) at the bottom, so the top stays where the
        // layout put it.
        const double top = m.captured(1).toDouble();
        const QByteArray exact = "/MediaBox [0 " + QByteArray::number(top - heightPoints, 'f', 3) +
                                 ' ' + QByteArray::number(widthPoints, 'f', 3) + ' ' +
                                 QByteArray::number(top, 'f', 3) + ']';
        edits.append({m.capturedStart(), m.capturedLength(), exact});
    }
    return edits.isEmpty() ? pdf : applyEdits(pdf, edits);
}

namespace {

QByteArray applyEdits(const QByteArray &pdf, const QList<Edit> &insertions) {
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
    for (const Edit &insertion : insertions) {
        if (insertion.at > xref)
            return pdf;
    }

    QByteArray out;
    out.reserve(pdf.size() + insertions.size() * 8);
    qsizetype from = 0;
    for (const Edit &insertion : insertions) {
        out += pdf.mid(from, insertion.at - from);
        out += insertion.text;
        from = insertion.at + insertion.removed;
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

} // namespace

} // namespace nvl
