#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "bookfile.h"
#include "bookquestions.h"
#include "jointnames.h"
#include "recorddata.h"
#include "recordextras.h"
#include "recordsearch.h"
#include "splitaddress.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace nvl {

CardEditor::CardEditor(AppContext &context)
    : FormWindow(context, WindowId::CardEditor), m_document(context.book),
      m_session(m_document, context.platform.messages) {
    m_session.shownData = [this] {
        return shownData();
    };
    m_session.shown = [this] {
        return shownCard();
    };
    setObjectName(QStringLiteral("frmSet"));
    setWindowTitle(tr("住所録編集"));
    resize(620, 420);
    // Saved under another name while open: the title names the new file.
    connect(&m_document, &BookDocument::fileChanged, this, [this](const QString &path) {
        if (isFormLoaded() && m_document.hasFile())
            setWindowTitle(tr("住所録　　") + path);
    });
}

CardEditor::~CardEditor() {
    // The fields lose focus as the window's widgets go: that is not the user
    // leaving them, and this object is no longer whole by then.
    if (m_ui) {
        for (QLineEdit *field : {m_ui->postalCode, m_ui->address1, m_ui->oneLineAddress})
            QObject::disconnect(field, &QLineEdit::editingFinished, this, nullptr);
    }
}

MessageAnswer CardEditor::ask(const QString &text, const QString &title) {
    return m_ctx.platform.messages.show(text, MessageButtons::YesNo, title);
}

bool CardEditor::bookFromDataFile() const {
    return m_document.hasFile();
}

void CardEditor::putCardInFields() {
    const QScopedValueRollback loading(m_loadingCard, true);
    m_ui->postalNote->clear();
    const AddressRecord &record = card(cardNo());
    m_ui->name->setText(record.field(AddressRecord::Name));
    m_ui->address1->setText(record.field(AddressRecord::Address1));
    m_ui->address2->setText(record.field(AddressRecord::Address2));
    m_ui->postalCode->setText(record.field(AddressRecord::PostalCode));
    m_ui->code->setText(record.field(AddressRecord::Code));
    m_ui->honorific->setCurrentIndex(honorificIndexForList(record.field(AddressRecord::Honorific)));
    m_ui->address3->setText(record.field(AddressRecord::Address3));
    const QJsonObject data = m_session.cardData(cardNo());
    // A word beyond the six, from the record's data or its field, as written.
    if (const QString word = printedRecord(record, data).field(AddressRecord::Honorific);
        !isNumericText(word) && !word.isEmpty() && !honorificWords().contains(word))
        m_ui->honorific->setEditText(word);
    m_ui->reading->setText(readingOf(data));
    m_ui->tags->setText(tagsOf(data).join(QStringLiteral("; ")));
    offerBookTags();
    showYearMarks(data);
    const JointNames joint = jointNamesOf(data);
    for (int n = 0; n < MaxJointNames; ++n) {
        m_ui->jointNames.at(size_t(n))->setText(joint.value(n).name);
        // An empty row offers 様, the word most joint names take.
        QComboBox *word = m_ui->jointHonorifics.at(size_t(n));
        const int index = n < joint.size() ? word->findData(joint.value(n).honorific) : 0;
        word->setCurrentIndex(index >= 0 ? index : 0);
    }
    m_session.setModified(false);
}

QJsonObject CardEditor::shownData() const {
    JointNames joint;
    for (int n = 0; n < MaxJointNames; ++n)
        joint.append({m_ui->jointNames.at(size_t(n))->text(),
                      m_ui->jointHonorifics.at(size_t(n))->currentData().toString()});
    QJsonObject data = withJointNames(m_session.cardData(cardNo()), joint);
    data = withReading(data, m_ui->reading->text());
    RecordExtras extras = RecordExtras::fromJson(data);
    extras.honorificWord = typedHonorificWord();
    data = extras.toJson();
    const int year = m_ctx.currentCardYear();
    for (int row = 0; row < CardEditorUi::MarkedYears; ++row)
        for (int n = 0; n < YearMarkCount; ++n)
            data = withMark(data, year - row, AllYearMarks[n],
                            m_ui->yearMarks.at(size_t(row)).at(size_t(n))->isChecked());
    return withTags(data, splitTags(m_ui->tags->text()));
}

