#include "senderwindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace nvl {

namespace {

constexpr int EditableEntries = 3;

} // namespace

SenderWindow::SenderWindow(AppContext &context) : FormWindow(context, WindowId::Sender) {
    setObjectName(QStringLiteral("frmTx"));
    setWindowTitle(QStringLiteral("差出人データ"));
    resize(420, 300);
}

void SenderWindow::buildForm(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    const struct {
        const char *label;
        const char *caption;
        const char *edit;
    } fields[] = {
        {"Label1", "〒", "txtZiptx"},
        {"Label2", "住所１", "txtAdd1tx"},
        {"Label3", "住所２", "txtAdd2tx"},
        {"Label4", "差出人", "txtNmtx"},
    };
    int row = 0;
    for (const auto &field : fields) {
        auto *label = new QLabel(QString::fromUtf8(field.caption), content);
        label->setObjectName(QLatin1String(field.label));
        grid->addWidget(label, row++, 0);
        auto *edit = new QLineEdit(content);
        edit->setObjectName(QLatin1String(field.edit));
        label->setBuddy(edit);
        grid->addWidget(edit, row++, 0, 1, 4);
    }
    auto *position = new QLabel(content);
    position->setObjectName(QStringLiteral("lblTx"));
    position->setAlignment(Qt::AlignCenter);
    grid->addWidget(addCommandButton(content, "Command3", QStringLiteral("＜")), row, 0);
    grid->addWidget(position, row, 1);
    grid->addWidget(addCommandButton(content, "Command4", QStringLiteral("＞")), row, 2);
    ++row;
    grid->addWidget(addCommandButton(content, "cmdTxRec", QStringLiteral("登録")), row, 0);
    grid->addWidget(addCommandButton(content, "Command2", QStringLiteral("戻る")), row, 3);

    connect(control<QAbstractButton>("Command3"), &QAbstractButton::clicked, this, [this] {
        if (m_current > 0) {
            --m_current;
            GetTx();
            showPosition();
        }
    });
    connect(control<QAbstractButton>("Command4"), &QAbstractButton::clicked, this, [this] {
        if (m_current < EditableEntries - 1) {
            ++m_current;
            GetTx();
            showPosition();
        }
    });
    connect(control<QAbstractButton>("cmdTxRec"), &QAbstractButton::clicked, this,
            [this] { storeEntry(); });
    connect(control<QAbstractButton>("Command2"), &QAbstractButton::clicked, this,
            [this] { saveAndReturn(); });
}

QLineEdit *SenderWindow::edit(const char *name) const {
    return control<QLineEdit>(name);
}

QString SenderWindow::senderPath() const {
    return m_ctx.platform.programFile(QStringLiteral("Wolt.tds"));
}

void SenderWindow::formLoad() {
    centreOnScreen();
    QString problem;
    m_senders =
        ReadSenderFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Wolt.tds")), &problem);
    // A file not read whole is replaced only when the user agrees.
    m_damagedFile = !problem.isEmpty();
    if (m_damagedFile)
        m_ctx.platform.messages.show(problem);
    m_current = 0;
    GetTx();
    showPosition();
}

void SenderWindow::GetTx() {
    const SenderEntry &entry = m_senders.at(m_current);
    edit("txtZiptx")->setText(entry.postalCode);
    edit("txtAdd1tx")->setText(entry.address1);
    edit("txtAdd2tx")->setText(entry.address2);
    edit("txtNmtx")->setText(entry.name);
}

void SenderWindow::showPosition() {
    control<QLabel>("lblTx")->setText(QStringLiteral("%1/ 3 ").arg(m_current + 1));
}

void SenderWindow::storeEntry() {
    m_senders.at(m_current) = {edit("txtZiptx")->text(), edit("txtAdd1tx")->text(),
                               edit("txtAdd2tx")->text(), edit("txtNmtx")->text()};
}

void SenderWindow::saveAndReturn() {
    if (m_damagedFile &&
        m_ctx.platform.messages.show(
            QStringLiteral(
                "差出人ファイル「%1」は正しく読めなかったため、読めなかった差出人データは"
                "空欄になっています。このまま上書きしますか？")
                .arg(senderPath()),
            MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    const WriteResult written = WriteSenderFile(senderPath(), m_senders);
    if (!written) {
        // The edits stay in this window, to be saved once the file can be written.
        m_ctx.platform.messages.show(written.error);
        return;
    }
    emit sendersSaved();
    unloadForm();
}

} // namespace nvl
