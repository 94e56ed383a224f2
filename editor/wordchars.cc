#include "editor/wordchars.h"

#include <cwctype>

// Letters and digits of every script, and the underscore.
bool iswordchar(wchar_t c) { return c == L'_' || std::iswalnum(static_cast<wint_t>(c)); }