QString CardEditor::typedHonorificWord() const {
    const QString text = m_ui->honorific->currentText().trimmed();
    if (text.isEmpty() || honorificWords().contains(text))
        return {};
    return text;
}

AddressRecord CardEditor::shownCard() {
    AddressRecord record = card(cardNo());
    record.setField(AddressRecord::Name, m_ui->name->text());
    // In option entry the one-line box is what the user sees: its split is
    // stored, never lines left hidden behind it.
    const QString oneLine = m_ui->oneLineAddress->text();
    if (inOptionEntry() && !oneLine.isEmpty()) {
        const QScopedValueRollback storing(m_loadingCard, true);
        const SplitLines lines = splitAddressText(oneLine, m_ui->withPrefecture->isChecked());
        m_ui->address1->setText(lines.line1);
        m_ui->address2->setText(lines.line2);
    }
    record.setField(AddressRecord::Address1, m_ui->address1->text());
    record.setField(AddressRecord::Address2, m_ui->address2->text());
    record.setField(AddressRecord::PostalCode, m_ui->postalCode->text());
    record.setField(AddressRecord::Code, m_ui->code->text());
    // A typed word beyond the six keeps 様's index; the word is the data's.
    record.setField(AddressRecord::Honorific, typedHonorificWord().isEmpty()
                                                  ? QString::number(m_ui->honorific->currentIndex())
                                                  : QStringLiteral("0"));
    record.setField(AddressRecord::Address3, m_ui->address3->text());
    return record;
}

void CardEditor::clearFields() {
    const QScopedValueRollback loading(m_loadingCard, true);
    m_ui->postalNote->clear();
    for (QLineEdit *edit :
         {m_ui->name, m_ui->address1, m_ui->address2, m_ui->postalCode, m_ui->code,
          m_ui->oneLineAddress, m_ui->address3, m_ui->reading, m_ui->tags})
        edit->clear();
    offerBookTags();
    showYearMarks({});
    for (int n = 0; n < MaxJointNames; ++n) {
        m_ui->jointNames.at(size_t(n))->clear();
        m_ui->jointHonorifics.at(size_t(n))->setCurrentIndex(0);
    }
}

// The marks of the current year and the three before it in the boxes; any
// older ones named under them.
void CardEditor::showYearMarks(const QJsonObject &data) {
    const int year = m_ctx.currentCardYear();
    const YearMarks marks = yearMarksOf(data);
    for (int row = 0; row < CardEditorUi::MarkedYears; ++row)
        for (int n = 0; n < YearMarkCount; ++n)
            m_ui->yearMarks.at(size_t(row))
                .at(size_t(n))
                ->setChecked(marks.value(year - row) & int(AllYearMarks[n]));
    QStringList older;
    const QList<int> years = marks.keys();
    for (auto it = years.crbegin(); it != years.crend(); ++it)
        if (*it <= year - CardEditorUi::MarkedYears && marks.value(*it) != 0)
            older.append(yearMarksText(*it, marks.value(*it)));
    const QString text =
        older.isEmpty() ? QString() : tr("それより前: %1").arg(older.join(QStringLiteral("　")));
    m_ui->earlierYears->setText(text);
    // Read as what it says.
    m_ui->earlierYears->setAccessibleName(text.isEmpty() ? tr("それより前の記録はありません")
                                                         : text);
}

