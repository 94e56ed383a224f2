// The desktop's key symbols and modifier-state bits the console understands,
// as plain numbers (the X11 values the toolkit reports), so that code and
// tests outside the toolkit can speak of keys. Printable ASCII keys are their
// own character codes ('a', '1', '[', ' ').
#pragma once

namespace keysym {

constexpr unsigned BackSpace = 0xFF08, Tab = 0xFF09, Return = 0xFF0D, Escape = 0xFF1B, Delete = 0xFFFF;
constexpr unsigned Home = 0xFF50, Left = 0xFF51, Up = 0xFF52, Right = 0xFF53, Down = 0xFF54;
constexpr unsigned Page_Up = 0xFF55, Page_Down = 0xFF56, End = 0xFF57, Insert = 0xFF63, Break = 0xFF6B;
constexpr unsigned ISO_Left_Tab = 0xFE20;

constexpr unsigned F1 = 0xFFBE, F2 = 0xFFBF, F3 = 0xFFC0, F4 = 0xFFC1, F5 = 0xFFC2, F6 = 0xFFC3;
constexpr unsigned F7 = 0xFFC4, F8 = 0xFFC5, F9 = 0xFFC6, F10 = 0xFFC7, F11 = 0xFFC8, F12 = 0xFFC9;

constexpr unsigned KP_Enter = 0xFF8D, KP_Home = 0xFF95, KP_Left = 0xFF96, KP_Up = 0xFF97, KP_Right = 0xFF98;
constexpr unsigned KP_Down = 0xFF99, KP_Page_Up = 0xFF9A, KP_Page_Down = 0xFF9B, KP_End = 0xFF9C;
constexpr unsigned KP_Begin = 0xFF9D, KP_Insert = 0xFF9E, KP_Delete = 0xFF9F;
constexpr unsigned KP_Multiply = 0xFFAA, KP_Add = 0xFFAB, KP_Subtract = 0xFFAD, KP_Decimal = 0xFFAE;
constexpr unsigned KP_0 = 0xFFB0;  // KP_0 + d is the keypad digit d

constexpr unsigned Shift_L = 0xFFE1, Shift_R = 0xFFE2, Control_L = 0xFFE3, Control_R = 0xFFE4;
constexpr unsigned Alt_L = 0xFFE9, Alt_R = 0xFFEA;
// What the Alt keys give with Shift held in the usual layouts.
constexpr unsigned Meta_L = 0xFFE7, Meta_R = 0xFFE8;
constexpr unsigned Scroll_Lock = 0xFF14;

}  // namespace keysym

// Bits of the toolkit's modifier state that the console looks at.
namespace keystate {

constexpr unsigned Shift = 0x1, Control = 0x4, Alt = 0x8, Mod2 = 0x10;
constexpr unsigned Button1 = 0x100, Button3 = 0x400;  // buttons held during a motion

}  // namespace keystate
