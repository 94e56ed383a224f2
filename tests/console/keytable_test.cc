// The key table, row by row as the key-code tables give it, through
// TranslateKey.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "console/console.h"
#include "console/keytable.h"
#include "console/keys.h"
#include "console/keysyms.h"

namespace {

using namespace keysym;

constexpr unsigned kShift = keystate::Shift, kCtrl = keystate::Control, kAlt = keystate::Alt;

// One row of a key table (by key symbol): the codes for no modifier, Shift, Ctrl, Alt,
// Shift+Ctrl and Shift+Alt; 0 where the table is blank.
struct Row { unsigned keyval; int codes[6]; };
const unsigned kColumnStates[6] = {0, kShift, kCtrl, kAlt, kShift | kCtrl, kShift | kAlt};

const std::vector<Row>& rows() {
    static const std::vector<Row> table = [] {
        std::vector<Row> r = {
            // Function and cursor keys (F1-F10 follow below).
            {F11, {0x10085, 0x30087, 0x10089, 0x1008B, 0x30089, 0x3008B}},
            {F12, {0x10086, 0x30088, 0x1008A, 0x1008C, 0x3008A, 0x3008C}},
            {Return, {0x0D, 0x0D, 0x0A, 0x1001C, 0x3001C, 0}}, {BackSpace, {0x10101, 0, 0x7F, 0x1000E, 0, 0x3000E}},
            {Tab, {0x09, 0, 0x10094, 0, 0, 0}}, {ISO_Left_Tab, {0, 0x3000F, 0, 0, 0, 0}},
            {Escape, {0x1B, 0, 0, 0, 0, 0}}, {Delete, {0x10053, 0x30053, 0x10093, 0, 0, 0}},
            {Insert, {0x10052, 0x30052, 0x10092, 0, 0x30092, 0}},
            {Home, {0x10047, 0x30047, 0x10077, 0x10097, 0x30077, 0}},
            {End, {0x1004F, 0x3004F, 0x10075, 0, 0x30075, 0}}, {Page_Up, {0x10049, 0x30049, 0x10084, 0, 0x30084, 0}},
            {Page_Down, {0x10051, 0x30051, 0x10076, 0, 0x30076, 0}},
            {Left, {0x1004B, 0x3004B, 0x10073, 0x1009B, 0x30073, 0}},
            {Right, {0x1004D, 0x3004D, 0x10074, 0x1009D, 0x30074, 0}},
            {Up, {0x10048, 0x30048, 0x1008D, 0x10098, 0, 0}}, {Down, {0x10050, 0x30050, 0x10091, 0x100A0, 0, 0}},
            {KP_Add, {0x40002B, 0, 0x10090, 0x1004E, 0x30090, 0}},
            {KP_Subtract, {0x40002D, 0, 0x1008E, 0x1004A, 0x3008E, 0}}, {KP_Multiply, {0x40002A, 0, 0, 0, 0, 0}},
            {KP_Enter, {0x0D, 0, 0, 0, 0, 0}},
            // The keypad with NumLock off.
            {KP_Home, {0x10047, 0, 0x40037, 0, 0x60037, 0}}, {KP_Begin, {0, 0, 0x40035, 0, 0x60035, 0}},
            {KP_Insert, {0x10052, 0, 0x40030, 0, 0x60030, 0}}, {KP_Delete, {0x10053, 0, 0x10093, 0, 0, 0}},
            {KP_Decimal, {0, 0x30053, 0, 0, 0, 0}},
            // Character keys with Ctrl or Alt: the letters with special codes and a sample of the rest.
            {'a', {0, 0, 0x01, 0x1001E, 0, 0}}, {'f', {0, 0, 0x06, 0x10021, 0x20006, 0}},
            {'i', {0, 0, 0x10102, 0x10017, 0, 0}}, {'j', {0, 0, 0x0A, 0x10024, 0x2000A, 0}},
            {'m', {0, 0, 0x10103, 0x10032, 0x30103, 0}}, {'q', {0, 0, 0x11, 0x10010, 0, 0}},
            {'t', {0, 0, 0x14, 0x10014, 0x20014, 0}}, {'x', {0, 0, 0x18, 0x1002D, 0, 0}},
            {'y', {0, 0, 0x19, 0x10015, 0x20019, 0}}, {'z', {0, 0, 0x1A, 0x1002C, 0, 0}},
            {'0', {0, 0, 0, 0x10081, 0, 0}}, {'\\', {0, 0, 0x1C, 0x1002B, 0, 0}},
            {'|', {0, 0, 0, 0, 0x2001C, 0}}, {'[', {0, 0, 0x1B, 0x1001A, 0, 0}},
            {']', {0, 0, 0x1D, 0x1001B, 0, 0}}, {'{', {0, 0, 0, 0, 0, 0x3001A}},
            {'-', {0, 0, 0x1F, 0x10082, 0, 0}}, {'=', {0, 0, 0, 0x10083, 0, 0}},
            {';', {0, 0, 0, 0x10027, 0, 0}}, {'\'', {0, 0, 0, 0x10028, 0x2001C, 0x10028}},
            {'.', {0, 0, 0, 0x10034, 0, 0}}, {',', {0, 0, 0, 0x10033, 0, 0}},
            {'#', {0, 0, 0x1C, 0x3007A, 0, 0x3007A}}, {' ', {0, 0, 0x20, 0, 0, 0}},
            {'!', {0, 0, 0, 0, 0, 0x30078}}, {')', {0, 0, 0, 0, 0, 0x30081}}, {'~', {0, 0, 0, 0, 0, 0x10029}},
        };
        // F1-F10: each column counts up from F1's code.
        for (int i = 0; i < 10; i++)
            r.push_back({F1 + i, {0x1003B + i, 0x30054 + i, 0x1005E + i, 0x10068 + i, 0x3005E + i, 0x30068 + i}});
        // Alt with the digits 1-9.
        for (int d = 1; d <= 9; d++) r.push_back({unsigned('0' + d), {0, 0, 0, 0x10077 + d, 0, 0}});
        // The keypad digits with NumLock on (plain digits come from the input method).
        static const int shifted[10] = {0x30052, 0x3004F, 0x30050, 0x30051, 0x3004B, 0, 0x3004D, 0x30047, 0x30048, 0x30049};
        for (int d = 0; d <= 9; d++) r.push_back({KP_0 + d, {0, shifted[d], 0x40030 + d, 0, 0x60030 + d, 0}});
        return r;
    }();
    return table;
}

// The modifier keys: 0x10100 whatever is held.
const unsigned kModifierKeys[6] = {Shift_L, Shift_R, Control_L, Control_R, Alt_L, Alt_R};

}  // namespace

