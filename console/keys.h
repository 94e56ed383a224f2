// The program's key codes. A code below 0x10000 is a character or a control
// code; 0x10000 marks a PC scan code; the higher bits carry modifiers.
#pragma once

enum : int {
    KEY_EXTENDED = 0x10000,  // the low half is a scan code
    KEY_SHIFTED = 0x20000,   // Shift, for combinations with no code of their own
    KEY_CTRL_PAD = 0x40000,  // Ctrl with a keypad digit
    KEY_GREY = 0x400000,     // a grey keypad operator
    KEY_CTRL_ALT = 0x80000,

    KEY_SHIFTSTATE = 0x10100,  // a modifier went down or up
    KEY_MOUSE = 0x200000,      // getkey: a mouse event, details in the _MEVENT
    KEY_QUIT = 0x800001,       // getkey: the window is going away
    KEY_MENU = 0x100000,       // flag of the pull-down menu's command codes

    KEY_F1 = 0x1003B, KEY_F2 = 0x1003C, KEY_F3 = 0x1003D, KEY_F4 = 0x1003E, KEY_F5 = 0x1003F,
    KEY_F6 = 0x10040, KEY_F7 = 0x10041, KEY_F8 = 0x10042, KEY_F9 = 0x10043, KEY_F10 = 0x10044,
    KEY_F11 = 0x10085, KEY_F12 = 0x10086,
    KEY_SHIFT_F1 = 0x30054, KEY_SHIFT_F2 = 0x30055, KEY_SHIFT_F3 = 0x30056, KEY_SHIFT_F4 = 0x30057,
    KEY_SHIFT_F5 = 0x30058, KEY_SHIFT_F6 = 0x30059, KEY_SHIFT_F7 = 0x3005A, KEY_SHIFT_F8 = 0x3005B,
    KEY_SHIFT_F9 = 0x3005C, KEY_SHIFT_F10 = 0x3005D, KEY_SHIFT_F11 = 0x30087, KEY_SHIFT_F12 = 0x30088,
    KEY_CTRL_F1 = 0x1005E, KEY_CTRL_F2 = 0x1005F, KEY_CTRL_F3 = 0x10060, KEY_CTRL_F4 = 0x10061,
    KEY_CTRL_F5 = 0x10062, KEY_CTRL_F6 = 0x10063, KEY_CTRL_F7 = 0x10064, KEY_CTRL_F8 = 0x10065,
    KEY_CTRL_F9 = 0x10066, KEY_CTRL_F10 = 0x10067, KEY_CTRL_F11 = 0x10089, KEY_CTRL_F12 = 0x1008A,
    KEY_ALT_F1 = 0x10068, KEY_ALT_F2 = 0x10069, KEY_ALT_F3 = 0x1006A, KEY_ALT_F4 = 0x1006B,
    KEY_ALT_F5 = 0x1006C, KEY_ALT_F6 = 0x1006D, KEY_ALT_F7 = 0x1006E, KEY_ALT_F8 = 0x1006F,
    KEY_ALT_F9 = 0x10070, KEY_ALT_F10 = 0x10071, KEY_ALT_F11 = 0x1008B, KEY_ALT_F12 = 0x1008C,

    KEY_ENTER = 0x0D, KEY_CTRL_ENTER = 0x0A, KEY_ALT_ENTER = 0x1001C,
    KEY_BACKSPACE = 0x10101, KEY_CTRL_BACKSPACE = 0x7F, KEY_ALT_BACKSPACE = 0x1000E,
    KEY_TAB = 0x09, KEY_CTRL_TAB = 0x10094, KEY_SHIFT_TAB = 0x3000F,
    KEY_ESC = 0x1B,
    KEY_DEL = 0x10053, KEY_SHIFT_DEL = 0x30053, KEY_CTRL_DEL = 0x10093,
    KEY_INS = 0x10052, KEY_SHIFT_INS = 0x30052, KEY_CTRL_INS = 0x10092,
    KEY_HOME = 0x10047, KEY_SHIFT_HOME = 0x30047, KEY_CTRL_HOME = 0x10077,
    KEY_END = 0x1004F, KEY_SHIFT_END = 0x3004F, KEY_CTRL_END = 0x10075,
    KEY_PGUP = 0x10049, KEY_SHIFT_PGUP = 0x30049, KEY_CTRL_PGUP = 0x10084,
    KEY_PGDN = 0x10051, KEY_SHIFT_PGDN = 0x30051, KEY_CTRL_PGDN = 0x10076,
    KEY_LEFT = 0x1004B, KEY_SHIFT_LEFT = 0x3004B, KEY_CTRL_LEFT = 0x10073, KEY_ALT_LEFT = 0x1009B,
    KEY_RIGHT = 0x1004D, KEY_SHIFT_RIGHT = 0x3004D, KEY_CTRL_RIGHT = 0x10074, KEY_ALT_RIGHT = 0x1009D,
    KEY_UP = 0x10048, KEY_SHIFT_UP = 0x30048, KEY_CTRL_UP = 0x1008D, KEY_ALT_UP = 0x10098,
    KEY_DOWN = 0x10050, KEY_SHIFT_DOWN = 0x30050, KEY_CTRL_DOWN = 0x10091, KEY_ALT_DOWN = 0x100A0,
    KEY_GREY_PLUS = 0x40002B, KEY_GREY_MINUS = 0x40002D, KEY_GREY_STAR = 0x40002A,
};

// The key code of Ctrl with a letter a-z (as the key table gives it).
int ctrl_key(char letter);
// The key code of Alt with a letter a-z or a digit.
int alt_key(char ch);
