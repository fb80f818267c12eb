#pragma once

#include "services.h"

namespace nvl {

// A window's own file dialog: it keeps the folder, filter and file name of
// its last use, as the windows rely on.
class CommonDialog {
public:
    explicit CommonDialog(FileDialogService &service) : m_service(service) {}

    QString initialFolder;
    QString filter;
    QString fileName;
    bool confirmOverwrite = false;

    // Each returns the chosen path, also left in fileName; empty on cancel.
    QString showOpen();
    QString showSave();

private:
    FileDialogRequest request() const;
    FileDialogService &m_service;
};

// The working folder's copy of a settings file when there is one, else the
// executable folder's when that has one, else the working folder's path.
// The file `name` in the folder, its name matched without regard to case
// when no file has exactly that name; the exact path when none matches.
QString fileInFolder(const QString &folder, const QString &name);
QString settingsFileIn(const QString &programFolder, const QString &executableFolder,
                       const QString &name);

// "説明|*.dat|説明|*.csv" → "説明 (*.dat);;説明 (*.csv)". A description that
// already shows its pattern is not repeated.
QString toQtFilter(const QString &filter);

} // namespace nvl
