// Shell quoting of file names. A quoted name is one word that sh reads back
// as exactly the name, whatever characters it holds.
#pragma once

#include "lib/westring.h"

// The name as one shell word:
//  - bare when every character is safe (letters, digits, - _ . / + , : @ %
//    and any character beyond ASCII, including the raw bytes of names that
//    are not valid UTF-8);
//  - with a backslash before each of blank ! $ ~ ` [ ] { } ( ) \ ' " < > & |
//    ; # * ? = ^ when those are its only unsafe characters;
//  - in single quotes as a whole, each ' written '\'', when it holds a
//    control character (newline, tab, ...): a backslash cannot keep a
//    newline, which it turns into a line continuation.
// The empty text stays empty.
Westring QuoteName(const Westring& name);
// The name quoted as an argument of a command: a relative name starting with
// '-' gets "./" in front, so the command cannot take it for an option.
Westring QuoteArgumentName(const Westring& name);
// The text with every backslash dropped and the character after it kept: the
// inverse of QuoteName for the names it escapes with backslashes.
Westring DequoteName(const Westring& text);
// The text of one shell word with its quoting removed: backslashes outside
// quotes, '...' and "..." (in which a backslash escapes only $ ` " and \).
// An unclosed quote runs to the end of the text. The inverse of QuoteName
// for every name.
Westring DequoteWord(const Westring& text);
// Whether QuoteName must quote a name holding ch.
bool IsShellSpecial(wchar_t ch);
