// Windows on a full book, in the program wired as main() wires it: opening
// the card editor and each ＞ through its 300 cards, opening the list sheet,
// and opening the print window with all 300 cards chosen. Prints the median
// and the slowest time of each.
#include "wiredprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    WiredProgram program;
    using nvl::WindowId;
    program.window(WindowId::Main)->showForm();
    program.click(WindowId::Main, "cmdOpen");
    QCoreApplication::processEvents();

    QList<double> opening, stepping;
    QElapsedTimer timer;
    for (int round = 0; round < 10; ++round) {
        timer.start();
        program.click(WindowId::Main, "cmdCard");
        QCoreApplication::processEvents();
        opening.append(double(timer.nsecsElapsed()) / 1e6);
        for (int card = 1; card < 300; ++card) {
            timer.start();
            program.click(WindowId::CardEditor, "cmdFow");
            QCoreApplication::processEvents();
            stepping.append(double(timer.nsecsElapsed()) / 1e6);
        }
        const auto *label =
            program.window(WindowId::CardEditor)->findChild<QLabel *>(QStringLiteral("lblRec"));
        if (!label || label->text() != QLatin1String("300/300")) {
            std::fprintf(stderr, "the editor did not reach card 300\n");
            return 1;
        }
        program.click(WindowId::CardEditor, "Command1");
        QCoreApplication::processEvents();
    }
    report("open the editor (300 cards)", opening);
    report("＞ to the next card", stepping);

    QList<double> sheet, print;
    for (int round = 0; round < 10; ++round) {
        timer.start();
        program.click(WindowId::Main, "cmdView");
        QCoreApplication::processEvents();
        sheet.append(double(timer.nsecsElapsed()) / 1e6);
        if (!program.window(WindowId::ListSheet)->isVisible()) {
            std::fprintf(stderr, "the list sheet did not open\n");
            return 1;
        }
        program.window(WindowId::ListSheet)->close();
        QCoreApplication::processEvents();

        if (auto *names =
                program.window(WindowId::Main)->findChild<QListView *>(QStringLiteral("lstSet1")))
            names->selectAll();
        program.click(WindowId::Main, "cmdAdd");
        timer.start();
        program.click(WindowId::Main, "cmdPrint");
        QCoreApplication::processEvents();
        print.append(double(timer.nsecsElapsed()) / 1e6);
        if (!program.window(WindowId::Print)->isVisible()) {
            std::fprintf(stderr, "the print window did not open\n");
            return 1;
        }
        program.click(WindowId::Print, "cmdCancel");
        QCoreApplication::processEvents();
        program.click(WindowId::Main, "cmdClear");
        QCoreApplication::processEvents();
    }
    report("open the list sheet", sheet);
    report("open the print window (300)", print);
    return 0;
}
