#include "settingsfile.h"

#include "quotedfields.h"

namespace nvl {

QStringList readSettingsValues(const QString &path, int count) {
    const TextFileRead file = readTextFile(path);
    return settingsValuesFromText(file.ok() ? file.content.text : QString(), count);
}

QStringList settingsValuesFromBytes(const QByteArray &bytes, int count) {
    const std::optional<DecodedText> text = decodeText(bytes);
    return settingsValuesFromText(text ? text->text : QString(), count);
}

QStringList settingsValuesFromText(const QString &text, int count) {
    QStringList values;
    QuotedFieldReader reader(text);
    while (values.size() < count) {
        std::optional<QString> field = reader.next();
        if (!field)
            break;
        values.append(*field);
    }
    while (values.size() < count)
        values.append(QString());
    return values;
}

WriteResult writeSettingsValues(const QString &path, const QStringList &values) {
    return writeQuotedFile(path, {values});
}

BookSettings readBookSettings(const QString &path) {
    const QStringList values = readSettingsValues(path, 2);
    return {values.at(0), values.at(1)};
}

WriteResult writeBookSettings(const QString &path, const BookSettings &settings) {
    return writeSettingsValues(path, {settings.currentFile, settings.bookMode});
}

} // namespace nvl
