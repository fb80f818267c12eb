// Memory across window hand-overs: 50 round trips main window → card editor
// → main window and 50 main window → print window → main window, in the
// program wired as main() wires it but for the open dialog, which is
// answered with the book. Prints the resident size after the
// warm-up trips and after the last one; the growth between them should be
// flat (well under 1 MB).
#include "residentsize.h"
#include "wiredprogram.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <malloc.h>

namespace {

// Bytes the program holds on the heap.
long heapKb() {
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

void click(nvl::FormWindow *window, const char *name) {
    if (auto *button = window ? window->findChild<QAbstractButton *>(QLatin1String(name)) : nullptr)
        button->click();
}

// Steps run one at a time from the event loop, as a user's clicks arrive,
// so that what a step leaves for deletion is deleted before the next.
class Steps {
public:
    void add(std::function<void()> step) { m_steps.append(std::move(step)); }
    void run() {
        if (m_next == m_steps.size()) {
            QCoreApplication::quit();
            return;
        }
        m_steps.at(m_next++)();
        QTimer::singleShot(0, [this] { run(); });
    }

private:
    QList<std::function<void()>> m_steps;
    qsizetype m_next = 0;
};

void report(const char *trip, const char *what, const QList<long> &sizes) {
    const int warm = 5;
    std::printf("%-24s %-11s after %2d trips %6ld kB, after %2lld trips %6ld kB: %+ld kB (%+.1f "
                "kB a trip)\n",
                trip, what, warm, sizes.at(warm - 1), static_cast<long long>(sizes.size()),
                sizes.last(), sizes.last() - sizes.at(warm - 1),
                double(sizes.last() - sizes.at(warm - 1)) / double(sizes.size() - warm));
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nvl::prepareApplication(app);
    WiredProgram program;
    const auto window = [&program](nvl::WindowId id) {
        return program.window(id);
    };
    window(nvl::WindowId::Main)->showForm();
    click(window(nvl::WindowId::Main), "cmdOpen");
    QCoreApplication::processEvents();

    constexpr int Trips = 50;
    QList<long> editorTrips, printTrips, editorHeap, printHeap;
    Steps steps;
    const auto measure = [](QList<long> *resident, QList<long> *heap) {
        malloc_trim(0);
        resident->append(residentKb());
        heap->append(heapKb());
    };
    for (int i = 0; i < Trips; ++i) {
        steps.add([&] { click(window(nvl::WindowId::Main), "cmdCard"); });
        steps.add([&] { click(window(nvl::WindowId::CardEditor), "Command1"); });
        steps.add([&] { measure(&editorTrips, &editorHeap); });
    }
    for (int i = 0; i < Trips; ++i) {
        steps.add([&] {
            if (auto *list =
                    window(nvl::WindowId::Main)->findChild<QListView *>(QStringLiteral("lstSet1")))
                list->selectAll();
            click(window(nvl::WindowId::Main), "cmdAdd");
            click(window(nvl::WindowId::Main), "cmdPrint");
        });
        steps.add([&] { click(window(nvl::WindowId::Print), "cmdCancel"); });
        steps.add([&] { click(window(nvl::WindowId::Main), "cmdClear"); });
        steps.add([&] { measure(&printTrips, &printHeap); });
    }
    bool backHome = false;
    steps.add([&] {
        const nvl::FormWindow *main = window(nvl::WindowId::Main);
        backHome = main && main->isVisible() && printTrips.size() == Trips;
    });
    QTimer::singleShot(0, [&steps] { steps.run(); });
    QApplication::exec();
    if (!backHome) {
        std::fprintf(stderr, "the hand-overs did not come back to the main window\n");
        return 1;
    }
    report("main → editor → main", "resident", editorTrips);
    report("", "heap in use", editorHeap);
    report("main → print → main", "resident", printTrips);
    report("", "heap in use", printHeap);
    return 0;
}
