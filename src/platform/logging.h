#pragma once

#include <QLoggingCategory>
#include <QString>

// What the program did, for finding out later why something failed: each
// request to a CardDAV server, each save of a book and each print job.
// Off unless QT_LOGGING_RULES or --verbose switches it on. A password, the
// user-info of a URL or an Authorization header is never logged.
Q_DECLARE_LOGGING_CATEGORY(lcSync)
Q_DECLARE_LOGGING_CATEGORY(lcBook)
Q_DECLARE_LOGGING_CATEGORY(lcPrint)

namespace nvl {

// For the command line: the program's own categories to standard error;
// Qt's own notices kept from the user (their English says nothing to act
// on), but for one about a lock file, said in Japanese; all of them with
// --verbose.
void keepQtNoticesFromUsers();

// Every nvl.* category on (--verbose).
void enableVerboseLogging();
// Whether any of them is on, however it was switched on.
bool loggingEnabled();
// Messages go to `path` from now on; past 1 MB it is renamed to `path`.1
// (replacing the one before) and begun anew.
void logToFile(const QString &path);

} // namespace nvl
