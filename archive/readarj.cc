#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::ReadArj() { return -1; }
