// The bytes a key sends to a running command, as an xterm sends them.
#include <gtest/gtest.h>

#include <string>

#include "console/keys.h"
#include "exec/keybytes.h"

namespace {

std::string Bytes(int code, bool application_cursor = false) {
    std::string out;
    return TerminalKeyBytes(code, application_cursor, out) ? out : "<none>";
}

TEST(KeyBytesTest, CharactersControlsAndEditingKeys) {
    const struct {
        int code;
        bool application;
        const char* bytes;
    } cases[] = {
        {'a', false, "a"},           {KEY_ENTER, false, "\r"},       {KEY_CTRL_C, false, "\x03"},
        {KEY_ESC, false, "\x1b"},    {0xE9, false, "\xc3\xa9"},      {0x20AC, false, "\xe2\x82\xac"},
        {KEY_UP, false, "\x1b[A"},   {KEY_UP, true, "\x1bOA"},       {KEY_END, true, "\x1bOF"},
        {KEY_F1, false, "\x1bOP"},   {KEY_F12, false, "\x1b[24~"},   {KEY_DEL, true, "\x1b[3~"},
        {KEY_BACKSPACE, false, "\x7f"}, {KEY_CTRL_BACKSPACE, false, "\x7f"}, {KEY_CTRL_PGDN, false, "\x1b[6;5~"},
        {KEY_ALT_F9, false, "<none>"}, {KEY_SHIFT_INS, false, "<none>"}, {0xD800, false, "<none>"},
    };
    for (const auto& c : cases) EXPECT_EQ(Bytes(c.code, c.application), c.bytes) << std::hex << c.code;
}

}  // namespace
