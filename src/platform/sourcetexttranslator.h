#pragma once

#include <QHash>
#include <QTranslator>

namespace nvl {

// Translations from a small .ts file, matched by source text whatever the
// context: it fills the gaps of Qt's own catalogue, which is installed
// after it and so asked first.
class SourceTextTranslator : public QTranslator {
public:
    // False when the file cannot be read or holds no translation.
    bool loadTs(const QString &path);
    bool isEmpty() const override { return m_texts.isEmpty(); }
    QString translate(const char *context, const char *sourceText,
                      const char *disambiguation = nullptr, int n = -1) const override;

private:
    QHash<QString, QString> m_texts;
};

} // namespace nvl
