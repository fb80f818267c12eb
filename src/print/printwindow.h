#pragma once

#include "formwindow.h"
#include "paperchoice.h"
#include "postcardlayout.h"
#include "printjob.h"
#include "printlist.h"
#include "printoutput.h"
#include "senderfile.h"

#include <memory>
#include <optional>

class QPageSize;
class QPrinter;
class QVBoxLayout;

namespace nvl {

struct PrintWindowUi;

// What the next print job uses, as the print window shows and the settings
// windows set it.
struct PrintSettings {
    SheetOffsets offsets; // from Nuvel.opt
    QString addressFont;
    QString postalFont;
};

// Previews the print list one postcard at a time, with the
// sender block and the print settings, and prints it.
class PrintWindow : public FormWindow {
    Q_OBJECT
public:
    explicit PrintWindow(AppContext &context);
    ~PrintWindow() override;

    const PrintList &printList() const { return m_printList; }
    const PrintSettings &settings() const { return m_settings; }
    const PaperChoice &paper() const { return m_paper; }
    // What the next load shows and prints.
    // `numbers` are the records' numbers in the book (from 1), 0 for none.
    void setPrintList(PrintList records, QList<int> numbers = {}) {
        m_printList = std::move(records);
        m_printNumbers = std::move(numbers);
    }
    int labelCount() const { return static_cast<int>(m_printList.size()); }
    int currentLabel() const { return m_currentLabel; }
    int currentSender() const { return m_currentSender; }
    const SenderTable &senderTable() const { return m_senders; }

    // What the settings windows chose; ignored while the window is unloaded.
    void setAddressFont(const QString &family);
    void setOffsets(const SheetOffsets &steps);
    void reloadSenders();

    // Reads the sender file again and shows its first entry.
    void rereadSenders();

    // The job as the window's controls describe it.
    PrintJob currentJob() const;
    // The check before a printer is chosen: a card that cannot print stops
    // the job (the user is told which); cards that would print oddly are
    // listed once. False when the job stops.
    bool checkJob(const PrintJob &job);
    void runPrintJob();
    void showSheetPreview();

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenuAndToolbar(QWidget *content, QVBoxLayout *layout);
    void buildSettings(QWidget *content, QVBoxLayout *layout);
    void buildPaperChoice(QWidget *content, QVBoxLayout *layout);
    void buildPreview(QWidget *content, QVBoxLayout *layout);
    void buildCommands(QWidget *content, QVBoxLayout *layout);
    void connectCommands();

    void reloadOffsets();
    bool fourUp() const;
    void showCurrentLabel();
    void nextLabel();
    void previousLabel();
    void showLabelPosition();
    void showSenderPosition();
    void setPostalFont(const QString &font);
    void openWindow(WindowId id);

    // The paper: A4 sheets or postcards, as chosen and kept.
    QString paperSettingsPath() const;
    void showPaperChoice();
    void enablePaperControls();
    void paperChanged();
    // After the printer is chosen: the printer's margins, the sheet count,
    // fonts no longer installed. False when the user stops.
    bool confirmPrinting(QPrinter &printer, PrintJob &job);
    // True when the job went to the printer whole.
    bool printOn(QPrinter &printer, const PrintJob &job);
    // Offers to mark the cards printed as sent, and saves the marks.
    void offerToMarkSent();
    void printAlignmentPage();
    void backToMain();
    void exitProgram();

    QString senderPath() const;

    std::unique_ptr<PrintWindowUi> m_ui;
    PaperChoice m_paper;
    bool m_showingPaper = false;
    PrintList m_printList;
    QList<int> m_printNumbers;
    PrintSettings m_settings;
    int m_currentLabel = 0;
    SenderTable m_senders;
    int m_currentSender = 0;
};

} // namespace nvl
