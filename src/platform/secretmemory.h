#pragma once

#include <QString>

namespace nvl {

// While one lives, the process leaves no core dump: a password is in its
// memory. Nested guards restore the setting when the last one ends.
class NoCoreDumps {
public:
    NoCoreDumps();
    ~NoCoreDumps();
    NoCoreDumps(const NoCoreDumps &) = delete;
    NoCoreDumps &operator=(const NoCoreDumps &) = delete;
};

// Overwrites a secret's characters where it is the text's only holder,
// then empties it.
void wipeSecret(QString &secret);

} // namespace nvl
