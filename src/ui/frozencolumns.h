#pragma once

#include <QTableView>

namespace nvl {

// The first columns of a table kept in view while it scrolls across: a view
// of the same model laid over the table's left edge, showing only those
// columns, in step with the table's rows, widths, order and selection.
class FrozenColumns : public QTableView {
    Q_OBJECT
public:
    FrozenColumns(QTableView *table, int count);
    // After the table's columns were set up or moved.
    void follow();
    // The table's column (visual index) under a point on either header, or -1.
    int headerColumnAt(const QPoint &globalPos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    static constexpr int Edge = 2;
    QTableView *m_table;
    QObject *m_tableViewport = nullptr;
    int m_count;
};

} // namespace nvl
