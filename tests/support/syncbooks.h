#pragma once

// Books the sync tests start from and read back, as process tests see them.

#include "bookdocument.h"

#include <QStringList>

namespace nvl::test {

// A book's text with one record for each name, in Tokyo, 100-0001.
inline QString bookText(const QStringList &names) {
    QString text;
    for (const QString &name : names)
        text += QStringLiteral(
                    "\"%1\",\"東京都千代田区\",\"%1の番地\",\"100-0001\",\"\",\"0\",\"\"\r\n")
                    .arg(name);
    return text;
}

// The names the book at `book` holds, sorted.
inline QStringList namesIn(const QString &book) {
    BookDocument document;
    if (!document.load(book).ok())
        return {QStringLiteral("(unreadable)")};
    QStringList names;
    for (const AddressRecord &record : document.book().records)
        names.append(record.field(AddressRecord::Name));
    names.sort();
    return names;
}

} // namespace nvl::test
