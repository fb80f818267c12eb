#include "listsheet.h"
#include "frozencolumns.h"

#include "jointnames.h"
#include "recordsearch.h"
#include "yearmarks.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
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

void BookTableModel::setBook(const BookDocument *book, const QList<GridColumn> &columns,
                             const QList<int> &fields) {
    beginResetModel();
    follow(book);
    m_columns = columns;
    m_fields = fields;
    endResetModel();
}

void BookTableModel::follow(const BookDocument *book) {
    for (const QMetaObject::Connection &connection : std::as_const(m_following))
        disconnect(connection);
    m_following.clear();
    m_book = book;
    if (!book)
        return;
    // Rows go as the book's go; the numbers after a change are renumbered.
    m_following = {
        connect(book, &QAbstractItemModel::modelAboutToBeReset, this,
                [this] { beginResetModel(); }),
        connect(book, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); }),
        connect(
            book, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); }),
        connect(book, &QAbstractItemModel::rowsInserted, this,
                [this] {
                    endInsertRows();
                    numbersChanged();
                }),
        connect(
            book, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); }),
        connect(book, &QAbstractItemModel::rowsRemoved, this,
                [this] {
                    endRemoveRows();
                    numbersChanged();
                }),
        connect(book, &QAbstractItemModel::rowsAboutToBeMoved, this,
                [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                    beginMoveRows({}, first, last, {}, to);
                }),
        connect(book, &QAbstractItemModel::rowsMoved, this,
                [this] {
                    endMoveRows();
                    numbersChanged();
                }),
        connect(book, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) {
                    if (!m_columns.isEmpty())
                        emit dataChanged(index(from.row(), 0), index(to.row(), columnCount() - 1));
                }),
        connect(book, &QObject::destroyed, this, [this] { setBook(nullptr, {}, {}); }),
    };
}

void BookTableModel::numbersChanged() {
    if (rowCount() > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

int BookTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !m_book ? 0 : m_book->recordCount();
}

int BookTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant BookTableModel::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        if (column == 0)
            return QString::number(index.row() + 1);
        const AddressRecord &entry = m_book->record(index.row() + 1);
        const int field = m_fields.at(column - 1);
        if (field == JointNamesColumn)
            return jointNamesText(jointNamesOf(m_book->recordData(index.row())));
        if (field == ReadingColumn)
            return readingOf(m_book->recordData(index.row()));
        if (field == TagsColumn)
            return tagsOf(m_book->recordData(index.row())).join(QStringLiteral("; "));
        if (field <= MarkColumn)
            return hasMark(m_book->recordData(index.row()), m_year,
                           static_cast<YearMark>(MarkColumn - field))
                       ? QStringLiteral("○")
                       : QString();
        return field == 0 ? listHonorific(entry.field(AddressRecord::Honorific))
                          : entry.field(field);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns.at(column).alignment);
    case Qt::BackgroundRole:
        return column == 0 ? QVariant(m_numberBackground) : QVariant();
    default:
        return {};
    }
}

QVariant BookTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    // The blanks of the layout only widen the column; a screen reader and
    // the header show the name.
    if (role == Qt::DisplayRole)
        return m_columns.at(section).header.trimmed();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns.at(section).alignment);
    return {};
}

ListSheet::ListSheet(AppContext &context) : FormWindow(context, WindowId::ListSheet) {
    setObjectName(QStringLiteral("frmVew"));
    setWindowTitle(tr("住所一覧"));
    resize(900, 520);
}

void ListSheet::buildControls(QWidget *content) {
    m_grid = new QTableView(content);
    m_grid->setObjectName(QStringLiteral("fg1"));
    m_grid->setModel(&m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionsMovable(false);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);
    // By the pixel: the column passing under the kept ones slides, not jumps.
    m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_frozen = new FrozenColumns(m_grid, 2);
    m_frozen->setAccessibleName(tr("宛名（固定した列）"));
    m_frozen->horizontalHeader()->viewport()->installEventFilter(this);

    auto *help = addPictureButton(content, "cmdHelp", tr("ヘルプ"), "help-contents",
                                  QStyle::SP_MessageBoxQuestion);
    help->move(14, 8);

    for (QTableView *view : {m_grid, static_cast<QTableView *>(m_frozen)}) {
        connect(view, &QTableView::clicked, this,
                [this](const QModelIndex &index) { chooseRow(index.row()); });
        connect(view, &QTableView::doubleClicked, this,
                [this](const QModelIndex &index) { openCard(index.row()); });
    }
    connect(help, &QToolButton::clicked, this, [this] {
        m_ctx.platform.help.show(QStringLiteral("Nuvelk.hlp"), HelpCommand::Topic, 12);
    });
}

