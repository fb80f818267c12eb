#include "settingsfile.h"

#include "quotedfields.h"

#include <QCoreApplication>
#include <QStringDecoder>

namespace nvl {

SettingsRead readSettingsFile(const QString &path, int count) {
    SettingsRead result;
    TextFileRead::Status status = TextFileRead::Status::Ok;
    const QByteArray bytes = readFileBytes(path, &status);
    result.status = status;
    if (status != TextFileRead::Status::Ok && status != TextFileRead::Status::Missing)
        result.problem = describeReadFailure(path, status);
    int damaged = 0;
    result.values = settingsValuesFromBytes(bytes, count, &damaged);
    if (damaged > 0)
        result.problem =
            QCoreApplication::translate("nvl::SettingsFile",
                                        "ファイル「%1」の一部が壊れているため、%2個の値を読めません"
                                        "でした。")
                .arg(path)
                .arg(damaged);
    return result;
}

QStringList readSettingsValues(const QString &path, int count) {
    return readSettingsFile(path, count).values;
}

QStringList settingsValuesFromBytes(const QByteArray &bytes, int count, int *damaged) {
    // Quotes, commas and line ends never occur inside a CP932 or UTF-8
    // character, so the fields are cut out of the bytes first and decoded
    // one by one: a bad byte costs only its own field.
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool utf8 = bytes.startsWith(bom);
    const QStringList raw =
        settingsValuesFromText(QString::fromLatin1(utf8 ? bytes.mid(bom.size()) : bytes), count);
    QStringList values;
    for (const QString &field : raw) {
        const QByteArray fieldBytes = field.toLatin1();
        std::optional<QString> text;
        if (utf8) {
            QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            text = decoder.decode(fieldBytes);
            if (decoder.hasError() || fieldBytes.contains('\0'))
                text.reset();
        } else if (auto decoded = decodeText(fieldBytes)) {
            text = decoded->text;
        }
        if (!text && damaged)
            ++*damaged;
        values.append(text.value_or(QString()));
    }
    return values;
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
    return writeQuotedFile(path, {values}, Links::Refuse);
}

BookSettings bookSettingsForFile(const QString &path) {
    return {path, QStringLiteral("3")};
}

BookSettings bookSettingsForNewBook() {
    return {QStringLiteral("新規作成"), QStringLiteral("2")};
}

BookSettings bookSettingsForNoBook(const BookSettings &before) {
    return {QString(), before.bookMode};
}

BookSettings readBookSettings(const QString &path) {
    const QStringList values = readSettingsValues(path, 2);
    return {values.at(0), values.at(1)};
}

WriteResult writeBookSettings(const QString &path, const BookSettings &settings) {
    return writeSettingsValues(path, {settings.currentFile, settings.bookMode});
}

} // namespace nvl
