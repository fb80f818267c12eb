#include "sourcetexttranslator.h"

#include <QFile>
#include <QXmlStreamReader>

namespace nvl {

bool SourceTextTranslator::loadTs(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    QString source;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source"))
            source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation") && !source.isEmpty())
            m_texts.insert(source, xml.readElementText());
    }
    return !xml.hasError() && !m_texts.isEmpty();
}

QString SourceTextTranslator::translate(const char *context, const char *sourceText,
                                        const char *disambiguation, int n) const {
    Q_UNUSED(context)
    Q_UNUSED(disambiguation)
    Q_UNUSED(n)
    return m_texts.value(QString::fromUtf8(sourceText));
}

} // namespace nvl
