#pragma once

#include "textfile.h"

#include <QString>
#include <QStringList>

namespace nvl {

struct SettingsRead {
    QStringList values;
    // Japanese, naming the file, when it exists but could not be read whole:
    // a value that is not text costs only that value. Empty otherwise.
    QString problem;
    TextFileRead::Status status = TextFileRead::Status::Ok;
    bool clean() const { return problem.isEmpty(); }
};

// Reads the first `count` values of a small settings file. A missing,
// empty or short file gives empty texts for what is missing; values past
// `count` are ignored.
SettingsRead readSettingsFile(const QString &path, int count);
QStringList readSettingsValues(const QString &path, int count);
// The same for a file's bytes (damaged values come back empty and are
// counted) or its decoded text.
QStringList settingsValuesFromBytes(const QByteArray &bytes, int count, int *damaged = nullptr);
QStringList settingsValuesFromText(const QString &text, int count);

// Never through a link: a settings file that is one is refused.
WriteResult writeSettingsValues(const QString &path, const QStringList &values);

// Nuvel.ini: the current data file and the book mode.
struct BookSettings {
    QString currentFile; // "新規作成" after New, empty when no book was ever opened
    QString bookMode;    // "3" after Open, "2" after New
};

// What it says of a book opened from (or saved to) a file, and of a new one.
BookSettings bookSettingsForFile(const QString &path);
BookSettings bookSettingsForNewBook();
// No book open any more (a new one left unsaved): no file, the mode kept.
BookSettings bookSettingsForNoBook(const BookSettings &before);

BookSettings readBookSettings(const QString &path);
WriteResult writeBookSettings(const QString &path, const BookSettings &settings);

} // namespace nvl
