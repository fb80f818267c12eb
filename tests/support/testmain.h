#pragma once

#include <QtTest>

namespace nvl::test {

// Runs the test object's functions, less those named in NVL_TEST_EXCEPT
// (comma-separated): a function that may skip has a CTest entry of its own,
// so that a skip shows as one. Names on the command line are run as given.
int runTests(QObject &test, int argc, char **argv);

// Gives this process a settings folder of its own (XDG_CONFIG_HOME), before
// anything reads one: Qt's file dialog remembers the folders of earlier
// runs there, long deleted, and would start in them.
void isolateUserSettings();

// True on CI (CI=true), which has root, strace, CUPS and the rest: there a
// missing piece is a fault to report, not a case to skip.
bool everythingIsThere();

} // namespace nvl::test

// QSKIP on a developer's machine, QFAIL on CI.
#define NVL_SKIP_UNLESS_CI(reason)                                                                 \
    do {                                                                                           \
        if (nvl::test::everythingIsThere())                                                        \
            QFAIL(qPrintable(QString(reason) + QStringLiteral(" (CI must have it)")));             \
        QSKIP(qPrintable(QString(reason)));                                                        \
    } while (false)

// QTEST_MAIN for a widget test, honouring NVL_TEST_EXCEPT.
#define NVL_TEST_MAIN(TestObject)                                                                  \
    int main(int argc, char *argv[]) {                                                             \
        nvl::test::isolateUserSettings();                                                          \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return nvl::test::runTests(test, argc, argv);                                              \
    }
