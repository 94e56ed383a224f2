#include "console/keytable.h"

#include <gdk/gdkkeysyms.h>

#include "console/console.h"
#include "console/keysyms.h"

// The numbers of console/keysyms.h are the toolkit's own.
static_assert(keysym::F1 == GDK_KEY_F1 && keysym::F12 == GDK_KEY_F12);
static_assert(keysym::BackSpace == GDK_KEY_BackSpace && keysym::Tab == GDK_KEY_Tab);
static_assert(keysym::Return == GDK_KEY_Return && keysym::Escape == GDK_KEY_Escape);
static_assert(keysym::Delete == GDK_KEY_Delete && keysym::Insert == GDK_KEY_Insert);
static_assert(keysym::Home == GDK_KEY_Home && keysym::End == GDK_KEY_End);
static_assert(keysym::Page_Up == GDK_KEY_Page_Up && keysym::Page_Down == GDK_KEY_Page_Down);
static_assert(keysym::Left == GDK_KEY_Left && keysym::Right == GDK_KEY_Right);
static_assert(keysym::Up == GDK_KEY_Up && keysym::Down == GDK_KEY_Down);
static_assert(keysym::Break == GDK_KEY_Break && keysym::ISO_Left_Tab == GDK_KEY_ISO_Left_Tab);
static_assert(keysym::KP_Enter == GDK_KEY_KP_Enter && keysym::KP_Home == GDK_KEY_KP_Home);
static_assert(keysym::KP_Left == GDK_KEY_KP_Left && keysym::KP_Up == GDK_KEY_KP_Up);
static_assert(keysym::KP_Right == GDK_KEY_KP_Right && keysym::KP_Down == GDK_KEY_KP_Down);
static_assert(keysym::KP_Page_Up == GDK_KEY_KP_Page_Up && keysym::KP_Page_Down == GDK_KEY_KP_Page_Down);
static_assert(keysym::KP_End == GDK_KEY_KP_End && keysym::KP_Begin == GDK_KEY_KP_Begin);
static_assert(keysym::KP_Insert == GDK_KEY_KP_Insert && keysym::KP_Delete == GDK_KEY_KP_Delete);
static_assert(keysym::KP_Multiply == GDK_KEY_KP_Multiply && keysym::KP_Add == GDK_KEY_KP_Add);
static_assert(keysym::KP_Subtract == GDK_KEY_KP_Subtract && keysym::KP_Decimal == GDK_KEY_KP_Decimal);
static_assert(keysym::KP_0 == GDK_KEY_KP_0 && keysym::KP_0 + 9 == GDK_KEY_KP_9);
static_assert(keysym::Shift_L == GDK_KEY_Shift_L && keysym::Shift_R == GDK_KEY_Shift_R);
static_assert(keysym::Control_L == GDK_KEY_Control_L && keysym::Control_R == GDK_KEY_Control_R);
static_assert(keysym::Alt_L == GDK_KEY_Alt_L && keysym::Alt_R == GDK_KEY_Alt_R);
static_assert(keysym::Meta_L == GDK_KEY_Meta_L && keysym::Meta_R == GDK_KEY_Meta_R);
static_assert(keysym::Scroll_Lock == GDK_KEY_Scroll_Lock);

namespace {

constexpr int N = 0, S = 1, C = 4, A = 8, SC = S | C, SA = S | A, CA = C | A, ANY = kAnyModifiers;

}  // namespace

