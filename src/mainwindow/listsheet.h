#pragma once

#include "bookfile.h"
#include "formwindow.h"

class QTableWidget;

namespace nvl {

// The grid's layout of one variant: "^No |<宛名  |…", a leading ^ centres a
// column, < aligns it left, and each header with its trailing half- and
// full-width blanks sets its column's initial width.
struct GridColumn {
    QString header; // with its trailing blanks
    Qt::Alignment alignment;
};
QList<GridColumn> parseGridFormat(const QString &format);

// The honorific column: field 6 compared as a number with 0..5 gives the
// word; any other value is shown as stored.
QString listHonorific(const QString &field);

// frmVew: the whole book as a grid, one row a record.
class ListSheet : public FormWindow {
    Q_OBJECT
public:
    explicit ListSheet(AppContext &context);

    enum class Variant { Full, Short };
    static const QString FullFormat;
    static const QString ShortFormat;

    // Single cell index of a record row (from 0, below the header) and column.
    int faIndex(int row, int column) const;

    // Fills the grid from the book; false when it could not be filled.
    bool fill(const AddressBook &book, Variant variant);

signals:
    // The user asked to edit card `number` (from 1).
    void cardChosen(int number);

protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;
    void formUnload() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setCell(int index, const QString &text, Qt::Alignment alignment);
    void chooseRow(int row);
    void openCard(int row);
    void placeGrid();
    QTableWidget *grid() const;

    // Header drag: the column picked up, or -1.
    int m_dragColumn = -1;
};

} // namespace nvl
