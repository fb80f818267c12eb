#pragma once

#include "textfile.h"

#include <QString>
#include <QStringList>

namespace nvl {

// Reads the first line of values of a small settings file. A missing,
// empty, short or unreadable file gives empty texts for what is missing;
// values past `count` are ignored.
QStringList readSettingsValues(const QString &path, int count);
// The same for a file's bytes or its decoded text.
QStringList settingsValuesFromBytes(const QByteArray &bytes, int count);
QStringList settingsValuesFromText(const QString &text, int count);

WriteResult writeSettingsValues(const QString &path, const QStringList &values);

// Nuvel.ini: the current data file and the book mode.
struct BookSettings {
    QString currentFile; // "新規作成" after New, empty when no book was ever opened
    QString bookMode;    // "3" after Open, "2" after New
};

inline const QString NewBookMarker = QStringLiteral("新規作成");

BookSettings readBookSettings(const QString &path);
WriteResult writeBookSettings(const QString &path, const BookSettings &settings);

} // namespace nvl
