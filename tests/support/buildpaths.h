#pragma once

#include <QString>

namespace nvl::test {

// The built program the process tests run (NVL_PROGRAM_UNDER_TEST runs them
// against another build), and the postal data it was built from. Kept out
// of the tests' own compile flags, so that they share the precompiled Qt.
QString builtProgram();
QString postalDataFile();
// The program's source folder, for checks over every message it can show.
QString programSources();

} // namespace nvl::test
