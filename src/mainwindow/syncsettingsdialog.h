#pragma once

#include "synctask.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace nvl {

// Where a book syncs to and as whom; the password only while it is needed.
struct SyncSettings {
    QString url, user, password;
};

// 同期の設定: the address book's URL, the user and the password, with a
// connection test that says what it found or what failed.
class SyncSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `keyringNote` tells what becomes of the password.
    SyncSettingsDialog(const SyncSettings &settings, const QString &keyringNote,
                       QWidget *parent = nullptr);
    SyncSettings settings() const;
    // The URL as the client takes it, when it is one (http or https).
    static std::optional<QUrl> collectionUrl(const QString &text);

    void done(int result) override;

private:
    // Says so, and goes to the box, when the URL is not one a sync can use.
    bool checkUrl();
    void testConnection();
    void showFound();
    // Behind the 詳細 button; none hides the button.
    void showDetail(const QString &detail);

    static constexpr int NoteWidth = 480;

    QLineEdit *m_url;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_test;
    QLabel *m_result;
    QListWidget *m_books;
    QPushButton *m_detailButton;
    QLabel *m_detail;
    SyncTask m_task;
};

} // namespace nvl
