// Fields of comma-separated lines, with double-quote and backslash escapes.
#pragma once

#include "lib/estring.h"

// The field at pos; pos moves past it and past one following comma.
Estring ParseCSVField(const char*& pos);
// The first field of text; text becomes what follows it.
Estring ParseCSVField(Estring& text);
