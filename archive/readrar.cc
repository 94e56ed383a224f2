#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::ReadRar() { return -1; }
