#include "archive/archive.h"

// Not written yet: recognises nothing.
int Archive::ReadLzh() { return -1; }