const KeyTableEntry key_table[] = {
    // Plain function and editing keys.
    {GDK_KEY_F1, N, 0x1003B}, {GDK_KEY_F2, N, 0x1003C}, {GDK_KEY_F3, N, 0x1003D}, {GDK_KEY_F4, N, 0x1003E},
    {GDK_KEY_F5, N, 0x1003F}, {GDK_KEY_F6, N, 0x10040}, {GDK_KEY_F7, N, 0x10041}, {GDK_KEY_F8, N, 0x10042},
    {GDK_KEY_F9, N, 0x10043}, {GDK_KEY_F10, N, 0x10044}, {GDK_KEY_F11, N, 0x10085}, {GDK_KEY_F12, N, 0x10086},
    {GDK_KEY_Return, N, 0x0D}, {GDK_KEY_BackSpace, N, 0x10101}, {GDK_KEY_Tab, N, 0x09},
    {GDK_KEY_Escape, N, 0x1B}, {GDK_KEY_Delete, N, 0x10053}, {GDK_KEY_Insert, N, 0x10052},
    {GDK_KEY_Home, N, 0x10047}, {GDK_KEY_End, N, 0x1004F}, {GDK_KEY_Page_Up, N, 0x10049},
    {GDK_KEY_Page_Down, N, 0x10051}, {GDK_KEY_Left, N, 0x1004B}, {GDK_KEY_Right, N, 0x1004D},
    {GDK_KEY_Up, N, 0x10048}, {GDK_KEY_Down, N, 0x10050},

    // Alt combinations.
    {GDK_KEY_F1, A, 0x10068}, {GDK_KEY_F2, A, 0x10069}, {GDK_KEY_F3, A, 0x1006A}, {GDK_KEY_F4, A, 0x1006B},
    {GDK_KEY_F5, A, 0x1006C}, {GDK_KEY_F6, A, 0x1006D}, {GDK_KEY_F7, A, 0x1006E}, {GDK_KEY_F8, A, 0x1006F},
    {GDK_KEY_F9, A, 0x10070}, {GDK_KEY_F10, A, 0x10071}, {GDK_KEY_F11, A, 0x1008B}, {GDK_KEY_F12, A, 0x1008C},
    {GDK_KEY_Return, A, 0x1001C}, {GDK_KEY_BackSpace, A, 0x1000E}, {GDK_KEY_Home, A, 0x10097},
    {GDK_KEY_Left, A, 0x1009B}, {GDK_KEY_Right, A, 0x1009D}, {GDK_KEY_Up, A, 0x10098}, {GDK_KEY_Down, A, 0x100A0},
    {'a', A, 0x1001E}, {'b', A, 0x10030}, {'c', A, 0x1002E}, {'d', A, 0x10020}, {'e', A, 0x10012},
    {'f', A, 0x10021}, {'g', A, 0x10022}, {'h', A, 0x10023}, {'i', A, 0x10017}, {'j', A, 0x10024},
    {'k', A, 0x10025}, {'l', A, 0x10026}, {'m', A, 0x10032}, {'n', A, 0x10031}, {'o', A, 0x10018},
    {'p', A, 0x10019}, {'q', A, 0x10010}, {'r', A, 0x10013}, {'s', A, 0x1001F}, {'t', A, 0x10014},
    {'u', A, 0x10016}, {'v', A, 0x1002F}, {'w', A, 0x10011}, {'x', A, 0x1002D}, {'y', A, 0x10015},
    {'z', A, 0x1002C},
    {'0', A, 0x10081}, {'1', A, 0x10078}, {'2', A, 0x10079}, {'3', A, 0x1007A}, {'4', A, 0x1007B},
    {'5', A, 0x1007C}, {'6', A, 0x1007D}, {'7', A, 0x1007E}, {'8', A, 0x1007F}, {'9', A, 0x10080},
    {'\\', A, 0x1002B}, {'[', A, 0x1001A}, {']', A, 0x1001B}, {'-', A, 0x10082}, {'=', A, 0x10083},
    {';', A, 0x10027}, {'\'', A, 0x10028}, {'.', A, 0x10034}, {',', A, 0x10033}, {'#', A, 0x3007A},

    // Ctrl combinations.
    {GDK_KEY_F1, C, 0x1005E}, {GDK_KEY_F2, C, 0x1005F}, {GDK_KEY_F3, C, 0x10060}, {GDK_KEY_F4, C, 0x10061},
    {GDK_KEY_F5, C, 0x10062}, {GDK_KEY_F6, C, 0x10063}, {GDK_KEY_F7, C, 0x10064}, {GDK_KEY_F8, C, 0x10065},
    {GDK_KEY_F9, C, 0x10066}, {GDK_KEY_F10, C, 0x10067}, {GDK_KEY_F11, C, 0x10089}, {GDK_KEY_F12, C, 0x1008A},
    {GDK_KEY_Return, C, 0x0A}, {GDK_KEY_BackSpace, C, 0x7F}, {GDK_KEY_Tab, C, 0x10094},
    {GDK_KEY_Delete, C, 0x10093}, {GDK_KEY_Insert, C, 0x10092}, {GDK_KEY_Home, C, 0x10077},
    {GDK_KEY_End, C, 0x10075}, {GDK_KEY_Page_Up, C, 0x10084}, {GDK_KEY_Page_Down, C, 0x10076},
    {GDK_KEY_Left, C, 0x10073}, {GDK_KEY_Right, C, 0x10074}, {GDK_KEY_Up, C, 0x1008D}, {GDK_KEY_Down, C, 0x10091},
    {'a', C, 0x01}, {'b', C, 0x02}, {'c', C, 0x03}, {'d', C, 0x04}, {'e', C, 0x05}, {'f', C, 0x06},
    {'g', C, 0x07}, {'h', C, 0x08}, {'i', C, 0x10102}, {'j', C, 0x0A}, {'k', C, 0x0B}, {'l', C, 0x0C},
    {'m', C, 0x10103}, {'n', C, 0x0E}, {'o', C, 0x0F}, {'p', C, 0x10}, {'q', C, 0x11}, {'r', C, 0x12},
    {'s', C, 0x13}, {'t', C, 0x14}, {'u', C, 0x15}, {'v', C, 0x16}, {'w', C, 0x17}, {'x', C, 0x18},
    {'y', C, 0x19}, {'z', C, 0x1A},
    {'\\', C, 0x1C}, {'[', C, 0x1B}, {']', C, 0x1D}, {'-', C, 0x1F}, {'#', C, 0x1C}, {' ', C, 0x20},

    // Shift combinations.
    {GDK_KEY_F1, S, 0x30054}, {GDK_KEY_F2, S, 0x30055}, {GDK_KEY_F3, S, 0x30056}, {GDK_KEY_F4, S, 0x30057},
    {GDK_KEY_F5, S, 0x30058}, {GDK_KEY_F6, S, 0x30059}, {GDK_KEY_F7, S, 0x3005A}, {GDK_KEY_F8, S, 0x3005B},
    {GDK_KEY_F9, S, 0x3005C}, {GDK_KEY_F10, S, 0x3005D}, {GDK_KEY_F11, S, 0x30087}, {GDK_KEY_F12, S, 0x30088},
    {GDK_KEY_Return, S, 0x0D}, {GDK_KEY_ISO_Left_Tab, S, 0x3000F}, {GDK_KEY_Delete, S, 0x30053},
    {GDK_KEY_Insert, S, 0x30052}, {GDK_KEY_Home, S, 0x30047}, {GDK_KEY_End, S, 0x3004F},
    {GDK_KEY_Page_Up, S, 0x30049}, {GDK_KEY_Page_Down, S, 0x30051}, {GDK_KEY_Left, S, 0x3004B},
    {GDK_KEY_Right, S, 0x3004D}, {GDK_KEY_Up, S, 0x30048}, {GDK_KEY_Down, S, 0x30050},

    // Shift+Ctrl combinations.
    {GDK_KEY_F1, SC, 0x3005E}, {GDK_KEY_F2, SC, 0x3005F}, {GDK_KEY_F3, SC, 0x30060}, {GDK_KEY_F4, SC, 0x30061},
    {GDK_KEY_F5, SC, 0x30062}, {GDK_KEY_F6, SC, 0x30063}, {GDK_KEY_F7, SC, 0x30064}, {GDK_KEY_F8, SC, 0x30065},
    {GDK_KEY_F9, SC, 0x30066}, {GDK_KEY_F10, SC, 0x30067}, {GDK_KEY_F11, SC, 0x30089}, {GDK_KEY_F12, SC, 0x3008A},
    {GDK_KEY_Return, SC, 0x3001C}, {GDK_KEY_Insert, SC, 0x30092}, {GDK_KEY_Home, SC, 0x30077},
    {GDK_KEY_End, SC, 0x30075}, {GDK_KEY_Page_Up, SC, 0x30084}, {GDK_KEY_Page_Down, SC, 0x30076},
    {GDK_KEY_Left, SC, 0x30073}, {GDK_KEY_Right, SC, 0x30074},
    {'f', SC, 0x20006}, {'j', SC, 0x2000A}, {'m', SC, 0x30103}, {'t', SC, 0x20014}, {'y', SC, 0x20019},
    {GDK_KEY_bar, SC, 0x2001C}, {'\'', SC, 0x2001C},

    // Shift+Alt combinations.
    {GDK_KEY_F1, SA, 0x30068}, {GDK_KEY_F2, SA, 0x30069}, {GDK_KEY_F3, SA, 0x3006A}, {GDK_KEY_F4, SA, 0x3006B},
    {GDK_KEY_F5, SA, 0x3006C}, {GDK_KEY_F6, SA, 0x3006D}, {GDK_KEY_F7, SA, 0x3006E}, {GDK_KEY_F8, SA, 0x3006F},
    {GDK_KEY_F9, SA, 0x30070}, {GDK_KEY_F10, SA, 0x30071}, {GDK_KEY_F11, SA, 0x3008B}, {GDK_KEY_F12, SA, 0x3008C},
    {GDK_KEY_BackSpace, SA, 0x3000E},
    {GDK_KEY_braceleft, SA, 0x3001A}, {GDK_KEY_braceright, SA, 0x3001B}, {GDK_KEY_underscore, SA, 0x30082},
    {GDK_KEY_plus, SA, 0x30083}, {GDK_KEY_colon, SA, 0x30027}, {GDK_KEY_quotedbl, SA, 0x30028},
    {'\'', SA, 0x10028}, {'#', SA, 0x3007A},
    {GDK_KEY_exclam, SA, 0x30078}, {GDK_KEY_at, SA, 0x30079}, {GDK_KEY_dollar, SA, 0x3007B},
    {GDK_KEY_percent, SA, 0x3007C}, {GDK_KEY_asciicircum, SA, 0x3007D}, {GDK_KEY_ampersand, SA, 0x3007E},
    {GDK_KEY_asterisk, SA, 0x3007F},
    {GDK_KEY_parenleft, SA, 0x30080}, {GDK_KEY_parenright, SA, 0x30081}, {GDK_KEY_asciitilde, SA, 0x10029},

    // Ctrl+Alt space.
    {' ', CA, 0x90039},

    // The keypad: grey operators and Enter.
    {GDK_KEY_KP_Add, N, 0x40002B}, {GDK_KEY_KP_Add, C, 0x10090}, {GDK_KEY_KP_Add, A, 0x1004E},
    {GDK_KEY_KP_Add, SC, 0x30090},
    {GDK_KEY_KP_Subtract, N, 0x40002D}, {GDK_KEY_KP_Subtract, C, 0x1008E}, {GDK_KEY_KP_Subtract, A, 0x1004A},
    {GDK_KEY_KP_Subtract, SC, 0x3008E},
    {GDK_KEY_KP_Multiply, N, 0x40002A}, {GDK_KEY_KP_Enter, N, 0x0D},

    // The keypad with NumLock off: its navigation symbols.
    {GDK_KEY_KP_Home, N, 0x10047}, {GDK_KEY_KP_Up, N, 0x10048}, {GDK_KEY_KP_Page_Up, N, 0x10049},
    {GDK_KEY_KP_Left, N, 0x1004B}, {GDK_KEY_KP_Right, N, 0x1004D},
    {GDK_KEY_KP_End, N, 0x1004F}, {GDK_KEY_KP_Down, N, 0x10050}, {GDK_KEY_KP_Page_Down, N, 0x10051},
    {GDK_KEY_KP_Insert, N, 0x10052}, {GDK_KEY_KP_Delete, N, 0x10053},
    {GDK_KEY_KP_Home, C, 0x40037}, {GDK_KEY_KP_Up, C, 0x40038}, {GDK_KEY_KP_Page_Up, C, 0x40039},
    {GDK_KEY_KP_Left, C, 0x40034}, {GDK_KEY_KP_Begin, C, 0x40035}, {GDK_KEY_KP_Right, C, 0x40036},
    {GDK_KEY_KP_End, C, 0x40031}, {GDK_KEY_KP_Down, C, 0x40032}, {GDK_KEY_KP_Page_Down, C, 0x40033},
    {GDK_KEY_KP_Insert, C, 0x40030}, {GDK_KEY_KP_Delete, C, 0x10093},
    {GDK_KEY_KP_Home, SC, 0x60037}, {GDK_KEY_KP_Up, SC, 0x60038}, {GDK_KEY_KP_Page_Up, SC, 0x60039},
    {GDK_KEY_KP_Left, SC, 0x60034}, {GDK_KEY_KP_Begin, SC, 0x60035}, {GDK_KEY_KP_Right, SC, 0x60036},
    {GDK_KEY_KP_End, SC, 0x60031}, {GDK_KEY_KP_Down, SC, 0x60032}, {GDK_KEY_KP_Page_Down, SC, 0x60033},
    {GDK_KEY_KP_Insert, SC, 0x60030},

    // The keypad with NumLock on: its digits (plain digits come through the input method).
    {GDK_KEY_KP_0, S, 0x30052}, {GDK_KEY_KP_1, S, 0x3004F}, {GDK_KEY_KP_2, S, 0x30050},
    {GDK_KEY_KP_3, S, 0x30051}, {GDK_KEY_KP_4, S, 0x3004B}, {GDK_KEY_KP_6, S, 0x3004D},
    {GDK_KEY_KP_7, S, 0x30047}, {GDK_KEY_KP_8, S, 0x30048}, {GDK_KEY_KP_9, S, 0x30049},
    {GDK_KEY_KP_0, C, 0x40030}, {GDK_KEY_KP_1, C, 0x40031}, {GDK_KEY_KP_2, C, 0x40032},
    {GDK_KEY_KP_3, C, 0x40033}, {GDK_KEY_KP_4, C, 0x40034}, {GDK_KEY_KP_5, C, 0x40035},
    {GDK_KEY_KP_6, C, 0x40036}, {GDK_KEY_KP_7, C, 0x40037}, {GDK_KEY_KP_8, C, 0x40038},
    {GDK_KEY_KP_9, C, 0x40039},
    {GDK_KEY_KP_0, SC, 0x60030}, {GDK_KEY_KP_1, SC, 0x60031}, {GDK_KEY_KP_2, SC, 0x60032},
    {GDK_KEY_KP_3, SC, 0x60033}, {GDK_KEY_KP_4, SC, 0x60034}, {GDK_KEY_KP_5, SC, 0x60035},
    {GDK_KEY_KP_6, SC, 0x60036}, {GDK_KEY_KP_7, SC, 0x60037}, {GDK_KEY_KP_8, SC, 0x60038},
    {GDK_KEY_KP_9, SC, 0x60039},
    {GDK_KEY_KP_Decimal, S, 0x30053},

    // The modifier keys themselves, whatever else is held.
    {GDK_KEY_Shift_L, ANY, KEY_SHIFTSTATE}, {GDK_KEY_Shift_R, ANY, KEY_SHIFTSTATE},
    {GDK_KEY_Control_L, ANY, KEY_SHIFTSTATE}, {GDK_KEY_Control_R, ANY, KEY_SHIFTSTATE},
    {GDK_KEY_Alt_L, ANY, KEY_SHIFTSTATE}, {GDK_KEY_Alt_R, ANY, KEY_SHIFTSTATE},
    // The Alt keys pressed with Shift held.
    {GDK_KEY_Meta_L, ANY, KEY_SHIFTSTATE}, {GDK_KEY_Meta_R, ANY, KEY_SHIFTSTATE},
};

