#include "syncquestionsdialog.h"

#include "jointnames.h"
#include "recordsearch.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace nvl {

namespace {

// Button ids: a choice, or a candidate to link to (LinkBase + its index).
constexpr int LinkBase = 100;

QString fieldsLine(const AddressRecord &record) {
    return QStringLiteral("〒%1 %2%3 %4")
        .arg(record.field(AddressRecord::PostalCode), record.field(AddressRecord::Address1),
             record.field(AddressRecord::Address2), record.field(AddressRecord::Address3));
}

QRadioButton *addChoice(QVBoxLayout *layout, QButtonGroup *group, const QString &text, int id) {
    auto *button = new QRadioButton(text);
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

QGroupBox *box(const QString &title, QVBoxLayout **layout) {
    auto *group = new QGroupBox(title);
    *layout = new QVBoxLayout(group);
    return group;
}

} // namespace

SyncQuestionsDialog::SyncQuestionsDialog(const QList<SyncQuestion> &questions, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmSyncQuestions"));
    setWindowTitle(tr("同期の確認"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("同期で決められなかったことがあります。それぞれ選んでください。"
                                "「あとで決める」ものは次の同期でまた尋ねます。"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    // Many changes on both sides are most often settled one way for all.
    const auto conflicts = std::count_if(questions.begin(), questions.end(), [](const auto &asked) {
        return asked.kind == SyncQuestion::Kind::Conflict;
    });
    if (conflicts > 1) {
        auto *all = new QHBoxLayout;
        for (const auto &[text, choice] :
             {std::pair{tr("すべて住所録の内容にする"), SyncChoice::Book},
              std::pair{tr("すべてサーバーの内容にする"), SyncChoice::Server}}) {
            auto *button = new QPushButton(text, this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, questions, choice = choice] {
                for (qsizetype i = 0; i < questions.size(); ++i)
                    if (questions.at(i).kind == SyncQuestion::Kind::Conflict)
                        if (QAbstractButton *option = m_groups.at(i)->button(int(choice));
                            option && option->isEnabled())
                            option->setChecked(true);
            });
            all->addWidget(button);
        }
        all->addStretch();
        layout->addLayout(all);
    }

    auto *list = new QWidget;
    auto *items = new QVBoxLayout(list);
    for (const SyncQuestion &question : questions) {
        auto *group = new QButtonGroup(this);
        m_groups.append(group);
        switch (question.kind) {
        case SyncQuestion::Kind::Conflict:
            items->addWidget(conflict(question, group));
            break;
        case SyncQuestion::Kind::DeletedOnServer:
        case SyncQuestion::Kind::DeletedInBook:
            items->addWidget(deletion(question, group));
            break;
        case SyncQuestion::Kind::Ambiguous:
            items->addWidget(ambiguous(question, group));
            break;
        }
    }
    items->addStretch();
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setWidget(list);
    layout->addWidget(scroll);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("決定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("すべてあとで"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(640, 480);
}

QWidget *SyncQuestionsDialog::conflict(const SyncQuestion &question, QButtonGroup *group) {
    QVBoxLayout *layout = nullptr;
    QGroupBox *frame =
        box(tr("住所録とサーバーの両方で変更：%1").arg(question.record.field(AddressRecord::Name)),
            &layout);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("項目")), 0, 0);
    grid->addWidget(new QLabel(tr("住所録")), 0, 1);
    grid->addWidget(new QLabel(tr("サーバー")), 0, 2);
    const AddressRecord &book = question.record;
    const std::optional<ServerContact> &server = question.server;
    struct Row {
        QString label, book, server;
    };
    QList<Row> rows;
    const auto field = [&](const QString &label, int number) {
        rows.append({label, book.field(number), server ? server->record.field(number) : QString()});
    };
    field(tr("氏名"), AddressRecord::Name);
    rows.append(
        {tr("敬称"), honorificWord(book.field(AddressRecord::Honorific)),
         server ? honorificWord(server->record.field(AddressRecord::Honorific)) : QString()});
    field(tr("郵便番号"), AddressRecord::PostalCode);
    field(tr("住所１"), AddressRecord::Address1);
    field(tr("住所２"), AddressRecord::Address2);
    field(tr("建物名"), AddressRecord::Address3);
    if (server) {
        const QJsonObject &data = question.data;
        rows.append({tr("フリガナ"), readingOf(data), readingOf(server->data)});
        rows.append({tr("連名"), jointNamesText(jointNamesOf(data)),
                     jointNamesText(jointNamesOf(server->data))});
        rows.append({tr("タグ"), tagsOf(data).join(u';'), tagsOf(server->data).join(u';')});
    }
    int line = 1;
    for (const Row &row : std::as_const(rows)) {
        if (row.book.isEmpty() && row.server.isEmpty())
            continue;
        const bool differs = row.book != row.server;
        grid->addWidget(new QLabel(row.label), line, 0);
        for (const auto &[column, text] : {std::pair{1, row.book}, std::pair{2, row.server}}) {
            auto *label = new QLabel(text);
            label->setWordWrap(true);
            // A difference is said in words as well as shown, for screen readers.
            label->setAccessibleName(
                (column == 1 ? tr("住所録の%1：%2") : tr("サーバーの%1：%2")).arg(row.label, text) +
                (differs ? tr("（違い）") : QString()));
            if (differs)
                label->setStyleSheet(QStringLiteral("font-weight: bold"));
            grid->addWidget(label, line, column);
        }
        ++line;
    }
    if (!server)
        grid->addWidget(new QLabel(tr("サーバーの連絡先には住所がありません。")), line, 0, 1, 3);
    layout->addLayout(grid);
    addChoice(layout, group, tr("住所録の内容にする"), int(SyncChoice::Book));
    addChoice(layout, group, tr("サーバーの内容にする"), int(SyncChoice::Server))
        ->setEnabled(server.has_value());
    addChoice(layout, group, tr("あとで決める"), int(SyncChoice::Unanswered))->setChecked(true);
    return frame;
}

QWidget *SyncQuestionsDialog::deletion(const SyncQuestion &question, QButtonGroup *group) {
    QVBoxLayout *layout = nullptr;
    const bool onServer = question.kind == SyncQuestion::Kind::DeletedOnServer;
    const AddressRecord &record = question.record;
    QGroupBox *frame =
        box(onServer ? tr("サーバーで削除：%1").arg(record.field(AddressRecord::Name))
                     : tr("住所録で削除：%1").arg(record.field(AddressRecord::Name)),
            &layout);
    layout->addWidget(new QLabel(fieldsLine(record)));
    addChoice(layout, group, onServer ? tr("住所録からも削除する") : tr("サーバーからも削除する"),
              int(SyncChoice::Delete));
    addChoice(layout, group,
              onServer ? tr("住所録に残す（サーバーに送り直す）")
                       : tr("サーバーに残す（同期から外す）"),
              int(SyncChoice::Keep));
    addChoice(layout, group, tr("あとで決める"), int(SyncChoice::Unanswered))->setChecked(true);
    return frame;
}

QWidget *SyncQuestionsDialog::ambiguous(const SyncQuestion &question, QButtonGroup *group) {
    QVBoxLayout *layout = nullptr;
    QGroupBox *frame = box(tr("どの連絡先と同じか決められない宛名：%1")
                               .arg(question.record.field(AddressRecord::Name)),
                           &layout);
    layout->addWidget(new QLabel(tr("住所録：%1").arg(fieldsLine(question.record))));
    for (qsizetype i = 0; i < question.candidateContacts.size(); ++i)
        addChoice(layout, group,
                  tr("サーバーのこの連絡先と結び付ける：%1 %2")
                      .arg(question.candidateContacts.at(i).record.field(AddressRecord::Name),
                           fieldsLine(question.candidateContacts.at(i).record)),
                  LinkBase + int(i));
    addChoice(layout, group, tr("別の宛名として扱う"), int(SyncChoice::Apart));
    addChoice(layout, group, tr("あとで決める"), int(SyncChoice::Unanswered))->setChecked(true);
    return frame;
}

QList<SyncAnswer> SyncQuestionsDialog::answers() const {
    QList<SyncAnswer> answers;
    for (const QButtonGroup *group : m_groups) {
        const int id = result() == Accepted ? group->checkedId() : int(SyncChoice::Unanswered);
        if (id >= LinkBase)
            answers.append({SyncChoice::Link, id - LinkBase});
        else
            answers.append({SyncChoice(id), 0});
    }
    return answers;
}

} // namespace nvl
