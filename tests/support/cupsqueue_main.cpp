// Runs a private CUPS queue for tests written in other languages: prints
// "CUPS_SERVER=…" and "JOB=…", then serves until standard input closes.
#include "privatecups.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    nvl::test::PrivateCups cups;
    QString whyNot;
    if (!cups.start(&whyNot)) {
        std::printf("SKIP=%s\n", qPrintable(whyNot));
        return 0;
    }
    std::printf("CUPS_SERVER=%s\nJOB=%s\n", qgetenv("CUPS_SERVER").constData(),
                qPrintable(cups.jobFile()));
    std::fflush(stdout);
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    input.readAll();
    return 0;
}
