#include "bookquestions.h"

#include "commondialog.h"

#include <QCoreApplication>

namespace nvl {

BookDocument::ConflictHandler askAboutChangedBook(Platform &platform) {
    return [&platform](const QString &file, QString *other) {
        const MessageAnswer answer = platform.messages.show(
            QCoreApplication::translate(
                "nvl::CardEditor",
                "ファイル「%1」は、読み込んだ後でほかのプログラムに変更されています。\n"
                "「はい」で上書き、「いいえ」で別の名前で保存、「キャンセル」で保存しません。")
                .arg(file),
            MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return BookDocument::ConflictAnswer::Cancel;
        if (answer != MessageAnswer::No)
            return BookDocument::ConflictAnswer::Overwrite;
        CommonDialog dialog(platform.fileDialogs);
        dialog.filter = QCoreApplication::translate(
            "nvl::CardEditor", "データ形式ファイル(*.dat)|*.dat|テキストファイル(*.csv)|*.csv");
        dialog.confirmOverwrite = true;
        *other = dialog.showSave();
        return BookDocument::ConflictAnswer::SaveElsewhere;
    };
}

BookDocument::Locked lockForEditing(Platform &platform, BookDocument &book, const QString &path) {
    BookDocument::Locked locked = book.lock(path, 0);
    if (!locked.ok && locked.elsewhere &&
        platform.messages.show(
            locked.error + QCoreApplication::translate(
                               "nvl::CardEditor",
                               "\nそのコンピューターでこの住所録を開いていないことを確かめて"
                               "ください。ロックを解除して開きますか？"),
            MessageButtons::YesNo) == MessageAnswer::Yes)
        locked = book.takeOverLock(path);
    if (locked.ok && !locked.warning.isEmpty())
        platform.messages.show(locked.warning);
    return locked;
}

EditLock::EditLock(Platform &platform, BookDocument &book) : m_book(book) {
    if (book.holdsLock())
        return;
    m_locked = lockForEditing(platform, book, book.filePath());
    m_taken = m_locked.ok;
}

EditLock::~EditLock() {
    if (m_taken)
        m_book.unlock();
}

} // namespace nvl
