#include "listsheet.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

namespace nvl {

const QString ListSheet::FullFormat =
    QStringLiteral("^No |<宛名                  |<敬称 |<〒    　　　|<住所１　　　                "
                   "    　　　   　　　|"
                   "<住所２  　　              |<住所３　　　　　　　　|<コード　　　　　　　　　");
const QString ListSheet::ShortFormat =
    QStringLiteral("^No |<宛名                  |<敬称  |<〒   　　　|<住所１　　　                "
                   "    　　　   　　　|"
                   "<住所２  　　 |<コード　　　　　　　　　");

namespace {

constexpr int RowHeightTwips = 250;

// Record fields shown in columns 1.. of each variant (0 = honorific word).
const QList<int> FullFields = {AddressRecord::Name,       0,
                               AddressRecord::PostalCode, AddressRecord::Address1,
                               AddressRecord::Address2,   AddressRecord::Address3,
                               AddressRecord::Code};
const QList<int> ShortFields = {AddressRecord::Name,       0,
                                AddressRecord::PostalCode, AddressRecord::Address1,
                                AddressRecord::Address2,   AddressRecord::Code};

} // namespace

QList<GridColumn> parseGridFormat(const QString &format) {
    QList<GridColumn> columns;
    for (QString part : format.split(u'|')) {
        Qt::Alignment alignment = Qt::AlignLeft;
        if (part.startsWith(u'^')) {
            alignment = Qt::AlignHCenter;
            part.remove(0, 1);
        } else if (part.startsWith(u'<')) {
            part.remove(0, 1);
        } else if (part.startsWith(u'>')) {
            alignment = Qt::AlignRight;
            part.remove(0, 1);
        }
        columns.append({part, alignment | Qt::AlignVCenter});
    }
    return columns;
}

QString listHonorific(const QString &field) {
    const double value = leadingNumber(field);
    for (int index = 0; index < honorificWords().size(); ++index) {
        if (value == index)
            return honorificWords().at(index);
    }
    return field;
}

ListSheet::ListSheet(AppContext &context) : FormWindow(context, WindowId::ListSheet) {
    setObjectName(QStringLiteral("frmVew"));
    setWindowTitle(QStringLiteral("住所一覧"));
    resize(900, 520);
}

QTableWidget *ListSheet::grid() const {
    return control<QTableWidget>("fg1");
}

void ListSheet::buildForm(QWidget *content) {
    auto *table = new QTableWidget(content);
    table->setObjectName(QStringLiteral("fg1"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->horizontalHeader()->setSectionsMovable(false);
    table->horizontalHeader()->setSectionsClickable(false);
    table->horizontalHeader()->viewport()->installEventFilter(this);

    auto *help = addPictureButton(content, "cmdHelp", QStringLiteral("ヘルプ"), "help-contents",
                                  QStyle::SP_MessageBoxQuestion);
    help->move(14, 8);
    addHiddenTextBoxes(content, {"Text1"});

    connect(table, &QTableWidget::cellClicked, this, [this](int row) { chooseRow(row); });
    connect(table, &QTableWidget::cellDoubleClicked, this, [this](int row) { openCard(row); });
    connect(help, &QToolButton::clicked, this, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 12);
    });
}

int ListSheet::faIndex(int row, int column) const {
    return (row + 1) * grid()->columnCount() + column;
}

void ListSheet::setCell(int index, const QString &text, Qt::Alignment alignment) {
    const int columns = grid()->columnCount();
    // Grid row 0 is the header; record rows start at table row 0.
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    if (index % columns == 0)
        item->setBackground(palette().button());
    grid()->setItem(index / columns - 1, index % columns, item);
}

bool ListSheet::fill(const AddressBook &book, Variant variant) {
    loadForm();
    QTableWidget *table = grid();
    const QList<GridColumn> columns =
        parseGridFormat(variant == Variant::Full ? FullFormat : ShortFormat);
    const QList<int> &fields = variant == Variant::Full ? FullFields : ShortFields;
    if (columns.size() != fields.size() + 1)
        return false;
    table->clear();
    table->setColumnCount(static_cast<int>(columns.size()));
    table->setRowCount(book.recordCount());
    const QFontMetrics metrics(table->font());
    for (int c = 0; c < columns.size(); ++c) {
        auto *header = new QTableWidgetItem(columns.at(c).header);
        header->setTextAlignment(columns.at(c).alignment);
        table->setHorizontalHeaderItem(c, header);
        table->setColumnWidth(c, metrics.horizontalAdvance(columns.at(c).header) + 8);
    }
    // Column by column, as the cells are addressed by their single index.
    for (int c = 0; c < columns.size(); ++c) {
        for (int r = 1; r <= book.recordCount(); ++r) {
            QString value;
            if (c == 0)
                value = QString::number(r);
            else if (fields.at(c - 1) == 0)
                value = listHonorific(book.record(r).field(AddressRecord::Honorific));
            else
                value = book.record(r).field(fields.at(c - 1));
            setCell(faIndex(r - 1, c), value, columns.at(c).alignment);
        }
    }
    const int rowHeight = (RowHeightTwips + TwipsPerPixel / 2) / TwipsPerPixel;
    table->verticalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->horizontalHeader()->setFixedHeight(rowHeight + 2);
    setWindowTitle(QStringLiteral("住所一覧"));
    return true;
}

void ListSheet::chooseRow(int row) {
    QTableWidget *table = grid();
    table->setCurrentCell(row, 0);
    const QTableWidgetItem *number = table->item(row, 0);
    control<QLineEdit>("Text1")->setText(number ? number->text() : QString());
}

void ListSheet::openCard(int row) {
    chooseRow(row);
    const QTableWidgetItem *number = grid()->item(row, 0);
    emit cardChosen(number ? roundHalfEven(leadingNumber(number->text())) : 1);
}

void ListSheet::formLoad() {
    centreOnScreen();
    placeGrid();
}

void ListSheet::formUnload() {
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
}

void ListSheet::placeGrid() {
    if (QTableWidget *table = grid()) {
        // 210, 600 twips from the corner; 600 narrower than the window's
        // inside and 1000 lower than its outside.
        table->setGeometry(210 / TwipsPerPixel, 600 / TwipsPerPixel, width() - 600 / TwipsPerPixel,
                           frameGeometry().height() - 1000 / TwipsPerPixel);
    }
}

void ListSheet::resizeEvent(QResizeEvent *event) {
    FormWindow::resizeEvent(event);
    placeGrid();
}

bool ListSheet::eventFilter(QObject *watched, QEvent *event) {
    QTableWidget *table = grid();
    if (!table || watched != table->horizontalHeader()->viewport())
        return FormWindow::eventFilter(watched, event);
    QHeaderView *header = table->horizontalHeader();
    if (event->type() == QEvent::MouseButtonPress) {
        const int column = header->visualIndexAt(static_cast<QMouseEvent *>(event)->pos().x());
        m_dragColumn = column > 0 ? column : -1;
        if (m_dragColumn > 0)
            header->viewport()->setCursor(Qt::SizeHorCursor);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        header->viewport()->unsetCursor();
        const int column = header->visualIndexAt(static_cast<QMouseEvent *>(event)->pos().x());
        // Column 0 holds the record numbers: never moved, nothing moved onto it.
        if (m_dragColumn > 0 && column > 0) {
            table->setUpdatesEnabled(false);
            header->moveSection(m_dragColumn, column);
            table->setUpdatesEnabled(true);
        }
        m_dragColumn = -1;
        return true;
    }
    return FormWindow::eventFilter(watched, event);
}

} // namespace nvl
