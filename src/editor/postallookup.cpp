// 〒 ⇄ 住所: the address from the postal code, and the code from the address.
#include "cardeditor.h"
#include "cardeditor_ui.h"

#include "postaldirectory.h"
#include "splitaddress.h"

#include <QTimer>

namespace nvl {

namespace {

QString withHyphen(const QString &code) {
    return code.left(3) + u'-' + code.mid(3);
}

} // namespace

bool CardEditor::inOptionEntry() const {
    return m_ui->oneLineAddress->isVisibleTo(this);
}

QString CardEditor::typedAddress() const {
    return inOptionEntry() ? m_ui->oneLineAddress->text()
                           : m_ui->address1->text() + m_ui->address2->text();
}

void CardEditor::fillAddressFromCode() {
    // Only a code the user has just typed: passing through the field asks nothing.
    if (m_loadingCard || !m_ui || !m_ui->postalCode->isModified())
        return;
    m_ui->postalCode->setModified(false);
    m_ui->postalNote->clear();
    const QString code = normalizedPostalCode(m_ui->postalCode->text());
    if (code.isEmpty())
        return;
    const QList<PostalPlace> places = PostalDirectory::shipped().byCode(code);
    if (places.isEmpty()) {
        // Said beside the card, not asked: typing goes on.
        m_ui->postalNote->setText(
            tr("〒%1 は手元の郵便番号データにありません（事業所の個別番号かもしれません）")
                .arg(withHyphen(code)));
        return;
    }
    int pick = 0;
    if (places.size() > 1) {
        QStringList towns;
        for (const PostalPlace &place : places)
            towns.append(place.label());
        pick = m_ctx.platform.messages.choose(
            tr("郵便番号「%1」には住所がいくつかあります。選んでください。").arg(withHyphen(code)),
            towns);
        if (pick < 0)
            return;
    }
    const PostalPlace &place = places.at(pick);
    // A business's code gives its street too.
    const QString address = place.address() + place.street;
    const QString typed = typedAddress();
    const bool same = typed.startsWith(address);
    // What the user typed is never replaced without asking.
    if (!same && !typed.isEmpty() &&
        ask(tr("住所「%1」を「%2」に置き換えますか？").arg(typed, address)) != MessageAnswer::Yes)
        return;
    fillWhatTheCodeNames(place);
    if (same)
        return;
    // One rule for the two lines, on a new card or a filled one, in either
    // entry mode: the town on 住所２, where the house number follows.
    const SplitLines lines = splitAddressText(address, m_ui->withPrefecture->isChecked());
    m_ui->address1->setText(lines.line1);
    m_ui->address2->setText(lines.line2);
    QLineEdit *target = lines.line2.isEmpty() ? m_ui->address1 : m_ui->address2;
    if (inOptionEntry()) {
        m_ui->oneLineAddress->setText(address);
        target = m_ui->oneLineAddress;
    }
    // On to the house number: the cursor after the fill, nothing selected.
    // A Tab out of 〒 selects the whole box as the focus arrives, so the
    // cursor is placed once it has.
    target->setFocus();
    target->end(false);
    QTimer::singleShot(0, target, [target] {
        target->deselect();
        target->end(false);
    });
}

void CardEditor::fillWhatTheCodeNames(const PostalPlace &place) {
    // Only into empty boxes: a building's floor, a business's name (御中).
    if (!place.building.isEmpty() && m_ui->address3->text().isEmpty())
        m_ui->address3->setText(place.building);
    if (!place.office.isEmpty() && m_ui->name->text().isEmpty()) {
        m_ui->name->setText(place.office);
        m_ui->honorific->setCurrentIndex(
            static_cast<int>(honorificWords().indexOf(QStringLiteral("御中"))));
    }
}

void CardEditor::offerCodeForAddress() {
    if (m_loadingCard || !m_ui || !m_ui->postalCode->text().trimmed().isEmpty())
        return;
    QLineEdit *typedIn = inOptionEntry() ? m_ui->oneLineAddress : m_ui->address1;
    if (!typedIn->isModified())
        return;
    typedIn->setModified(false);
    const QString address = typedAddress();
    if (address.isEmpty())
        return;
    QStringList codes;
    QStringList choices;
    for (const PostalPlace &place : PostalDirectory::shipped().byAddress(address)) {
        if (codes.contains(place.code))
            continue;
        codes.append(place.code);
        choices.append(withHyphen(place.code) + u' ' + place.label());
    }
    int pick = -1;
    if (codes.size() == 1) {
        if (ask(tr("住所「%1」の郵便番号は「%2」です。入れますか？")
                    .arg(address, withHyphen(codes.first()))) == MessageAnswer::Yes)
            pick = 0;
    } else if (codes.size() > 1) {
        pick = m_ctx.platform.messages.choose(
            tr("住所「%1」に当てはまる郵便番号を選んでください。").arg(address), choices);
    }
    if (pick >= 0)
        m_ui->postalCode->setText(withHyphen(codes.at(pick)));
}

} // namespace nvl
