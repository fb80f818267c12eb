#include "pdftools.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace nvl::test {

namespace {

QByteArray run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

} // namespace

QList<PdfWord> pdfWords(const QString &pdf) {
    QList<PdfWord> words;
    QXmlStreamReader xml(
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            const double x0 = a.value(QLatin1String("xMin")).toDouble();
            const double y0 = a.value(QLatin1String("yMin")).toDouble();
            const double x1 = a.value(QLatin1String("xMax")).toDouble();
            const double y1 = a.value(QLatin1String("yMax")).toDouble();
            words.append({page, QRectF(QPointF(x0, y0), QPointF(x1, y1)), xml.readElementText()});
        }
    }
    return words;
}

QString pdfDrawnText(const QString &pdf) {
    return QString::fromUtf8(
               run(QStringLiteral("pdftotext"), {QStringLiteral("-raw"), pdf, QStringLiteral("-")}))
        .remove(u'\n');
}

int pdfPageCount(const QString &pdf) {
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QStringList pdfFonts(const QString &pdf) {
    QStringList fonts;
    const QStringList lines =
        QString::fromUtf8(run(QStringLiteral("pdffonts"), {pdf})).split(u'\n');
    for (const QString &line : lines.mid(2)) {
        QString name = line.section(u' ', 0, 0, QString::SectionSkipEmpty);
        if (name.isEmpty())
            continue;
        if (name.size() > 7 && name.at(6) == u'+')
            name = name.mid(7);
        fonts.append(name);
    }
    return fonts;
}

bool pdfFontsListSubsets(const QString &pdf) {
    const QStringList lines =
        QString::fromUtf8(run(QStringLiteral("pdffonts"), {pdf})).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() < 3)
        return false;
    for (const QString &line : lines.mid(2)) {
        // name type encoding emb sub uni object id: "emb" and "sub" both yes.
        if (!line.contains(QRegularExpression(
                QStringLiteral("\\byes\\s+yes\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"))))
            return false;
    }
    return true;
}

QImage renderPdfPage(const QString &pdf, int page, int dpi, const QRect &crop) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QStringList arguments{QStringLiteral("-gray"), QStringLiteral("-r"),
                          QString::number(dpi),    QStringLiteral("-f"),
                          QString::number(page),   QStringLiteral("-l"),
                          QString::number(page),   QStringLiteral("-singlefile")};
    if (!crop.isNull())
        arguments << QStringLiteral("-x") << QString::number(crop.x()) << QStringLiteral("-y")
                  << QString::number(crop.y()) << QStringLiteral("-W")
                  << QString::number(crop.width()) << QStringLiteral("-H")
                  << QString::number(crop.height());
    run(QStringLiteral("pdftoppm"), arguments << pdf << prefix);
    return QImage(prefix + QStringLiteral(".pgm"));
}

QPointF inkCentre(const QImage &image, const QRect &area) {
    const QRect clipped = area & image.rect();
    int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return {(left + right + 1) / 2.0, (top + bottom + 1) / 2.0};
}

} // namespace nvl::test
