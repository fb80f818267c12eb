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
    setWindowTitle(tr("差出人データ"));
    resize(420, 300);
}

void SenderWindow::buildControls(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    int row = 0;
    const auto addField = [content, grid, &row](const QString &caption, const char *name) {
        auto *label = new QLabel(caption, content);
        grid->addWidget(label, row++, 0);
        auto *edit = new QLineEdit(content);
        edit->setObjectName(QLatin1String(name));
        label->setBuddy(edit);
        grid->addWidget(edit, row++, 0, 1, 4);
        return edit;
    };
    m_postalCode = addField(tr("〒"), "txtZiptx");
    m_address1 = addField(tr("住所１"), "txtAdd1tx");
    m_address2 = addField(tr("住所２"), "txtAdd2tx");
    m_name = addField(tr("差出人"), "txtNmtx");
    m_position = new QLabel(content);
    m_position->setObjectName(QStringLiteral("lblTx"));
    m_position->setAlignment(Qt::AlignCenter);
    QPushButton *previous = addCommandButton(content, "Command3", tr("＜"));
    QPushButton *next = addCommandButton(content, "Command4", tr("＞"));
    grid->addWidget(previous, row, 0);
    grid->addWidget(m_position, row, 1);
    grid->addWidget(next, row, 2);
    ++row;
    QPushButton *store = addCommandButton(content, "cmdTxRec", tr("登録"));
    QPushButton *back = addCommandButton(content, "Command2", tr("戻る"));
    grid->addWidget(store, row, 0);
    grid->addWidget(back, row, 3);

    connect(previous, &QAbstractButton::clicked, this, [this] {
        if (m_current > 0) {
            --m_current;
            showCurrentEntry();
            showPosition();
        }
    });
    connect(next, &QAbstractButton::clicked, this, [this] {
        if (m_current < EditableEntries - 1) {
            ++m_current;
            showCurrentEntry();
            showPosition();
        }
    });
    onCommand(store, &QAbstractButton::clicked, [this] { storeEntry(); });
    onCommand(back, &QAbstractButton::clicked, [this] { saveAndReturn(); });
}

QString SenderWindow::senderPath() const {
    return m_ctx.platform.programFile(QStringLiteral("Wolt.tds"));
}

void SenderWindow::afterLoad() {
    centreOnScreen();
    QString problem;
    m_senders =
        readSenderFile(m_ctx.platform.settingsFileToRead(QStringLiteral("Wolt.tds")), &problem);
    // A file not read whole is replaced only when the user agrees.
    m_damagedFile = !problem.isEmpty();
    if (m_damagedFile)
        m_ctx.platform.messages.show(problem);
    m_current = 0;
    showCurrentEntry();
    showPosition();
}

void SenderWindow::showCurrentEntry() {
    const SenderEntry &entry = m_senders.at(m_current);
    m_postalCode->setText(entry.postalCode);
    m_address1->setText(entry.address1);
    m_address2->setText(entry.address2);
    m_name->setText(entry.name);
}

void SenderWindow::showPosition() {
    m_position->setText(QStringLiteral("%1/ 3 ").arg(m_current + 1));
}

void SenderWindow::storeEntry() {
    m_senders.at(m_current) = {m_postalCode->text(), m_address1->text(), m_address2->text(),
                               m_name->text()};
}

void SenderWindow::saveAndReturn() {
    if (m_damagedFile &&
        m_ctx.platform.messages.show(
            tr("差出人ファイル「%1」は正しく読めなかったため、読めなかった差出人データは"
               "空欄になっています。このまま上書きしますか？")
                .arg(senderPath()),
            MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    const WriteResult written = writeSenderFile(senderPath(), m_senders);
    if (!written) {
        // The edits stay in this window, to be saved once the file can be written.
        m_ctx.platform.messages.show(written.error);
        return;
    }
    emit sendersSaved();
    unloadForm();
}

} // namespace nvl
