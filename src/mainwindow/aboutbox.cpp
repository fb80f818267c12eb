#include "aboutbox.h"

#include "crlabel.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

namespace nvl {

const QString AboutBox::NoticePrefix = QStringLiteral("このソフトウェアについて：");
const QString AboutBox::MakerNotice = QStringLiteral(
    "本ソフトウェアは無保証で提供されます。\rOrbek\rhttps://nvl-hagaki.example.org/");

AboutBox::AboutBox(AppContext &context) : FormWindow(context, WindowId::About) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    resize(420, 260);
}

void AboutBox::buildControls(QWidget *content) {
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 16, 20, 16);
    const auto addLine = [content, layout](const char *name) {
        auto *label = new QLabel(content);
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label);
        return label;
    };
    m_application = addLine("lblApplication");
    m_version = addLine("lblVer");
    m_heading = addLine("lblHeading");
    QFont big = m_application->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    m_application->setFont(big);
    auto *line = new QFrame(content);
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    m_notice = new CrLabel(content);
    m_notice->setObjectName(QStringLiteral("lblCopyright"));
    m_notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_notice->setMinimumHeight(80);
    layout->addWidget(m_notice);
    auto *ok = addCommandButton(content, "cmdOK", tr("OK"));
    layout->addWidget(ok, 0, Qt::AlignRight);
    onCommand(ok, &QPushButton::clicked, [this] { unloadForm(); });
}

void AboutBox::afterLoad() {
    centreOnScreen();
    m_application->setText(QStringLiteral("- Heading -"));
    m_heading->setText(QStringLiteral("- Heading -"));
    m_notice->setText(QStringLiteral("- Copyright -"));
}

void AboutBox::setApplication(const QString &text) {
    loadForm();
    m_application->setText(text);
}

void AboutBox::setVersion(const QString &text) {
    loadForm();
    m_version->setText(text);
}

void AboutBox::setHeading(const QString &text) {
    loadForm();
    m_heading->setText(text);
}

void AboutBox::setCopyright(const QString &text) {
    loadForm();
    m_notice->setText(NoticePrefix + text);
}

void AboutBox::showProgramVersion() {
    setApplication(tr("ＮＶＬはがき宛名プリント "));
    setVersion(QStringLiteral("Ver 2.0"));
    setHeading(QStringLiteral(" ******   Orbek   *****        "));
    setCopyright(MakerNotice);
    showModal();
}

void AboutBox::showModal() {
    // Modal: the main window takes no input until OK.
    setWindowModality(Qt::ApplicationModal);
    showForm();
}

} // namespace nvl
