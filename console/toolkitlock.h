// The program-wide toolkit lock: a recursive mutex held around every toolkit
// call and every paint. The desktop window installs gdkLock/gdkUnlock as the
// toolkit's own lock functions, so its main loop takes the same lock.
#pragma once

#include "lib/mutexsem.h"

extern MutexSem GdkMutex;
void gdkLock();
void gdkUnlock();

// Holds the toolkit lock for one scope.
class CToolkitLock {
public:
    CToolkitLock() { gdkLock(); }
    ~CToolkitLock() { gdkUnlock(); }
    CToolkitLock(const CToolkitLock&) = delete;
    CToolkitLock& operator=(const CToolkitLock&) = delete;
};
