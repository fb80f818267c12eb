#include "pdfsubsetnames.h"

#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>
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

// A stream's data: where it lies, and where its length is written.
struct StreamPlace {
    qsizetype at = 0;
    qsizetype size = 0;
    qsizetype lengthAt = 0; // the number's first digit
    qsizetype lengthSize = 0;
};

// The Flate-compressed streams, by their /Length (direct or an object).
QList<StreamPlace> flateStreams(const QByteArray &pdf) {
    static const QRegularExpression dictionary(
        QStringLiteral("<<([^<>]*?)/Length\\s+(\\d+)(\\s+0\\s+R)?([^<>]*?)>>\\s*stream\\r?\\n"));
    const QString latin = QString::fromLatin1(pdf);
    QList<StreamPlace> streams;
    for (auto match = dictionary.globalMatch(latin); match.hasNext();) {
        const auto m = match.next();
        if (!(m.captured(1) + m.captured(4)).contains(QLatin1String("/FlateDecode")))
            continue;
        StreamPlace place;
        place.at = m.capturedEnd();
        if (m.captured(3).isEmpty()) {
            place.lengthAt = m.capturedStart(2);
            place.lengthSize = m.capturedLength(2);
        } else {
            // "N 0 obj" then the number alone.
            const QByteArray object = '\n' + m.captured(2).toLatin1() + " 0 obj";
            const qsizetype objectAt = pdf.indexOf(object);
            if (objectAt < 0)
                continue;
            qsizetype at = objectAt + object.size();
            while (at < pdf.size() && QByteArrayView(" \r\n").contains(pdf.at(at)))
                ++at;
            qsizetype end = at;
            while (end < pdf.size() && pdf.at(end) >= '0' && pdf.at(end) <= '9')
                ++end;
            place.lengthAt = at;
            place.lengthSize = end - at;
        }
        bool ok = false;
        place.size = pdf.mid(place.lengthAt, place.lengthSize).toLongLong(&ok);
        if (ok && place.lengthSize > 0 && place.at + place.size <= pdf.size())
            streams.append(place);
    }
    return streams;
}

QByteArray inflated(const QByteArray &data) {
    // qUncompress wants the size first; it grows its buffer when that is short.
    QByteArray sized(4, '\0');
    qToBigEndian(static_cast<quint32>(data.size() * 4), sized.data());
    return qUncompress(sized + data);
}

QByteArray deflated(const QByteArray &data) {
    return qCompress(data).mid(4);
}

QByteArray utf16Hex(const QString &text) {
    QByteArray bytes("FEFF");
    for (const QChar c : text)
        bytes += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return bytes;
}

} // namespace

QByteArray columnsAsText(const QByteArray &pdf, const QStringList &columns) {
    if (columns.isEmpty())
        return pdf;
    // The marks PainterSurface draws around a column: a dot filled in red
    // 0x4E (begin) or 0x4F (end), the column's number in green and blue.
    static const QRegularExpression mark(
        QStringLiteral("q\\n/\\w+ cs (0\\.30[0-9]+) ([0-9.]+) ([0-9.]+) scn\\n/\\w+ gs\\n"
                       "-100 -100 1 1 re\\nf\\nQ\\n"));
    const auto channel = [](const QString &value) {
        return static_cast<int>(std::lround(value.toDouble() * 255));
    };
    QList<Edit> edits;
    for (const StreamPlace &stream : flateStreams(pdf)) {
        const QByteArray content = inflated(pdf.mid(stream.at, stream.size));
        if (content.isEmpty() || !content.contains("-100 -100 1 1 re"))
            continue;
        const QString latin = QString::fromLatin1(content);
        QByteArray rewritten;
        qsizetype from = 0;
        for (auto match = mark.globalMatch(latin); match.hasNext();) {
            const auto m = match.next();
            const int red = channel(m.captured(1));
            const int index = channel(m.captured(2)) * 256 + channel(m.captured(3));
            if ((red != 0x4E && red != 0x4F) || index >= columns.size())
                continue;
            if (red == 0x4E) {
                rewritten += content.mid(from, m.capturedStart() - from);
                rewritten += "/Span <</ActualText <" + utf16Hex(columns.at(index)) + ">>> BDC\n";
            } else {
                // The span ends inside the column's last glyph's drawing,
                // where the reader's transform is still the column's.
                const QByteArray before = content.mid(from, m.capturedStart() - from);
                const qsizetype lastText = before.lastIndexOf("ET\n");
                if (lastText < 0) {
                    rewritten += before + "EMC\n";
                } else {
                    rewritten += before.left(lastText + 3) + "EMC\n" + before.mid(lastText + 3);
                }
            }
            from = m.capturedEnd();
        }
        if (from == 0)
            continue;
        rewritten += content.mid(from);
        const QByteArray data = deflated(rewritten);
        edits.append({stream.at, stream.size, data});
        edits.append({stream.lengthAt, stream.lengthSize, QByteArray::number(data.size())});
    }
    if (edits.isEmpty())
        return pdf;
    std::sort(edits.begin(), edits.end(), [](const Edit &a, const Edit &b) { return a.at < b.at; });
    return applyEdits(pdf, edits);
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