void CardEditor::afterLoad() {
    centreOnScreen();
    const QString file = m_document.filePath();
    setWindowTitle(tr("住所録編集　　") + file);
    m_session.changes() = ChangeTracker();
    m_bookRefused = false;
    // What the last visit left in the controls goes.
    clearFields();
    {
        const QScopedValueRollback loading(m_loadingCard, true);
        m_ui->honorific->setCurrentIndex(0);
    }
    m_ui->cardLabel->clear();
    m_ui->deleteCard->setEnabled(true);
    m_ui->optionEntry->setEnabled(true);
    setLineEntry();

    if (bookFromDataFile()) {
        setWindowTitle(tr("住所録　　") + file);
        if (!loadBook())
            return;
        m_session.showCard(1);
        putCardInFields();
        showRegisteredLabel();
    } else {
        // A new book, also when no book was handed over at all.
        m_document.startNew();
        setWindowTitle(tr("住所録　　"));
        m_session.showCard(1);
        showNewCardLabel();
        m_ui->deleteCard->setEnabled(false);
        m_ui->optionEntry->setEnabled(false);
        setOptionEntry();
    }
    m_ui->withPrefecture->setChecked(true);
    m_session.setModified(false);
}

bool CardEditor::loadBook() {
    // The main window has the book in the one document already: it is not
    // read again, only locked, so that no other editor works on it
    // (whatever name it was opened by).
    const BookDocument::Locked locked =
        lockForEditing(m_ctx.platform, m_document, m_document.filePath());
    if (!locked.ok) {
        refuseBook(locked.error);
        return false;
    }
    return true;
}

bool CardEditor::writeBook(const QString &path, const AddressBook &book) {
    m_document.setRecords(book.records);
    QString elsewhere;
    BookDocument::Saved saved;
    if (m_document.holds(path)) {
        const BookDocument::ConflictHandler ask = askAboutChangedBook(m_ctx.platform);
        saved = m_document.save([&ask, &elsewhere](const QString &file, QString *other) {
            const BookDocument::ConflictAnswer answer = ask(file, other);
            elsewhere = *other;
            return answer;
        });
    } else {
        saved = m_document.saveAs(path);
        elsewhere = path;
    }
    if (saved.outcome == BookDocument::Saved::Outcome::Failed)
        m_ctx.platform.messages.show(saved.error);
    if (!saved.ok())
        return false;
    if (!elsewhere.isEmpty() && saved.outcome == BookDocument::Saved::Outcome::Written) {
        // The book lives on under its new name, locked as the old one was.
        m_document.lock(elsewhere, 0);
    }
    return true;
}

void CardEditor::refuseBook(const QString &message) {
    // Editing a partial copy and writing it back would lose records.
    m_bookRefused = true;
    m_ctx.platform.messages.show(message +
                                 tr("\n住所録編集を開けません。ファイルは変更していません。"));
    QTimer::singleShot(0, this, [this] { unloadForm(); });
}

bool CardEditor::writeCards(const QString &path) {
    return writeBook(path, m_document.book());
}

bool CardEditor::canUnload() {
    // Leaving by キャンセル or the close box: what is not registered or not
    // saved is asked about, as 戻る asks.
    if (!m_bookRefused && !m_leavingAsked) {
        if (m_discardingEdit)
            m_session.setModified(false);
        m_session.askAboutEditOnLeaving();
        if (!bookFromDataFile() && cardCount() > 0 && m_session.wantsSaveAs() && !saveNewBookAs())
            return false;
    }
    const QString file = m_document.filePath();
    if (m_bookRefused || file.isEmpty() || writeCards(file))
        return true;
    // The book could not be written: closing now would lose it.
    if (ask(tr("住所録を保存できませんでした。保存せずに閉じますか？")) != MessageAnswer::Yes)
        return false;
    // Closed unsaved: the book is what its file holds, as the main window shows it.
    if (!m_document.load(file).ok())
        m_document.clear();
    return true;
}

void CardEditor::beforeUnload() {
    m_document.unlock();
    // A new book the user chose not to save is not kept.
    if (m_document.isNew())
        m_document.clear();
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
}

void CardEditor::showCard(int number) {
    loadForm();
    m_session.showCard(number);
    putCardInFields();
    showRegisteredLabel();
}

} // namespace nvl
