#pragma once

#include "formwindow.h"
#include "paperchoice.h"
#include "postcardlayout.h"
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
    QString sheetCount;
    QString xSteps; // print offsets in steps, from Nuvel.opt
    QString ySteps;
    QString secondRow;
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
    void setPrintList(PrintList records) { m_printList = std::move(records); }
    int labelCount() const { return static_cast<int>(m_printList.size()); }
    int currentLabel() const { return m_currentLabel; }
    int currentSender() const { return m_currentSender; }
    const SenderTable &senderTable() const { return m_senders; }

    // What the settings windows chose; ignored while the window is unloaded.
    void setAddressFont(const QString &family);
    void setOffsets(const QString &xSteps, const QString &ySteps, const QString &secondRow);
    void reloadSenders();

    // Reads the sender file again and shows its first entry.
    void rereadSenders();

    // The print job and its parts.
    // The number of sheets the print list takes, kept for the job.
    QString countSheets();
    // What the layout needs; none (the user told why) when a record cannot print.
    std::optional<LayoutInput> layoutInput();
    void runPrintJob();
    // Warns once of cards that would print oddly; false when the user stops.
    bool confirmPrintWarnings();
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
    AddressRecord currentRecord() const;
    void showRecipient();
    void showCurrentLabel();
    void redrawPostalCodeBoxes();
    void applyAddressFont();
    void showCurrentSender();
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
    QPageSize jobPageSize() const;
    // `onScreen`: the preview's own rendering, which shows the card's boxes.
    PrintOutcome renderJob(const LayoutInput &input, QPrinter *printer,
                           bool onScreen = false) const;
    void printAlignmentPage();
    void backToMain();
    void exitProgram();

    QString senderPath() const;

    std::unique_ptr<PrintWindowUi> m_ui;
    PaperChoice m_paper;
    bool m_showingPaper = false;
    PrintList m_printList;
    PrintSettings m_settings;
    int m_currentLabel = 0;
    SenderTable m_senders;
    int m_currentSender = 0;
};

} // namespace nvl
