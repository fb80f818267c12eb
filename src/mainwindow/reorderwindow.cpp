#include "reorderwindow.h"

#include "reorder.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

namespace nvl {

namespace {

const QString WrongDestination = QStringLiteral("指定に誤りがあります。");

} // namespace

ReorderWindow::ReorderWindow(AppContext &context) : FormWindow(context, WindowId::Reorder) {
    setObjectName(QStringLiteral("frmOrder"));
    setWindowTitle(QStringLiteral("Order Set"));
    resize(460, 420);
}

QLineEdit *ReorderWindow::text(const char *name) const {
    return control<QLineEdit>(name);
}

void ReorderWindow::buildForm(QWidget *content) {
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(16, 12, 16, 12);
    const auto addLabel = [content](const char *name, const QString &caption) {
        auto *label = new QLabel(caption, content);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    grid->addWidget(addLabel("Label1", QStringLiteral("移動をするリストをクリックしてください")), 0,
                    0, 1, 4);
    auto *list = new QListWidget(content);
    list->setObjectName(QStringLiteral("lstName"));
    grid->addWidget(list, 1, 0, 1, 4);
    grid->addWidget(addLabel("lblName", QString()), 2, 0);
    grid->addWidget(addLabel("Label2", QStringLiteral("を")), 2, 1);
    auto *destination = new QLineEdit(content);
    destination->setObjectName(QStringLiteral("txt2"));
    destination->setAccessibleName(QStringLiteral("挿入先の番号"));
    destination->setMaximumWidth(60);
    destination->hide();
    grid->addWidget(destination, 2, 2);
    grid->addWidget(addLabel("Label3", QStringLiteral("番に挿入します。")), 2, 3);
    for (const char *name : {"txt3", "txt4"}) {
        auto *box = new QLineEdit(content);
        box->setObjectName(QLatin1String(name));
        box->setReadOnly(true);
        box->setMaximumWidth(60);
        grid->addWidget(box, 3, name == QLatin1String("txt3") ? 0 : 1);
    }
    auto *run = new QPushButton(QStringLiteral("実行"), content);
    run->setObjectName(QStringLiteral("Command1"));
    grid->addWidget(run, 4, 2);
    auto *back = new QPushButton(QStringLiteral("戻る"), content);
    back->setObjectName(QStringLiteral("Command2"));
    grid->addWidget(back, 4, 3);

    connect(list, &QListWidget::itemClicked, this,
            [this, list](QListWidgetItem *item) { chooseItem(list->row(item)); });
    connect(destination, &QLineEdit::textChanged, this, [this] { destinationChanged(); });
    connect(run, &QPushButton::clicked, this, [this] { execute(); });
    connect(back, &QPushButton::clicked, this, [this] { unloadForm(); });
}

void ReorderWindow::formLoad() {
    centreOnScreen();
    m_path = m_ctx.state.currentFile;
    m_fileUsable = false;
    if (!QFileInfo::exists(m_path)) {
        m_ctx.platform.messages.show(QStringLiteral("指定ファイルがありません。"));
        return;
    }
    if (readFile())
        text("txt4")->setText(QString::number(control<QListWidget>("lstName")->count()));
}

bool ReorderWindow::readFile() {
    auto *list = control<QListWidget>("lstName");
    list->clear();
    BookRead read = ReadBookFile(m_path);
    if (!read.ok()) {
        // A partial read must never be written back: nothing can be moved.
        m_fileUsable = false;
        m_ctx.platform.messages.show(
            QStringLiteral("ファイル「%1」を正しく読み込めないため、順序を入れ替えられません。")
                .arg(m_path));
        return false;
    }
    m_book = std::move(read.book);
    for (int n = 1; n <= m_book.recordCount(); ++n)
        list->addItem(
            QStringLiteral("%1  %2").arg(n).arg(m_book.record(n).field(AddressRecord::Name)));
    m_fileUsable = true;
    return true;
}

void ReorderWindow::chooseItem(int index) {
    text("txt3")->setText(QString::number(index + 1));
    control<QLabel>("lblName")->setText(control<QListWidget>("lstName")->item(index)->text());
    text("txt2")->show();
    text("txt2")->setFocus();
}

void ReorderWindow::refuse(const QString &message) {
    m_ctx.platform.messages.show(message);
    text("txt2")->clear();
}

void ReorderWindow::destinationChanged() {
    const QString destination = text("txt2")->text();
    if (destination.isEmpty())
        return;
    if (destination == text("txt3")->text())
        refuse(QStringLiteral("移動元と移動先が同じです！"));
    else if (leadingNumber(text("txt4")->text()) < leadingNumber(destination))
        refuse(WrongDestination);
}

void ReorderWindow::execute() {
    const QString destination = text("txt2")->text();
    if (destination.isEmpty()) {
        m_ctx.platform.messages.show(QStringLiteral("移動先が指定されていません"));
        return;
    }
    const int source = roundHalfEven(leadingNumber(text("txt3")->text()));
    const int count = roundHalfEven(leadingNumber(text("txt4")->text()));
    // Only a whole number within the book is a place.
    static const QRegularExpression whole(QStringLiteral("^\\s*\\d+\\s*$"));
    const int target = roundHalfEven(leadingNumber(destination));
    if (!whole.match(destination).hasMatch() || target < 1 || target > count || source < 1 ||
        source > count) {
        refuse(WrongDestination);
        return;
    }
    if (!m_fileUsable)
        return;
    AddressBook moved;
    moved.records = moveRecord(m_book.records, source, target);
    const WriteResult written = WriteBookFile(m_path, moved);
    if (!written) {
        m_ctx.platform.messages.show(written.error);
        return;
    }
    readFile();
    control<QLabel>("lblName")->clear();
    text("txt2")->clear();
    text("txt2")->hide();
}

void ReorderWindow::formUnload() {
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
}

} // namespace nvl
