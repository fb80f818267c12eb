#include "secretmemory.h"

#include <mutex>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace nvl {

namespace {

std::mutex guardLock;
int guards = 0;
int dumpableBefore = 1;

} // namespace

NoCoreDumps::NoCoreDumps() {
    const std::lock_guard<std::mutex> locked(guardLock);
    if (guards++ > 0)
        return;
#ifdef Q_OS_LINUX
    dumpableBefore = prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

NoCoreDumps::~NoCoreDumps() {
    const std::lock_guard<std::mutex> locked(guardLock);
    if (--guards > 0)
        return;
#ifdef Q_OS_LINUX
    if (dumpableBefore > 0)
        prctl(PR_SET_DUMPABLE, dumpableBefore, 0, 0, 0);
#endif
}

void wipeSecret(QString &secret) {
    // data() detaches a shared text first: then only this copy is cleared,
    // and the other holder wipes its own.
    QChar *characters = secret.data();
    volatile char16_t *each = reinterpret_cast<volatile char16_t *>(characters);
    for (qsizetype i = 0; i < secret.size(); ++i)
        each[i] = 0;
    secret.clear();
}

} // namespace nvl
