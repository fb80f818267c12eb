// The card editor on a full book: opening it from the main window, and each
// ＞ through the 300 cards, in the program wired as main() wires it.
// Prints the median and the slowest time of each.
#include "wiredprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <cstdio>

namespace {

void report(const char *what, QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-32s median %7.2f ms, slowest %7.2f ms (%lld times)\n", what,
                ms.at(ms.size() / 2), ms.last(), static_cast<long long>(ms.size()));
}

} // namespace

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
    return 0;
}
