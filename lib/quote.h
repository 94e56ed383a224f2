// Shell quoting of file names: a backslash before every character the shell
// would otherwise take as special.
#pragma once

#include "lib/westring.h"

// The name with a backslash before each blank and each of ! $ ~ ` [ ] { } ( )
// \ ' " < > & | ; #.
Westring QuoteName(const Westring& name);
// The text with every backslash dropped and the character after it kept.
Westring DequoteName(const Westring& text);
// Whether QuoteName escapes ch.
bool IsShellSpecial(wchar_t ch);
