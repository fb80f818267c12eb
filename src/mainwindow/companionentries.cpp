#include "companionentries.h"

#include "bookdocument.h"
#include "recorddata.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvl {

CompanionEntriesDialog::CompanionEntriesDialog(BookDocument &book,
                                               std::function<bool(std::function<bool()>)> apply,
                                               Ask ask, QWidget *parent)
    : QDialog(parent), m_book(book), m_apply(std::move(apply)), m_ask(std::move(ask)) {
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
    // Enter closes: an entry goes to a record only when the user picks one.
    for (QPushButton *button : {m_attach, m_discard})
        button->setAutoDefault(false);
    close->setDefault(true);
    layout->addWidget(buttons);
    connect(m_attach, &QPushButton::clicked, this, [this] { attach(); });
    connect(m_discard, &QPushButton::clicked, this, [this] { discard(); });
    connect(m_entries, &QListWidget::currentRowChanged, this, [this] { offerLikelyRecord(); });
    connect(m_records, &QComboBox::currentIndexChanged, this, [this] {
        m_attach->setEnabled(m_entries->currentRow() >= 0 && m_records->currentData().toInt() >= 0);
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, 360);
    refill();
}

QString CompanionEntriesDialog::describe(int index, const BookDocument &book) {
    const CompanionEntry &entry = book.unmatchedEntries().at(index);
    return tr("%1（〒%2）%3 — %4")
        .arg(entry.fingerprint.name, entry.fingerprint.postalCode, entry.fingerprint.address1,
             recordDataText(entry.data));
}

void CompanionEntriesDialog::refill() {
    const int current = std::max(0, m_entries->currentRow());
    const QSignalBlocker quiet(m_entries);
    m_entries->clear();
    for (int i = 0; i < m_book.unmatchedEntries().size(); ++i)
        m_entries->addItem(describe(i, m_book));
    m_entries->setCurrentRow(std::min(current, m_entries->count() - 1));
    m_records->clear();
    m_records->addItem(tr("（宛名を選んでください）"), -1);
    for (int number = 1; number <= m_book.recordCount(); ++number) {
        const AddressRecord &record = m_book.record(number);
        m_records->addItem(
            tr("%1  %2（%3）")
                .arg(number)
                .arg(record.field(AddressRecord::Name), record.field(AddressRecord::Address1)),
            number - 1);
    }
    m_discard->setEnabled(m_entries->count() > 0);
    offerLikelyRecord();
}

void CompanionEntriesDialog::offerLikelyRecord() {
    const int entry = m_entries->currentRow();
    int likely = -1;
    if (entry >= 0 && entry < m_book.unmatchedEntries().size()) {
        const RecordFingerprint &was = m_book.unmatchedEntries().at(entry).fingerprint;
        for (int row = 0; row < m_book.recordCount(); ++row) {
            const RecordFingerprint now = RecordFingerprint::of(m_book.record(row + 1));
            if (now.postalCode != was.postalCode || now.address1 != was.address1)
                continue;
            if (likely >= 0) {
                likely = -1; // more than one: the user chooses
                break;
            }
            likely = row;
        }
    }
    m_records->setCurrentIndex(m_records->findData(likely));
    m_attach->setEnabled(entry >= 0 && likely >= 0);
}

void CompanionEntriesDialog::attach() {
    const int entry = m_entries->currentRow();
    const int row = m_records->currentData().toInt();
    if (entry < 0 || row < 0)
        return;
    BookDocument::Attach how = BookDocument::Attach::Replace;
    if (const QJsonObject own = m_book.recordData(row); !own.isEmpty()) {
        const MessageAnswer answer =
            m_ask(tr("宛名「%1」には、すでに付属データ（%2）があります。\n"
                     "「はい」で選んだ付属データに置き換え、「いいえ」で両方をまとめます。")
                      .arg(m_book.record(row + 1).field(AddressRecord::Name), recordDataText(own)),
                  MessageButtons::YesNoCancel);
        if (answer == MessageAnswer::Cancel)
            return;
        how = answer == MessageAnswer::Yes ? BookDocument::Attach::Replace
                                           : BookDocument::Attach::Merge;
    }
    m_apply([this, entry, row, how] { return m_book.attachEntry(entry, row, how); });
    refill();
}

void CompanionEntriesDialog::discard() {
    const int entry = m_entries->currentRow();
    if (entry < 0 ||
        m_ask(tr("「%1」を捨てます。元に戻せません。よろしいですか？").arg(describe(entry, m_book)),
              MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    m_apply([this, entry] { return m_book.discardEntry(entry); });
    refill();
}

} // namespace nvl
