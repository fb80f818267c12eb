#include "syncsettingsdialog.h"

#include "messagetext.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

QLineEdit *addField(QFormLayout *form, const char *name, const QString &label,
                    const QString &value) {
    auto *edit = new QLineEdit(value);
    edit->setObjectName(QLatin1String(name));
    edit->setAccessibleName(label);
    form->addRow(label + QStringLiteral("："), edit);
    return edit;
}

} // namespace

SyncSettingsDialog::SyncSettingsDialog(const SyncSettings &settings, const QString &keyringNote,
                                       QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSyncSettings"));
    setWindowTitle(tr("同期の設定"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_url = addField(form, "txtSyncUrl", tr("アドレス帳の URL"), settings.url);
    m_url->setPlaceholderText(
        QStringLiteral("https://example.org/dav/addressbooks/user/contacts/"));
    m_user = addField(form, "txtSyncUser", tr("ユーザー名"), settings.user);
    m_password = addField(form, "txtSyncPassword", tr("パスワード"), settings.password);
    m_password->setEchoMode(QLineEdit::Password);
    layout->addLayout(form);

    // Broken where Japanese breaks, not wherever the label runs out.
    auto *note = new QLabel(this);
    note->setObjectName(QStringLiteral("lblKeyring"));
    const QFontMetrics metrics(note->font());
    note->setText(breakMessageLines(
        keyringNote, [&metrics](const QString &line) { return metrics.horizontalAdvance(line); },
        NoteWidth));
    layout->addWidget(note);

    m_test = new QPushButton(tr("接続テスト"), this);
    m_test->setObjectName(QStringLiteral("cmdSyncTest"));
    m_test->setAutoDefault(false);
    layout->addWidget(m_test, 0, Qt::AlignLeft);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblSyncTest"));
    // Read out by its text, as a screen reader reads a label.
    m_result->setAccessibleDescription(tr("接続テストの結果"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_result);
    // The address books found from a server's address, one to choose.
    m_books = new QListWidget(this);
    m_books->setObjectName(QStringLiteral("lstSyncBooks"));
    m_books->setAccessibleName(tr("見つかったアドレス帳"));
    m_books->hide();
    layout->addWidget(m_books);
    connect(m_books, &QListWidget::currentRowChanged, this, [this](int row) {
        if (QListWidgetItem *item = m_books->item(row)) {
            m_url->setText(item->data(Qt::UserRole).toString());
            m_result->setText(
                tr("アドレス帳「%1」と同期します。").arg(item->data(Qt::UserRole + 1).toString()));
        }
    });
    // What the server or the system said, for whoever asks.
    m_detailButton = new QPushButton(tr("詳細"), this);
    m_detailButton->setObjectName(QStringLiteral("cmdSyncDetail"));
    m_detailButton->setAutoDefault(false);
    m_detailButton->hide();
    layout->addWidget(m_detailButton, 0, Qt::AlignLeft);
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("lblSyncDetail"));
    m_detail->setWordWrap(true);
    m_detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detail->hide();
    layout->addWidget(m_detail);
    connect(m_detailButton, &QPushButton::clicked, this,
            [this] { m_detail->setVisible(!m_detail->isVisible()); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("キャンセル"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_test, &QPushButton::clicked, this, &SyncSettingsDialog::testConnection);
    connect(&m_task, &SyncTask::finished, this, &SyncSettingsDialog::showFound);
    resize(520, sizeHint().height());
    // Asked again for the password alone: the cursor waits there.
    if (collectionUrl(settings.url) && !settings.user.isEmpty() && settings.password.isEmpty())
        m_password->setFocus();
}

SyncSettings SyncSettingsDialog::settings() const {
    const std::optional<QUrl> url = collectionUrl(m_url->text());
    return {url ? url->toString(QUrl::RemoveUserInfo) : m_url->text().trimmed(),
            m_user->text().trimmed(), m_password->text()};
}

std::optional<QUrl> SyncSettingsDialog::collectionUrl(const QString &text) {
    QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return std::nullopt;
    // A collection: the same address book with or without its final slash.
    if (!url.path().endsWith(u'/'))
        url.setPath(url.path() + u'/');
    return url;
}

bool SyncSettingsDialog::checkUrl() {
    if (collectionUrl(m_url->text()))
        return true;
    m_result->setText(tr("アドレス帳の URL を http:// か https:// で始めて入力してください。"));
    m_url->setFocus();
    return false;
}

void SyncSettingsDialog::done(int result) {
    if (result == Accepted && !checkUrl())
        return;
    if (m_task.isRunning())
        m_task.cancel();
    QDialog::done(result);
}

void SyncSettingsDialog::testConnection() {
    const std::optional<QUrl> url = collectionUrl(m_url->text());
    if (!url) {
        checkUrl();
        return;
    }
    m_test->setEnabled(false);
    showDetail({});
    m_result->setText(tr("サーバーに問い合わせています…"));
    m_task.testConnection({*url, m_user->text().trimmed(), m_password->text(), {}});
}

void SyncSettingsDialog::showFound() {
    m_test->setEnabled(true);
    const SyncTask::Found &found = m_task.found();
    m_books->clear();
    m_books->setVisible(!found.books.isEmpty());
    if (!found.books.isEmpty()) {
        m_result->setText(tr("このサーバーにアドレス帳が %1 件あります。使うものを選んでください。")
                              .arg(found.books.size()));
        for (const DavAddressBook &book : found.books) {
            auto *item = new QListWidgetItem(
                tr("%1（%2 件）").arg(addressBookName(book)).arg(book.contacts), m_books);
            item->setData(Qt::UserRole, book.url.toString(QUrl::RemoveUserInfo));
            item->setData(Qt::UserRole + 1, addressBookName(book));
        }
        if (found.books.size() == 1)
            m_books->setCurrentRow(0);
    } else if (found.error) {
        m_result->setText(failureHeading(found.error.failure));
        showDetail(found.error.message);
    } else {
        m_result->setText(tr("つながりました。アドレス帳「%1」に連絡先が %2 件あります。")
                              .arg(found.name.isEmpty() ? tr("（名前なし）") : found.name)
                              .arg(found.contacts));
    }
}

void SyncSettingsDialog::showDetail(const QString &detail) {
    m_detail->setText(detail);
    m_detail->hide();
    m_detailButton->setVisible(!detail.isEmpty());
}

} // namespace nvl
