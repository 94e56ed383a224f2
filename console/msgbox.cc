#include "console/msgbox.h"

#include <cstdio>
#include <vector>

#include "console/cells.h"
#include "console/dialog.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"

namespace {

constexpr int kMaxLines = 10;

struct ButtonSet {
    int count;
    Dialog::ButtonDef buttons[7];
};

// The buttons of each style, with the key each one returns.
const ButtonSet kButtonSets[] = {
    {1, {{'y', "_OK"}, {0, nullptr}}},
    {2, {{'y', "_OK"}, {27, "Cancel"}, {0, nullptr}}},
    {5, {{'y', "_OK"}, {27, "Cancel"}, {'s', "Skip"}, {'a', "All"}, {'e', "None"}, {0, nullptr}}},
    {3, {{'r', "Retry"}, {'s', "Skip"}, {27, "Cancel"}, {0, nullptr}}},
    {6, {{'y', "_OK"}, {27, "Cancel"}, {'s', "Skip"}, {'a', "All"}, {'e', "None"}, {'d', "All Older"}, {0, nullptr}}},
};

// Splits text at blanks (and line feeds) into lines of at most width
// cells; a word longer than a line is cut, never inside a wide character.
std::vector<Westring> wrap(const Westring& text, int width) {
    std::vector<Westring> lines;
    const wchar_t* p = text.c_str();
    while (*p && static_cast<int>(lines.size()) < kMaxLines) {
        while (*p == L' ') p++;
        if (!*p) break;
        int take = 0, cells = 0, last_blank = -1;
        while (p[take] && p[take] != L'\n' && cells + CellWidth(p[take]) <= width) {
            if (p[take] == L' ') last_blank = take;
            cells += CellWidth(p[take]);
            take++;
        }
        if (take == 0 && p[take] && p[take] != L'\n') take = 1;  // a line narrower than one character
        bool cut_at_blank = p[take] && p[take] != L'\n' && p[take] != L' ' && last_blank > 0;
        int length = cut_at_blank ? last_blank : take;
        lines.push_back(Westring(p, length).rtrim());
        p += length;
        if (*p == L'\n') p++;
    }
    if (lines.empty()) lines.push_back(Westring());
    return lines;
}

int button_row_width(const ButtonSet& set) {
    int width = 0;
    for (int i = 0; i < set.count; i++) {
        Westring label(set.buttons[i].label);
        width += TextCells(label.c_str()) - (label.chr(L'_') >= 0 ? 1 : 0) + 4;
    }
    return width + 2 * (set.count - 1);
}

}  // namespace

int error(const Westring& message, const Westring& title, int flags) {
    if (!console) {
        // No screen yet (or any more): the message still reaches the user.
        std::fprintf(stderr, "dv: %s%s%s\n", message.ToUTF8().c_str(), title.empty() ? "" : ": ",
                     title.ToUTF8().c_str());
        return 27;
    }
    int columns = 80, rows = 25;
    console->GetSize(columns, rows);
    int max_width = columns - 8 > 1 ? columns - 8 : 1;

    std::vector<Westring> lines = wrap(message, max_width);
    Westring heading(title);
    collapse_path(heading, max_width);
    int style = flags & 15;
    const ButtonSet& set = kButtonSets[style < 5 ? style : 0];

    int inner = button_row_width(set);
    if (TextCells(heading.c_str()) > inner) inner = TextCells(heading.c_str());
    for (const Westring& line : lines)
        if (TextCells(line.c_str()) > inner) inner = TextCells(line.c_str());
    inner += inner & 1;
    int count = static_cast<int>(lines.size());
    unsigned char attr = colours[(flags & MB_MESSAGE) ? CLR_MESSAGES : CLR_ERRORS];

    Dialog box(-1, -2, inner + 4, count + 4, attr);
    for (int i = 0; i < count; i++) box.AddStaticText(-1, i, lines[i]);
    if (!heading.empty()) box.AddStaticText(-1, count, heading);
    box.AddPushButtonGroup(-1, count + 1, 1, set.buttons);
    // Each button answers to the letter it returns, in either case.
    for (int i = 0; i < set.count; i++) {
        int key = set.buttons[i].value;
        if (key >= 'a' && key <= 'z') {
            box.AddExitKey(key);
            box.AddExitKey(key - 'a' + 'A');
        }
    }

    if (set.buttons[0].value == 'y') {  // "_OK" answers to its letter too
        box.AddExitKey('o');
        box.AddExitKey('O');
    }

    int result = box.Process();
    if (result >= 'A' && result <= 'Z') result += 'a' - 'A';
    if (result == 'o') result = 'y';
    if (result == 13 || result == 10) return 'y';
    if (result == KEY_QUIT) return 27;
    if (result < 0) return ' ';
    return result;
}
