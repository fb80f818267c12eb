// The controls of the card editor and the wiring of their events.
#include "cardeditor_ui.h"
#include "cardeditor.h"
#include "jointnames.h"
#include "recordsearch.h"
#include "tagchoices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
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

// Completes the word being typed after the last separator, keeping those before.
class TagCompleter : public QCompleter {
public:
    explicit TagCompleter(QLineEdit *edit) : QCompleter(edit), m_edit(edit) {
        setModel(new QStringListModel(this));
        setCaseSensitivity(Qt::CaseInsensitive);
        setCompletionMode(QCompleter::PopupCompletion);
    }

    void setTags(const QStringList &tags) {
        static_cast<QStringListModel *>(model())->setStringList(tags);
    }

    QStringList splitPath(const QString &path) const override {
        return {path.mid(tagWordStart(path)).trimmed()};
    }

    QString pathFromIndex(const QModelIndex &index) const override {
        const QString text = m_edit->text();
        QString before = text.left(tagWordStart(text));
        if (!before.isEmpty() && !before.endsWith(u' '))
            before += u' ';
        return before + index.data().toString();
    }

private:
    QLineEdit *m_edit;
};

QLabel *addLabel(QWidget *parent, const char *name, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

void CardEditor::offerBookTags() {
    if (auto *completer = dynamic_cast<TagCompleter *>(m_ui->tags->completer()))
        completer->setTags(tagsOfBook(m_ctx.book.recordDataList()));
    m_ui->tagChoices->setBookTags(tagsOfBook(m_ctx.book.recordDataList()));
}

void CardEditor::buildNavigation(QWidget *content, QGridLayout *grid) {
    auto *row = new QHBoxLayout;
    const auto navigationButton = [content, row](const char *name, const QString &text,
                                                 const QString &tip) {
        QPushButton *button = addCommandButton(content, name, text, tip);
        button->setFixedWidth(40);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        return button;
    };
    m_ui->firstCard = navigationButton("cmdRR", tr("≪"), tr("最初のカードへ"));
    m_ui->previousCard = navigationButton("cmdRew", tr("＜"), tr("戻る"));
    m_ui->nextCard = navigationButton("cmdFow", tr("＞"), tr("次のカードへ"));
    m_ui->lastCard = navigationButton("cmdFF", tr("≫"), tr("最後のカードへ"));
    m_ui->newCard = navigationButton("cmdJump", tr("∥"), tr("新規カード"));
    row->addSpacing(16);
    m_ui->cardLabel = addLabel(content, "lblRec", QString());
    m_ui->cardLabel->setMinimumWidth(80);
    m_ui->cardLabel->setFrameShape(QFrame::Panel);
    m_ui->cardLabel->setFrameShadow(QFrame::Sunken);
    m_ui->cardLabel->setAlignment(Qt::AlignCenter);
    row->addWidget(m_ui->cardLabel);
    row->addSpacing(16);
    m_ui->postalNote = addLabel(content, "lblZipNote", QString());
    m_ui->postalNote->setAccessibleName(tr("郵便番号の確認"));
    row->addWidget(m_ui->postalNote);
    row->addStretch();
    m_ui->bookList = addPictureButton(content, "Command3", tr("住所録一覧"), "view-list-details",
                                      QStyle::SP_FileDialogDetailedView);
    m_ui->help = addPictureButton(content, "Command4", tr("ヘルプ"), "help-contents",
                                  QStyle::SP_MessageBoxQuestion);
    for (QToolButton *button : {m_ui->bookList, m_ui->help}) {
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
        return std::pair{label, edit};
    };
    m_ui->postalCode = addField("lblZip", tr("〒 xxx-xxxx"), "txtZip", false, 1, 0, 1).second;
    m_ui->code = addField("lblCode", tr("Code"), "txtCode", false, 1, 2, 1).second;
    std::tie(m_ui->address1Caption, m_ui->address1) =
        addField("lblAdd1", tr("住所  １"), "txtAdd1", true, 2, 0, 3);
    std::tie(m_ui->address2Caption, m_ui->address2) =
        addField("lblAdd2", tr("住所  ２"), "txtAdd2", true, 3, 0, 3);
    m_ui->address3 = addField("lblAdd3", tr("建物名/(肩付)"), "txtAdd3", true, 4, 0, 3).second;
    m_ui->name = addField("lblName", tr("宛名／敬称"), "txtName", true, 5, 0, 2).second;
    m_ui->honorific = new QComboBox(content);
    m_ui->honorific->setObjectName(QStringLiteral("Combo1"));
    m_ui->honorific->setAccessibleName(tr("敬称"));
    m_ui->honorific->addItems(honorificWords());
    // A word beyond the six (各位, さん) may be typed; it prints as written.
    m_ui->honorific->setEditable(true);
    m_ui->honorific->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(m_ui->honorific, 5, 3);
    m_ui->reading = addField("lblReading", tr("フリガナ"), "txtReading", true, 6, 0, 2).second;
    // 連名 under the name: a given name, or a full name when the family name
    // differs.
    for (int n = 0; n < MaxJointNames; ++n) {
        const QString caption = tr("連名%1").arg(n + 1);
        QLineEdit *edit =
            addField(QStringLiteral("lblJoint%1").arg(n + 1).toLatin1().constData(), caption,
                     QStringLiteral("txtJoint%1").arg(n + 1).toLatin1().constData(), true, 7 + n, 0,
                     2)
                .second;
        auto *word = new QComboBox(content);
        word->setObjectName(QStringLiteral("cboJoint%1").arg(n + 1));
        word->setAccessibleName(tr("連名%1の敬称").arg(n + 1));
        for (const QString &text : jointHonorifics())
            word->addItem(text.isEmpty() ? tr("（なし）") : text, text);
        grid->addWidget(word, 7 + n, 3);
        m_ui->jointNames.at(size_t(n)) = edit;
        m_ui->jointHonorifics.at(size_t(n)) = word;
    }
    m_ui->tags = addField("lblTags", tr("タグ"), "txtTags", true, 10, 0, 3).second;
    m_ui->tags->setPlaceholderText(tr("家族; 友人; 仕事"));
    m_ui->tags->setCompleter(new TagCompleter(m_ui->tags));
    m_ui->tagChoices = new TagChoices(m_ui->tags, content);
    grid->addWidget(m_ui->tagChoices, 11, 1, 1, 3);

    // This year's cards and the three years' before, each editable: last
    // year's received cards are what a household sends to first.
    m_ui->yearBox = new QGroupBox(tr("年賀状の記録"), content);
    m_ui->yearBox->setObjectName(QStringLiteral("fraYear"));
    auto *marks = new QGridLayout(m_ui->yearBox);
    const char *const names[] = {"chkSent", "chkReceived", "chkMourning"};
    const int year = m_ctx.currentCardYear();
    for (int row = 0; row < CardEditorUi::MarkedYears; ++row) {
        QLabel *caption = addLabel(m_ui->yearBox, "", tr("%1年").arg(year - row));
        caption->setObjectName(QStringLiteral("lblYear%1").arg(row));
        marks->addWidget(caption, row, 0);
        for (int n = 0; n < YearMarkCount; ++n) {
            auto *box = new QCheckBox(yearMarkName(AllYearMarks[n]), m_ui->yearBox);
            // The current year's boxes keep their names; earlier ones say how far back.
            box->setObjectName(row == 0
                                   ? QLatin1String(names[n])
                                   : QStringLiteral("%1_%2").arg(QLatin1String(names[n])).arg(row));
            box->setAccessibleName(
                tr("%1年 %2").arg(year - row).arg(yearMarkName(AllYearMarks[n])));
            marks->addWidget(box, row, n + 1);
            m_ui->yearMarks.at(size_t(row)).at(size_t(n)) = box;
        }
    }
    m_ui->earlierYears = addLabel(m_ui->yearBox, "lblHistory", QString());
    marks->addWidget(m_ui->earlierYears, CardEditorUi::MarkedYears, 0, 1, YearMarkCount + 1);
    marks->setColumnStretch(YearMarkCount + 1, 1);
    grid->addWidget(m_ui->yearBox, 12, 0, 1, 4);
}

void CardEditor::buildAddressEntry(QWidget *content, QGridLayout *grid) {
    // Option entry takes the place of the two address lines.
    m_ui->oneLineCaption = addLabel(content, "Label2", tr("住所オプション入力"));
    m_ui->oneLineAddress = addEdit(content, "txtNewadd", true);
    m_ui->oneLineCaption->setBuddy(m_ui->oneLineAddress);
    grid->addWidget(m_ui->oneLineCaption, 2, 0);
    grid->addWidget(m_ui->oneLineAddress, 2, 1, 1, 3);

    // Its caption is the one-line box's: the frame itself stays untitled.
    m_ui->optionFrame = new QGroupBox(content);
    m_ui->optionFrame->setObjectName(QStringLiteral("Frame1"));
    m_ui->optionFrame->setAccessibleName(tr("住所オプション入力"));
    auto *row = new QHBoxLayout(m_ui->optionFrame);
    m_ui->withPrefecture = new QRadioButton(tr("都府県名あり"), m_ui->optionFrame);
    m_ui->withPrefecture->setObjectName(QStringLiteral("Option1"));
    m_ui->withoutPrefecture = new QRadioButton(tr("都府県名なし"), m_ui->optionFrame);
    m_ui->withoutPrefecture->setObjectName(QStringLiteral("Option2"));
    m_ui->split = addCommandButton(m_ui->optionFrame, "Command5", tr("自動振り分け"));
    m_ui->leaveOptionEntry = addCommandButton(m_ui->optionFrame, "Command2", tr("使わない"));
    row->addWidget(m_ui->withPrefecture);
    row->addWidget(m_ui->withoutPrefecture);
    row->addWidget(m_ui->split);
    row->addWidget(m_ui->leaveOptionEntry);
    grid->addWidget(m_ui->optionFrame, 3, 1, 1, 3);
}

void CardEditor::buildCommands(QWidget *content, QGridLayout *grid) {
    auto *row = new QHBoxLayout;
    m_ui->registerCard = addCommandButton(content, "cmdAdd", tr("登録"));
    m_ui->cancel = addCommandButton(content, "cmdCancel", tr("キャンセル"));
    m_ui->deleteCard = addCommandButton(content, "cmdDel", tr("削除"));
    m_ui->optionEntry = addCommandButton(content, "cmdOp", tr("オプション入力"));
    m_ui->back = addCommandButton(content, "Command1", tr("戻る"));
    for (QPushButton *button :
         {m_ui->registerCard, m_ui->cancel, m_ui->deleteCard, m_ui->optionEntry})
        row->addWidget(button);
    row->addStretch();
    row->addWidget(m_ui->back);
    grid->addLayout(row, 13, 0, 1, 4);
}

void CardEditor::buildControls(QWidget *content) {
    m_ui = std::make_unique<CardEditorUi>();
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    buildNavigation(content, grid);
    buildFields(content, grid);
    buildAddressEntry(content, grid);
    buildCommands(content, grid);

    QWidget *const order[] = {m_ui->postalCode,    m_ui->oneLineAddress,
                              m_ui->address1,      m_ui->address2,
                              m_ui->address3,      m_ui->name,
                              m_ui->honorific,     m_ui->reading,
                              m_ui->jointNames[0], m_ui->jointHonorifics[0],
                              m_ui->jointNames[1], m_ui->jointHonorifics[1],
                              m_ui->jointNames[2], m_ui->jointHonorifics[2],
                              m_ui->tags};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    QWidget *previous = m_ui->tags;
    for (const auto &row : m_ui->yearMarks)
        for (QCheckBox *box : row) {
            QWidget::setTabOrder(previous, box);
            previous = box;
        }
    QWidget::setTabOrder(previous, m_ui->code);

    // The two entry modes share rows 2 and 3: each keeps its space while
    // hidden, so the card does not move when the mode changes.
    for (QWidget *swapped : std::initializer_list<QWidget *>{
             m_ui->address1, m_ui->address2, m_ui->address1Caption, m_ui->address2Caption,
             m_ui->optionFrame, m_ui->oneLineCaption, m_ui->oneLineAddress}) {
        QSizePolicy policy = swapped->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        swapped->setSizePolicy(policy);
    }
    setLineEntry();
    connectHandlers();
}

void CardEditor::connectHandlers() {
    const auto onClick = [this](QAbstractButton *button, auto handler) {
        onCommand(button, &QAbstractButton::clicked, handler);
    };
    onClick(m_ui->firstCard, [this] { first(); });
    onClick(m_ui->previousCard, [this] { previous(); });
    onClick(m_ui->nextCard, [this] { next(); });
    onClick(m_ui->lastCard, [this] { last(); });
    onClick(m_ui->newCard, [this] { startNewCard(); });
    onClick(m_ui->registerCard, [this] { registerCard(); });
    onClick(m_ui->cancel, [this] { cancel(); });
    onClick(m_ui->deleteCard, [this] { deleteCard(); });
    onClick(m_ui->back, [this] { returnToMain(); });
    onClick(m_ui->bookList, [this] { toListSheet(); });
    onClick(m_ui->help, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 26);
    });
    onClick(m_ui->optionEntry, [this] { setOptionEntry(); });
    onClick(m_ui->leaveOptionEntry, [this] { leaveOptionEntry(); });
    onClick(m_ui->split, [this] { splitAddress(); });

    // Every change of a field is an edit, however it was made, except while
    // a card is being put into the fields.
    const std::pair<QLineEdit *, WatchedField> watched[] = {
        {m_ui->name, WatchedField::Name},         {m_ui->address1, WatchedField::Address1},
        {m_ui->address2, WatchedField::Address2}, {m_ui->code, WatchedField::Code},
        {m_ui->postalCode, WatchedField::Zip},
    };
    for (const auto &[edit, field] : watched) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, field = field](const QString &text) { fieldChanged(field, text); });
    }
    const auto edited = [this] {
        if (!m_loadingCard)
            m_session.setModified(true);
    };
    for (QLineEdit *edit : {m_ui->address3, m_ui->reading, m_ui->tags})
        connect(edit, &QLineEdit::textChanged, this, edited);
    for (const auto &row : m_ui->yearMarks)
        for (QCheckBox *box : row)
            connect(box, &QCheckBox::toggled, this, edited);
    connect(m_ui->oneLineAddress, &QLineEdit::textChanged, this, edited);
    connect(m_ui->honorific, &QComboBox::currentTextChanged, this, edited);
    for (int n = 0; n < MaxJointNames; ++n) {
        connect(m_ui->jointNames.at(size_t(n)), &QLineEdit::textChanged, this, edited);
        // A 連名 is as long as a name may be, and told the same way.
        connect(m_ui->jointNames.at(size_t(n)), &QLineEdit::textChanged, this,
                [this](const QString &text) {
                    if (!m_loadingCard && text.size() > fieldLimit(WatchedField::Name))
                        m_ctx.platform.messages.show(tr("文字数が範囲を超えています。"));
                });
        connect(m_ui->jointHonorifics.at(size_t(n)), &QComboBox::currentIndexChanged, this, edited);
    }

    // Leaving 〒 fills the address; leaving the address offers the code.
    onCommand(m_ui->postalCode, &QLineEdit::editingFinished, [this] { fillAddressFromCode(); });
    for (QLineEdit *address : {m_ui->address1, m_ui->oneLineAddress})
        onCommand(address, &QLineEdit::editingFinished, [this] { offerCodeForAddress(); });
}

} // namespace nvl
