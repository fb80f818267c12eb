#pragma once

#include "bookdocument.h"
#include "formwindow.h"

#include <QAbstractTableModel>
#include <QBrush>

class QTableView;

namespace nvl {

class FrozenColumns;

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

// A view of the one book as a table: the record number, then one column a
// field. It follows the book's changes; it keeps no copy of it.
class BookTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Record fields shown in columns 1.. (0 = the honorific as a word, and
    // from the companion the 連名, the reading and the tags).
    static constexpr int JointNamesColumn = -1;
    static constexpr int ReadingColumn = -2;
    static constexpr int TagsColumn = -3;
    // The marks of the year set by setCardYear: -10 - the YearMark's bit.
    static constexpr int MarkColumn = -10;
    void setCardYear(int year) { m_year = year; }
    void setBook(const BookDocument *book, const QList<GridColumn> &columns,
                 const QList<int> &fields);
    void setNumberBackground(const QBrush &brush) { m_numberBackground = brush; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void follow(const BookDocument *book);
    void numbersChanged();

    const BookDocument *m_book = nullptr;
    QList<QMetaObject::Connection> m_following;
    QList<GridColumn> m_columns;
    QList<int> m_fields;
    QBrush m_numberBackground;
    int m_year = 0;
};

// The whole book as a grid, one row a record.
class ListSheet : public FormWindow {
    Q_OBJECT
public:
    explicit ListSheet(AppContext &context);

    enum class Variant { Full, Short };
    static const QString FullFormat;
    static const QString ShortFormat;

    // Shows the one book in the grid; false when it could not be laid out.
    bool fill(Variant variant);
    // Fills the grid and shows it under that title.
    void showBook(Variant variant, const QString &title);
    // The record number of the row last clicked, 0 before any.
    int chosenNumber() const { return m_chosenNumber; }

signals:
    // The user asked to edit card `number` (from 1).
    void cardChosen(int number);

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;
    void beforeUnload() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void chooseRow(int row);
    void openCard(int row);
    void placeGrid();

    BookTableModel m_model;
    QTableView *m_grid = nullptr;
    // The number and the name stay at the left while the grid scrolls across.
    FrozenColumns *m_frozen = nullptr;
    int m_chosenNumber = 0;

    // Header drag: the column picked up, or -1.
    int m_dragColumn = -1;
};

} // namespace nvl
