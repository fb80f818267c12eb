#pragma once

#include "application.h"
#include "fakeplatform.h"
#include "mainwindow.h"
#include "printwindow.h"
#include "senderfile.h"

#include <QAbstractButton>
#include <QListWidget>

namespace nvl::test {

struct Label {
    QString name;
    QString postalCode = QStringLiteral("100-0001"); // 千代田区千代田
    QString honorific = QStringLiteral("0");
};

inline QList<Label> labels(int count) {
    QList<Label> list;
    for (int i = 1; i <= count; ++i)
        list.append({QStringLiteral("宛名%1").arg(i)});
    return list;
}

inline void writeSenders(FakeDesktop &desk) {
    SenderTable senders;
    for (int i = 0; i < 4; ++i)
        senders[i] = {QStringLiteral("100-000%1").arg(i + 1),
                      QStringLiteral("差出住所%1").arg(i + 1), QStringLiteral("番地%1").arg(i + 1),
                      QStringLiteral("差出人%1").arg(i + 1)};
    writeSenderFile(desk.file(QStringLiteral("Wolt.tds")), senders);
}

// Opens a book of the given labels, chooses them all and goes on to the
// print window, as the user does.
inline PrintWindow *openPrintWindow(FakeDesktop &desk, const QList<Label> &list) {
    QString text;
    for (qsizetype i = 0; i < list.size(); ++i)
        text += QStringLiteral(
                    "\"%1\",\"住所%2\",\"千代田区番地%2\",\"%3\",\"c%2\",\"%4\",\"棟%2\"\r\n")
                    .arg(list.at(i).name)
                    .arg(i + 1)
                    .arg(list.at(i).postalCode, list.at(i).honorific);
    const QString book = desk.file(QStringLiteral("book.dat"));
    writeBytes(book, cp932(text));
    auto *main = desk.context.windows.get<MainWindow>(WindowId::Main);
    main->showForm();
    desk.fileDialogs.openAnswers.push_back(book);
    child<QAbstractButton>(main, "cmdOpen")->click();
    child<QListView>(main, "lstSet1")->selectAll();
    child<QAbstractButton>(main, "cmdAdd")->click();
    child<QAbstractButton>(main, "cmdPrint")->click();
    return desk.context.windows.get<PrintWindow>(WindowId::Print);
}

} // namespace nvl::test