const int key_table_size = sizeof key_table / sizeof key_table[0];

int LookupKeyTable(unsigned keyval, unsigned state) {
    int modifiers = static_cast<int>(state & kKeyTableModifierMask);
    for (int i = 0; i < key_table_size; i++) {
        const KeyTableEntry& e = key_table[i];
        if (e.keyval == keyval && (e.modifiers == kAnyModifiers || e.modifiers == modifiers)) return e.code;
    }
    return 0;
}

wchar_t (*keysym_unicode_hook)(unsigned keyval) = nullptr;

wchar_t KeySymToUnicode(unsigned keyval) {
    if (keysym_unicode_hook) return keysym_unicode_hook(keyval);
    if ((keyval >= 0x20 && keyval <= 0x7E) || (keyval >= 0xA0 && keyval <= 0xFF)) return keyval;
    if (keyval >= 0x01000100 && keyval <= 0x0110FFFF) return keyval - 0x01000000;  // direct code points
    if (keyval >= keysym::KP_0 && keyval <= keysym::KP_0 + 9) return L'0' + (keyval - keysym::KP_0);
    switch (keyval) {
    case keysym::BackSpace: return 0x08;
    case keysym::Tab: return 0x09;
    case keysym::Return:
    case keysym::KP_Enter: return 0x0D;
    case keysym::Escape: return 0x1B;
    case keysym::Delete: return 0x7F;
    case keysym::KP_Multiply: return L'*';
    case keysym::KP_Add: return L'+';
    case keysym::KP_Subtract: return L'-';
    case keysym::KP_Decimal: return L'.';
    case GDK_KEY_KP_Divide: return L'/';
    case GDK_KEY_KP_Space: return L' ';
    case GDK_KEY_KP_Equal: return L'=';
    default: return 0;
    }
}

// ---------------------------------------------------------------- translation

namespace {

unsigned lower_ascii(unsigned keyval) { return keyval >= 'A' && keyval <= 'Z' ? keyval + ('a' - 'A') : keyval; }

}  // namespace

int TranslateKey(unsigned keyval, unsigned state, int hardware_keycode, int& unicode) {
    keyval = lower_ascii(keyval);
    int code = LookupKeyTable(keyval, state);
    // Ctrl with the top digit row gives the symbol itself, whatever the table says.
    if (hardware_keycode >= 10 && hardware_keycode <= 19 && (state & keystate::Control)) code = static_cast<int>(keyval);
    unicode = (state & keystate::Alt) ? static_cast<int>(KeySymToUnicode(keyval)) : 0;
    return code;
}

// ---------------------------------------------------------------- keys.h

int ctrl_key(char letter) { return LookupKeyTable(lower_ascii(static_cast<unsigned char>(letter)), keystate::Control); }

int alt_key(char ch) { return LookupKeyTable(lower_ascii(static_cast<unsigned char>(ch)), keystate::Alt); }
