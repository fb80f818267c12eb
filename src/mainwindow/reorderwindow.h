#pragma once

#include "booklistmodel.h"
#include "formwindow.h"

class QLabel;
class QLineEdit;
class QListView;

namespace nvl {

// Moves one record of the current data file to another place.
class ReorderWindow : public FormWindow {
    Q_OBJECT
public:
    explicit ReorderWindow(AppContext &context);

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;
    void beforeUnload() override;

private:
    void showRecords();
    void chooseItem(int index);
    void destinationChanged();
    void execute();
    void refuse(const QString &message);

    // Locked while the window is open, so no editor writes under it.
    BookDocument &m_document;
    bool m_fileUsable = false;
    // The record chosen to move (from 1), 0 before a choice.
    int m_source = 0;
    // The book's records, numbered, while the file is usable.
    BookListModel m_records;

    QListView *m_list = nullptr;
    QLabel *m_chosenName = nullptr;
    QLineEdit *m_destination = nullptr;
    QLineEdit *m_sourceBox = nullptr;
    QLineEdit *m_countBox = nullptr;
};

} // namespace nvl