TEST(KeyTable, TranslateKeyGivesEveryCellOfTheTables) {
    for (const Row& row : rows()) {
        for (int c = 0; c < 6; c++) {
            int unicode = -1;
            int code = TranslateKey(row.keyval, kColumnStates[c], 0, unicode);
            EXPECT_EQ(code, row.codes[c]) << std::hex << row.keyval << " state " << kColumnStates[c];
            // NumLock (Mod2) and Caps Lock do not change the code.
            code = TranslateKey(row.keyval, kColumnStates[c] | keystate::Mod2 | 0x2, 0, unicode);
            EXPECT_EQ(code, row.codes[c]) << std::hex << row.keyval << " with NumLock, state " << kColumnStates[c];
        }
    }
    int unicode = 0;
    EXPECT_EQ(TranslateKey(' ', kCtrl | kAlt, 0, unicode), 0x90039);
    EXPECT_EQ(TranslateKey(F1, kCtrl | kAlt, 0, unicode), 0);  // blank in every table
    for (unsigned key : kModifierKeys)
        for (unsigned state = 0; state < 16; state++) EXPECT_EQ(TranslateKey(key, state, 0, unicode), KEY_SHIFTSTATE);
}

// Codes and Alt characters outside the rows: upper-case symbols, Ctrl with
// the top-row digits (by hardware key code, 1 is 10 ... 0 is 19), Alt characters.
TEST(KeyTable, UpperCaseTopRowDigitsAndAltCharacters) {
    struct { unsigned keyval, state; int hardware, code, unicode; } cases[] = {
        {'F', kShift | kCtrl, 0, 0x20006, 0}, {'X', kAlt, 0, 0x1002D, 'x'},  // the lowered symbol's character
        {'M', kShift | kCtrl, 0, 0x30103, 0},
        {'!', kCtrl | kShift, 10, '!', 0},  // whatever the symbol is
        {'1', kCtrl, 0, 0, 0}, {'1', kCtrl, 20, 0, 0},  // not the top row: no code
        {'1', kAlt, 10, 0x10078, '1'},                   // needs Ctrl
        {'q', 0, 0, 0, 0}, {0xE9, kAlt, 0, 0, 0xE9},  // Latin-1 symbol
        {0x1000451, kAlt, 0, 0, 0x451},                           // a symbol carrying its code point
        {KP_0 + 7, kAlt, 0, 0, '7'}, {F1, kAlt, 0, 0x10068, 0},
    };
    for (const auto& c : cases) {
        int unicode = -1;
        EXPECT_EQ(TranslateKey(c.keyval, c.state, c.hardware, unicode), c.code) << std::hex << c.keyval << " " << c.state;
        EXPECT_EQ(unicode, c.unicode) << std::hex << c.keyval << " " << c.state;
    }
    for (int d = 0; d <= 9; d++) {
        int unicode = -1;
        EXPECT_EQ(TranslateKey('0' + d, kCtrl, d == 0 ? 19 : 9 + d, unicode), '0' + d);
        EXPECT_EQ(unicode, 0);
    }
}

TEST(KeyTable, KeyHelpers) {
    const std::pair<int, int> cases[] = {{ctrl_key('H'), 0x08},   {ctrl_key('i'), 0x10102}, {alt_key('x'), 0x1002D},
                                         {alt_key('0'), 0x10081}, {ctrl_key('\x80'), 0}};
    for (size_t i = 0; i < std::size(cases); i++) EXPECT_EQ(cases[i].first, cases[i].second) << i;
}
