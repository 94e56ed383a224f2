#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::ReadAce() { return -1; }
