// The table that turns the desktop's key symbols and modifier states into
// the program's key codes (TranslateKey in console/console.h searches it).
#pragma once

// One key: its symbol, the modifier state it needs (Shift 1, Control 4,
// Alt 8 combined, or kAnyModifiers) and the key code it gives.
struct KeyTableEntry {
    unsigned keyval;
    int modifiers;
    int code;
};

constexpr int kAnyModifiers = -1;
// The modifier bits the table looks at.
constexpr unsigned kKeyTableModifierMask = 0x1 | 0x4 | 0x8;

extern const KeyTableEntry key_table[];
extern const int key_table_size;

// The code of the first entry for keyval whose modifiers are "any" or equal
// to state masked with Shift, Control and Alt; 0 when there is none.
int LookupKeyTable(unsigned keyval, unsigned state);

// The Unicode character of a key symbol, 0 when it has none. Knows Latin-1,
// the keypad and the symbols that carry a code point directly; a front end
// with a complete table may install it in keysym_unicode_hook.
wchar_t KeySymToUnicode(unsigned keyval);
extern wchar_t (*keysym_unicode_hook)(unsigned keyval);
