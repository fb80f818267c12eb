#include "buildpaths.h"

namespace nvl::test {

QString builtProgram() {
    return qEnvironmentVariable("NVL_PROGRAM_UNDER_TEST", QStringLiteral(NVL_PROGRAM));
}

QString postalDataFile() {
    return QStringLiteral(NVL_POSTAL_DATA);
}

QString programSources() {
    return QStringLiteral(NVL_SOURCES);
}

} // namespace nvl::test
