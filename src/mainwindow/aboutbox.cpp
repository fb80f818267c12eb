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
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    resize(420, 260);
}

void AboutBox::buildForm(QWidget *content) {
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 16, 20, 16);
    for (const char *name : {"lblApplication", "lblVer", "lblHeading"}) {
        auto *label = new QLabel(content);
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label);
    }
    QFont big = control<QLabel>("lblApplication")->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    control<QLabel>("lblApplication")->setFont(big);
    auto *line = new QFrame(content);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    layout->addWidget(line);
    auto *notice = new CrLabel(content);
    notice->setObjectName(QStringLiteral("lblCopyright"));
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setMinimumHeight(80);
    layout->addWidget(notice);
    auto *ok = new QPushButton(QStringLiteral("OK"), content);
    ok->setObjectName(QStringLiteral("cmdOK"));
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, [this] { unloadForm(); });
}

void AboutBox::formLoad() {
    centreOnScreen();
    control<QLabel>("lblApplication")->setText(QStringLiteral("- Heading -"));
    control<QLabel>("lblHeading")->setText(QStringLiteral("- Heading -"));
    control<QLabel>("lblCopyright")->setText(QStringLiteral("- Copyright -"));
}

void AboutBox::setApplication(const QString &text) {
    loadForm();
    control<QLabel>("lblApplication")->setText(text);
}

void AboutBox::setHeading(const QString &text) {
    loadForm();
    control<QLabel>("lblHeading")->setText(text);
}

void AboutBox::setCopyright(const QString &text) {
    loadForm();
    control<QLabel>("lblCopyright")->setText(NoticePrefix + text);
}

void AboutBox::Display() {
    // Modal: the main window takes no input until OK.
    setWindowModality(Qt::ApplicationModal);
    showForm();
}

} // namespace nvl
