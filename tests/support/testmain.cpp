#include "testmain.h"

#include <QFile>
#include <QTemporaryDir>

#include <QMetaMethod>
#include <QSet>

namespace nvl::test {

namespace {

bool isTestFunction(const QMetaMethod &method) {
    static const QSet<QByteArray> fixtures{"initTestCase", "initTestCase_data", "cleanupTestCase",
                                           "init", "cleanup"};
    return method.methodType() == QMetaMethod::Slot && method.access() == QMetaMethod::Private &&
           method.parameterCount() == 0 && !method.name().endsWith("_data") &&
           !fixtures.contains(method.name());
}

} // namespace

void isolateUserSettings() {
    static QTemporaryDir folder;
    if (folder.isValid())
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
}

int runTests(QObject &test, int argc, char **argv) {
    const QStringList except =
        qEnvironmentVariable("NVL_TEST_EXCEPT").split(u',', Qt::SkipEmptyParts);
    if (except.isEmpty() || argc > 1)
        return QTest::qExec(&test, argc, argv);
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    QStringList unknown = except;
    const QMetaObject *meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (!isTestFunction(method))
            continue;
        const QString name = QString::fromLatin1(method.name());
        if (unknown.removeAll(name) == 0)
            arguments.append(name);
    }
    // A misspelt name would quietly run a function twice, or never.
    if (!unknown.isEmpty() || arguments.size() == 1) {
        qCritical("NVL_TEST_EXCEPT names no test function of %s: %s", meta->className(),
                  qPrintable(unknown.join(u',')));
        return 1;
    }
    return QTest::qExec(&test, arguments);
}

bool everythingIsThere() {
    return qEnvironmentVariable("CI") == QLatin1String("true");
}

} // namespace nvl::test
