#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::Read7zip() { return -1; }
