#include "companionentries.h"

#include "bookdocument.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvl {

namespace {

// A value as short text: strings as they are, lists and objects as JSON.
QString shortText(const QJsonValue &value) {
    QString text;
    if (value.isString())
        text = value.toString();
    else if (value.isArray())
        text = QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    else if (value.isObject())
        text = QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    else
        text = value.toVariant().toString();
    constexpr int Longest = 40;
    return text.size() > Longest ? text.left(Longest) + QStringLiteral("…") : text;
}

} // namespace

CompanionEntriesDialog::CompanionEntriesDialog(BookDocument &book,
                                               std::function<bool(std::function<bool()>)> apply,
                                               std::function<bool(const QString &)> confirm,
                                               QWidget *parent)
    : QDialog(parent), m_book(book), m_apply(std::move(apply)), m_confirm(std::move(confirm)) {
    setObjectName(QStringLiteral("frmCompanionEntries"));
    setWindowTitle(tr("付属データの整理"));
    auto *layout = new QVBoxLayout(this);
    auto *intro =
        new QLabel(tr("次の付属データ（連名など）は、住所録がほかのプログラムで変更されたため、"
                      "どの宛名とも合わなくなりました。\n"
                      "宛名を選んで付けるか、要らなければ捨ててください。"),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_entries = new QListWidget(this);
    m_entries->setObjectName(QStringLiteral("lstEntries"));
    m_entries->setAccessibleName(tr("合わない付属データ"));
    layout->addWidget(m_entries);
    auto *form = new QFormLayout;
    m_records = new QComboBox(this);
    m_records->setObjectName(QStringLiteral("cboRecord"));
    m_records->setAccessibleName(tr("付ける宛名"));
    form->addRow(tr("付ける宛名"), m_records);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(this);
    m_attach = buttons->addButton(tr("宛名に付ける"), QDialogButtonBox::ActionRole);
    m_attach->setObjectName(QStringLiteral("cmdAttach"));
    m_discard = buttons->addButton(tr("捨てる"), QDialogButtonBox::ActionRole);
    m_discard->setObjectName(QStringLiteral("cmdDiscard"));
    QPushButton *close = buttons->addButton(tr("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    layout->addWidget(buttons);
    connect(m_attach, &QPushButton::clicked, this, [this] { attach(); });
    connect(m_discard, &QPushButton::clicked, this, [this] { discard(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 360);
    refill();
}

QString CompanionEntriesDialog::describe(int index, const BookDocument &book) {
    const CompanionEntry &entry = book.unmatchedEntries().at(index);
    QStringList held;
    for (auto it = entry.data.begin(); it != entry.data.end(); ++it)
        held.append(it.key() + QStringLiteral(": ") + shortText(it.value()));
    return tr("%1（〒%2）%3 — %4")
        .arg(entry.fingerprint.name, entry.fingerprint.postalCode, entry.fingerprint.address1,
             held.join(QStringLiteral("、")));
}

void CompanionEntriesDialog::refill() {
    const int current = std::max(0, m_entries->currentRow());
    m_entries->clear();
    for (int i = 0; i < m_book.unmatchedEntries().size(); ++i)
        m_entries->addItem(describe(i, m_book));
    m_entries->setCurrentRow(std::min(current, m_entries->count() - 1));
    m_records->clear();
    for (int number = 1; number <= m_book.recordCount(); ++number) {
        const AddressRecord &record = m_book.record(number);
        m_records->addItem(
            tr("%1  %2（%3）")
                .arg(number)
                .arg(record.field(AddressRecord::Name), record.field(AddressRecord::Address1)));
    }
    const bool any = m_entries->count() > 0;
    m_attach->setEnabled(any && m_records->count() > 0);
    m_discard->setEnabled(any);
}

void CompanionEntriesDialog::attach() {
    const int entry = m_entries->currentRow();
    const int row = m_records->currentIndex();
    if (entry < 0 || row < 0)
        return;
    m_apply([this, entry, row] { return m_book.attachEntry(entry, row); });
    refill();
}

void CompanionEntriesDialog::discard() {
    const int entry = m_entries->currentRow();
    if (entry < 0 ||
        !m_confirm(
            tr("「%1」を捨てます。元に戻せません。よろしいですか？").arg(describe(entry, m_book))))
        return;
    m_apply([this, entry] { return m_book.discardEntry(entry); });
    refill();
}

} // namespace nvl
