#pragma once

#include "syncengine.h"

#include <QDialog>

class QButtonGroup;

namespace nvl {

// 同期の確認: what a sync could not settle alone. A change on both sides is
// shown field by field, the book's beside the server's; each deletion and
// each unclear match is confirmed or kept. Unanswered ones wait for the
// next sync.
class SyncQuestionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SyncQuestionsDialog(const QList<SyncQuestion> &questions, QWidget *parent = nullptr);
    QList<SyncAnswer> answers() const;

private:
    QWidget *conflict(const SyncQuestion &question, QButtonGroup *group);
    QWidget *deletion(const SyncQuestion &question, QButtonGroup *group);
    QWidget *ambiguous(const SyncQuestion &question, QButtonGroup *group);

    QList<QButtonGroup *> m_groups;
};

} // namespace nvl
