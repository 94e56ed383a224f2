#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::ReadHA() { return -1; }
