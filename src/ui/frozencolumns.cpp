#include "frozencolumns.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>

namespace nvl {

FrozenColumns::FrozenColumns(QTableView *table, int count)
    : QTableView(table), m_table(table), m_count(count) {
    setObjectName(table->objectName() + QStringLiteral("Frozen"));
    setModel(table->model());
    setSelectionModel(table->selectionModel());
    setSelectionMode(table->selectionMode());
    setEditTriggers(table->editTriggers());
    setFocusPolicy(Qt::NoFocus);
    // A line at its right edge, where the table's columns pass under it.
    setStyleSheet(
        QStringLiteral("QTableView { border: none; border-right: %1px solid palette(dark); }")
            .arg(Edge));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    // Rows in step both ways: the wheel may turn over either.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, m_table->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_table->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
            &QScrollBar::setValue);
    QHeaderView *header = m_table->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &FrozenColumns::follow);
    connect(header, &QHeaderView::sectionMoved, this, &FrozenColumns::follow);
    connect(header, &QHeaderView::geometriesChanged, this, &FrozenColumns::place);
    connect(model(), &QAbstractItemModel::modelReset, this, &FrozenColumns::follow);
    m_tableViewport = m_table->viewport();
    m_tableViewport->installEventFilter(this);
    follow();
}

void FrozenColumns::follow() {
    QHeaderView *theirs = m_table->horizontalHeader();
    QHeaderView *ours = horizontalHeader();
    for (int visual = 0; visual < theirs->count(); ++visual) {
        const int column = theirs->logicalIndex(visual);
        ours->moveSection(ours->visualIndex(column), visual);
        setColumnHidden(column, visual >= m_count);
        setColumnWidth(column, m_table->columnWidth(column));
    }
    verticalHeader()->setMinimumSectionSize(m_table->verticalHeader()->minimumSectionSize());
    verticalHeader()->setDefaultSectionSize(m_table->verticalHeader()->defaultSectionSize());
    ours->setFixedHeight(theirs->height());
    place();
}

void FrozenColumns::place() {
    int width = 0;
    for (int visual = 0; visual < std::min(m_count, m_table->horizontalHeader()->count()); ++visual)
        width += m_table->columnWidth(m_table->horizontalHeader()->logicalIndex(visual));
    const int frame = m_table->frameWidth();
    const int left =
        frame + (m_table->verticalHeader()->isVisible() ? m_table->verticalHeader()->width() : 0);
    setGeometry(left, frame, width + Edge,
                m_table->viewport()->height() + m_table->horizontalHeader()->height());
    horizontalHeader()->setFixedHeight(m_table->horizontalHeader()->height());
    verticalScrollBar()->setValue(m_table->verticalScrollBar()->value());
    raise();
}

int FrozenColumns::headerColumnAt(const QPoint &globalPos) const {
    // Ours first: it lies over the table's header.
    for (const QHeaderView *header : {horizontalHeader(), m_table->horizontalHeader()}) {
        const QPoint pos = header->viewport()->mapFromGlobal(globalPos);
        if (header->isVisible() && header->viewport()->rect().contains(pos))
            return header->visualIndexAt(pos.x());
    }
    return -1;
}

bool FrozenColumns::eventFilter(QObject *watched, QEvent *event) {
    // The table's viewport is remembered, not asked for: it also sends
    // events while the table is being taken apart.
    if (event->type() == QEvent::Resize && watched == m_tableViewport)
        place();
    return QTableView::eventFilter(watched, event);
}

} // namespace nvl
