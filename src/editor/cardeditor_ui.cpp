// The controls of the card editor and the wiring of their events.
#include "cardeditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>

namespace nvl {

namespace {

QLineEdit *addEdit(QWidget *parent, const char *name, bool japanese) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    // Japanese fields must not push the input method towards Latin input.
    if (japanese)
        edit->setInputMethodHints(Qt::ImhNoAutoUppercase | Qt::ImhNoPredictiveText);
    return edit;
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text) {
    auto *label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

void CardEditor::buildNavigation(QWidget *content, QGridLayout *grid) {
    auto *row = new QHBoxLayout;
    const struct {
        const char *name;
        const char *text;
        const char *tip;
    } buttons[] = {
        {"cmdRR", "≪", "最初のカードへ"}, {"cmdRew", "＜", "戻る"},
        {"cmdFow", "＞", "次のカードへ"}, {"cmdFF", "≫", "最後のカードへ"},
        {"cmdJump", "∥", "新規カード"},
    };
    for (const auto &b : buttons) {
        QPushButton *button =
            addCommandButton(content, b.name, QString::fromUtf8(b.text), QString::fromUtf8(b.tip));
        button->setFixedWidth(40);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
    }
    row->addSpacing(16);
    QLabel *label = addLabel(content, "lblRec", QString());
    label->setMinimumWidth(80);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    row->addWidget(label);
    row->addStretch();
    for (const auto &[name, tip, icon, fallback] :
         {std::tuple{"Command3", "住所録一覧", "view-list-details",
                     QStyle::SP_FileDialogDetailedView},
          std::tuple{"Command4", "ヘルプ", "help-contents", QStyle::SP_MessageBoxQuestion}}) {
        QToolButton *button =
            addPictureButton(content, name, QString::fromUtf8(tip), icon, fallback);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
    }
    grid->addLayout(row, 0, 0, 1, 4);
}

void CardEditor::buildFields(QWidget *content, QGridLayout *grid) {
    // Each caption names its box, for screen readers too.
    const auto addField = [content, grid](const char *labelName, const QString &caption,
                                          const char *editName, bool japanese, int row, int column,
                                          int span) {
        QLabel *label = addLabel(content, labelName, caption);
        QLineEdit *edit = addEdit(content, editName, japanese);
        label->setBuddy(edit);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1, 1, span);
    };
    addField("lblZip", QStringLiteral("〒 xxx-xxxx"), "txtZip", false, 1, 0, 1);
    addField("lblCode", QStringLiteral("Code"), "txtCode", false, 1, 2, 1);
    addField("lblAdd1", QStringLiteral("住所  １"), "txtAdd1", true, 2, 0, 3);
    addField("lblAdd2", QStringLiteral("住所  ２"), "txtAdd2", true, 3, 0, 3);
    addField("lblAdd3", QStringLiteral("建物名/(肩付)"), "txtAdd3", true, 4, 0, 3);
    addField("lblName", QStringLiteral("宛名／敬称"), "txtName", true, 5, 0, 2);
    auto *combo = new QComboBox(content);
    combo->setObjectName(QStringLiteral("Combo1"));
    combo->setAccessibleName(QStringLiteral("敬称"));
    combo->addItems(honorificWords());
    grid->addWidget(combo, 5, 3);
}

void CardEditor::buildAddressEntry(QWidget *content, QGridLayout *grid) {
    // Option entry takes the place of the two address lines.
    QLabel *caption = addLabel(content, "Label2", QStringLiteral("住所オプション入力"));
    QLineEdit *oneLine = addEdit(content, "txtNewadd", true);
    caption->setBuddy(oneLine);
    grid->addWidget(caption, 2, 0);
    grid->addWidget(oneLine, 2, 1, 1, 3);

    auto *frame = new QGroupBox(QStringLiteral("住所オプション入力"), content);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *row = new QHBoxLayout(frame);
    auto *with = new QRadioButton(QStringLiteral("都府県名あり"), frame);
    with->setObjectName(QStringLiteral("Option1"));
    auto *without = new QRadioButton(QStringLiteral("都府県名なし"), frame);
    without->setObjectName(QStringLiteral("Option2"));
    row->addWidget(with);
    row->addWidget(without);
    row->addWidget(addCommandButton(frame, "Command5", QStringLiteral("自動振り分け")));
    row->addWidget(addCommandButton(frame, "Command2", QStringLiteral("使わない")));
    grid->addWidget(frame, 3, 1, 1, 3);
}

void CardEditor::buildCommands(QWidget *content, QGridLayout *grid) {
    auto *row = new QHBoxLayout;
    row->addWidget(addCommandButton(content, "cmdAdd", QStringLiteral("登録")));
    row->addWidget(addCommandButton(content, "cmdCancel", QStringLiteral("キャンセル")));
    row->addWidget(addCommandButton(content, "cmdDel", QStringLiteral("削除")));
    row->addWidget(addCommandButton(content, "cmdOp", QStringLiteral("オプション入力")));
    row->addStretch();
    row->addWidget(addCommandButton(content, "Command1", QStringLiteral("戻る")));
    grid->addLayout(row, 6, 0, 1, 4);
}

void CardEditor::buildForm(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    buildNavigation(content, grid);
    buildFields(content, grid);
    buildAddressEntry(content, grid);
    buildCommands(content, grid);

    QWidget::setTabOrder(edit("txtZip"), edit("txtNewadd"));
    QWidget::setTabOrder(edit("txtNewadd"), edit("txtAdd1"));
    QWidget::setTabOrder(edit("txtAdd1"), edit("txtAdd2"));
    QWidget::setTabOrder(edit("txtAdd2"), edit("txtAdd3"));
    QWidget::setTabOrder(edit("txtAdd3"), edit("txtName"));
    QWidget::setTabOrder(edit("txtName"), honorific());
    QWidget::setTabOrder(honorific(), edit("txtCode"));

    setLineEntry();
    connectHandlers();
}

void CardEditor::connectHandlers() {
    const auto onClick = [this](const char *name, auto handler) {
        connect(control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
    };
    onClick("cmdRR", [this] { first(); });
    onClick("cmdRew", [this] { previous(); });
    onClick("cmdFow", [this] { next(); });
    onClick("cmdFF", [this] { last(); });
    onClick("cmdJump", [this] { jump(); });
    onClick("cmdAdd", [this] { registerCard(); });
    onClick("cmdCancel", [this] { unloadForm(); });
    onClick("cmdDel", [this] { deleteCard(); });
    onClick("Command1", [this] { returnToMain(); });
    onClick("Command3", [this] { toListSheet(); });
    onClick("Command4", [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 26);
    });
    onClick("cmdOp", [this] { setOptionEntry(); });
    onClick("Command2", [this] { leaveOptionEntry(); });
    onClick("Command5", [this] { splitAddress(); });

    // Every change of a field is an edit, however it was made, except while
    // a card is being put into the fields.
    const std::pair<const char *, WatchedField> watched[] = {
        {"txtName", WatchedField::Name},     {"txtAdd1", WatchedField::Address1},
        {"txtAdd2", WatchedField::Address2}, {"txtCode", WatchedField::Code},
        {"txtZip", WatchedField::Zip},
    };
    for (const auto &[name, field] : watched) {
        connect(edit(name), &QLineEdit::textChanged, this,
                [this, field = field](const QString &text) { fieldChanged(field, text); });
    }
    const auto edited = [this] {
        if (!m_loadingCard)
            m_changes.modified = true;
    };
    connect(edit("txtAdd3"), &QLineEdit::textChanged, this, edited);
    connect(edit("txtNewadd"), &QLineEdit::textChanged, this, edited);
    connect(honorific(), &QComboBox::currentIndexChanged, this, edited);
}

} // namespace nvl