bool ListSheet::fill(Variant variant) {
    loadForm();
    const QList<GridColumn> columns =
        parseGridFormat(variant == Variant::Full ? FullFormat : ShortFormat);
    const QList<int> &fields = variant == Variant::Full ? FullFields : ShortFields;
    if (columns.size() != fields.size() + 1)
        return false;
    m_model.setNumberBackground(palette().button());
    // 連名, reading, tags and this card year's marks in columns of their own
    // after the sheet's own.
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    QList<GridColumn> extraColumns{{tr("連名"), left}, {tr("フリガナ"), left}, {tr("タグ"), left}};
    QList<int> extraFields{BookTableModel::JointNamesColumn, BookTableModel::ReadingColumn,
                           BookTableModel::TagsColumn};
    const int year = m_ctx.currentCardYear();
    for (const YearMark mark : AllYearMarks) {
        extraColumns.append({yearMarkColumnName(mark, year), Qt::AlignCenter});
        extraFields.append(BookTableModel::MarkColumn - int(mark));
    }
    m_model.setCardYear(year);
    m_model.setBook(&m_ctx.book, columns + extraColumns, fields + extraFields);
    m_chosenNumber = 0;
    // Columns a user dragged on the last visit stand in their places again.
    QHeaderView *header = m_grid->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        header->moveSection(header->visualIndex(c), c);
    m_grid->setCurrentIndex({});
    m_grid->scrollToTop();
    const QFontMetrics metrics(m_grid->font());
    for (int c = 0; c < columns.size(); ++c)
        m_grid->setColumnWidth(c, metrics.horizontalAdvance(columns.at(c).header) + 8);
    // Wide enough for their headers too (送付2027 was cut to 送付202).
    const QFontMetrics headerMetrics(m_grid->horizontalHeader()->font());
    for (const auto &[column, ems] : {std::pair{0, 16}, {1, 12}, {2, 10}, {3, 4}, {4, 4}, {5, 4}})
        m_grid->setColumnWidth(
            static_cast<int>(columns.size()) + column,
            std::max(metrics.horizontalAdvance(QString(ems, QChar(0x3000))),
                     headerMetrics.horizontalAdvance(extraColumns.at(column).header) + 16));
    const int rowHeight = (RowHeightTwips + TwipsPerPixel / 2) / TwipsPerPixel;
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    m_grid->horizontalHeader()->setFixedHeight(rowHeight + 2);
    m_frozen->follow();
    setWindowTitle(tr("住所一覧"));
    return true;
}

void ListSheet::showBook(Variant variant, const QString &title) {
    fill(variant);
    setWindowTitle(title);
    showForm();
}

void ListSheet::chooseRow(int row) {
    m_grid->setCurrentIndex(m_model.index(row, 0));
    m_chosenNumber = row + 1;
}

void ListSheet::openCard(int row) {
    chooseRow(row);
    emit cardChosen(m_chosenNumber);
}

void ListSheet::afterLoad() {
    centreOnScreen();
    placeGrid();
}

void ListSheet::beforeUnload() {
    if (FormWindow *main = m_ctx.windows.window(WindowId::Main))
        main->showForm();
}

void ListSheet::placeGrid() {
    if (m_grid) {
        // 210, 600 twips from the corner; 600 narrower than the window's
        // inside and 1000 lower than its outside.
        m_grid->setGeometry(210 / TwipsPerPixel, 600 / TwipsPerPixel, width() - 600 / TwipsPerPixel,
                            frameGeometry().height() - 1000 / TwipsPerPixel);
    }
}

void ListSheet::resizeEvent(QResizeEvent *event) {
    FormWindow::resizeEvent(event);
    placeGrid();
}

bool ListSheet::eventFilter(QObject *watched, QEvent *event) {
    if (!m_grid || (watched != m_grid->horizontalHeader()->viewport() &&
                    watched != m_frozen->horizontalHeader()->viewport()))
        return FormWindow::eventFilter(watched, event);
    QHeaderView *header = m_grid->horizontalHeader();
    auto *viewport = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::MouseButtonPress) {
        const int column =
            m_frozen->headerColumnAt(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        m_dragColumn = column > 0 ? column : -1;
        if (m_dragColumn > 0)
            viewport->setCursor(Qt::SizeHorCursor);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        viewport->unsetCursor();
        const int column =
            m_frozen->headerColumnAt(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        // Column 0 holds the record numbers: never moved, nothing moved onto it.
        if (m_dragColumn > 0 && column > 0) {
            m_grid->setUpdatesEnabled(false);
            header->moveSection(m_dragColumn, column);
            m_grid->setUpdatesEnabled(true);
        }
        m_dragColumn = -1;
        return true;
    }
    return FormWindow::eventFilter(watched, event);
}

} // namespace nvl
