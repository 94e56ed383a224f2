#include "console/toolkitlock.h"

MutexSem GdkMutex("GdkMutex");

void gdkLock() { GdkMutex.lock(); }

void gdkUnlock() { GdkMutex.Release(); }
