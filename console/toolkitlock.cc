#include "console/toolkitlock.h"

MutexSem GdkMutex("GdkMutex");

void gdkLock() { GdkMutex.Request(-1); }

void gdkUnlock() { GdkMutex.Release(); }
