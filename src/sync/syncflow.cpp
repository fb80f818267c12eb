#include "syncflow.h"

#include "bookdocument.h"
#include "davurl.h"

#include <QCoreApplication>

namespace nvl {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("nvl::SyncFlow", text);
}

} // namespace

void SyncFlow::unlinkAll(BookDocument &book) {
    BookExtras extras = BookExtras::fromJson(book.bookSettings());
    extras.forgetSync();
    for (int row = 0; row < book.recordCount(); ++row)
        if (syncLinkOf(book.recordData(row)).isSet())
            book.setRecordData(row, withoutSyncLink(book.recordData(row)));
    book.setBookSettings(extras.toJson());
}

QString SyncFlow::adopt(const QUrl &collection) {
    const QString before = BookExtras::fromJson(m_book.bookSettings()).syncCollection;
    if (before.isEmpty() || sameCollection(before, collection.toString()))
        return {};
    m_adopted = normalCollection(collection).toString();
    return tr("同期先が「%1」から「%2」に変わりました。前のアドレス帳との結び付けを外し、"
              "宛名と郵便番号か住所１が同じ連絡先と結び付け直します。")
        .arg(QUrl(before).toDisplayString(QUrl::RemoveUserInfo),
             normalCollection(collection).toDisplayString());
}

void SyncFlow::startAgain(SyncBook &copy) const {
    for (int row = 0; row < copy.recordCount(); ++row)
        copy.setRecordData(row, withoutSyncLink(copy.recordData(row)));
    BookExtras extras = BookExtras::fromJson(copy.settings());
    const QString user = extras.syncUser;
    extras.forgetSync();
    extras.syncCollection = m_adopted;
    extras.syncUser = user;
    copy.setSettings(extras.toJson());
}

void SyncFlow::startAgain(BookDocument &book) const {
    const QString user = BookExtras::fromJson(book.bookSettings()).syncUser;
    unlinkAll(book);
    BookExtras extras = BookExtras::fromJson(book.bookSettings());
    extras.syncCollection = m_adopted;
    extras.syncUser = user;
    book.setBookSettings(extras.toJson());
}

SyncBook SyncFlow::copy() const {
    SyncBook copy = SyncBook::of(m_book);
    if (!m_adopted.isEmpty())
        startAgain(copy);
    return copy;
}

// The new contacts' UIDs, and with them the dropping of another address
// book's links: a sync cut off after it starts from the same place.
SyncEngine::Checkpoint SyncFlow::checkpoint() {
    return [this](const SyncBook &current) {
        return m_commit([this, &current] {
            if (!m_adopted.isEmpty())
                startAgain(m_book);
            current.applyNewLinksTo(m_book);
        });
    };
}

QString SyncFlow::finish(const SyncBook &copy) {
    return m_commit([this, &copy] { copy.applyTo(m_book); });
}

QString SyncFlow::countsText(const SyncReport &report) {
    return tr("送信 %1 件、サーバーで更新 %2 件、住所録で更新 %3 件、"
              "追加 %4 件、結び付け %5 件、削除 %6 件")
        .arg(report.uploaded)
        .arg(report.updatedOnServer)
        .arg(report.updatedInBook)
        .arg(report.added)
        .arg(report.linked)
        .arg(report.deleted);
}

} // namespace nvl
