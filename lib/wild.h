// Wildcard matching of names: "*" (any run), "?" (any one character),
// bracket sets such as [a-z] or [^0-9], and brace alternatives such as
// {c,h}. Letters match without regard to case.
#pragma once

// Whether name matches pattern; a null pointer counts as an empty text.
bool wild(const char* pattern, const char* name);
bool wild(const wchar_t* pattern, const wchar_t* name);

// Whether ch belongs to the bracket set whose text runs from set (just after
// the "[") up to end (its closing "]"). Narrow bytes count as 0-255; wide
// sets hold code points below U+10000 only.
bool sqr_bracket(const char* set, const char* end, char ch);
bool sqr_bracket(const wchar_t* set, const wchar_t* end, wchar_t ch);
