// File masks and filter expressions: wildcard masks on the file name and
// tests of an entry's size, date, age, attributes, owner, group and
// permissions, combined with "|" (or), "&" (and, binding tighter), "!"
// (not) and parentheses, for example "*.c|*.h" or "*.txt&%size>1k".
#pragma once

#include <cstdint>

#include "lib/westring.h"
#include "panels/entry.h"

// 1 when the entry matches the expression, 0 when it does not, -1 when the
// expression has a syntax error.
int mask_eval(const wchar_t* expression, const entry& e);
inline int mask_eval(const Westring& expression, const entry& e) { return mask_eval(expression.c_str(), e); }
// The same for a bare name (every other field of the entry zero). An
// expression's syntax is checked by evaluating it against "test". An
// expression of masks alone is evaluated without making an entry.
int mask_eval(const wchar_t* expression, const wchar_t* name);
// Whether a valid expression tests nothing but the name (no "%" test), so
// that evaluating it on the bare name gives the result for any entry of
// that name.
bool mask_tests_name_only(const wchar_t* expression);
inline int mask_eval(const Westring& expression, const Westring& name) {
    return mask_eval(expression.c_str(), name.c_str());
}

// A date in the locale's field order and separator ("03/15/24" in the C
// locale) as seconds since 1970 at 00:00 local time that day. Missing fields
// are read as 0 or repeat the last one; two-digit years above 70 are
// 19xx, the others 20xx.
int64_t str2unixtime(const wchar_t* text);
