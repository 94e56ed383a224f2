#include "exec/ansisgr.h"

#include <climits>

#include "console/cells.h"
#include "exec/ansiparser.h"

namespace {

// ANSI colour order (black, red, green, yellow, blue, magenta, cyan,
// white) to console colour numbers (bit 0 blue, bit 1 green, bit 2 red).
constexpr int kAnsiToConsole[8] = {0, 4, 2, 6, 1, 5, 3, 7};

int component(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

struct NearestTable {
    int colour[256];
    NearestTable() {
        static const int cube[6] = {0, 95, 135, 175, 215, 255};
        for (int i = 0; i < 16; i++) colour[i] = kAnsiToConsole[i & 7] | (i & 8);
        for (int i = 16; i < 232; i++) {
            int n = i - 16;
            colour[i] = NearestConsoleColour(cube[n / 36], cube[n / 6 % 6], cube[n % 6]);
        }
        for (int i = 232; i < 256; i++) {
            int grey = 8 + 10 * (i - 232);
            colour[i] = NearestConsoleColour(grey, grey, grey);
        }
    }
};

}  // namespace

int NearestConsoleColour(int red, int green, int blue) {
    red = component(red);
    green = component(green);
    blue = component(blue);
    int best = 0;
    long best_distance = LONG_MAX;
    for (int n = 0; n < 16; n++) {
        RGB16 shown = palette_colour(n);
        long dr = red - (shown.r >> 8), dg = green - (shown.g >> 8), db = blue - (shown.b >> 8);
        long distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) {
            best_distance = distance;
            best = n;
        }
    }
    return best;
}

int ConsoleColourOf256(int index) {
    static const NearestTable table;
    return table.colour[index < 0 ? 0 : index > 255 ? 255 : index];
}

CAnsiRendition::CAnsiRendition(unsigned char default_attr) : default_attr_(default_attr) { Reset(); }

void CAnsiRendition::Reset() {
    foreground_ = attr_foreground(default_attr_);
    background_ = attr_background(default_attr_);
    bold_ = underline_ = reverse_ = false;
    Update();
}

void CAnsiRendition::Update() {
    int attr = reverse_ ? foreground_ << 4 | background_ : background_ << 4 | foreground_;
    if (bold_) attr |= 0x08;
    if (underline_) attr |= 0x80;
    attr_ = static_cast<unsigned char>(attr);
}

int CAnsiRendition::ExtendedColour(const CAnsiSequence& sgr, int i, int& colour) {
    colour = -1;
    int v[6] = {-1, -1, -1, -1, -1, -1};
    int last = i;
    if (i + 1 < sgr.count && sgr.sub[i + 1]) {
        // 38:5:n, 38:2:r:g:b or 38:2:space:r:g:b: the whole group is this colour's.
        int k = 0;
        for (int j = i + 1; j < sgr.count && sgr.sub[j]; j++, last = j)
            if (k < 6) v[k++] = sgr.values[j];
        if (v[0] == 5 && k >= 2) colour = ConsoleColourOf256(v[1] < 0 ? 0 : v[1]);
        else if (v[0] == 2 && k >= 5) colour = NearestConsoleColour(v[2], v[3], v[4]);
        else if (v[0] == 2 && k == 4) colour = NearestConsoleColour(v[1], v[2], v[3]);
        return last;
    }
    // 38;5;n or 38;2;r;g;b: the numbers that follow are the colour's.
    int kind = sgr.Get(i + 1, -1);
    int needed = kind == 5 ? 1 : kind == 2 ? 3 : -1;
    if (needed < 0) return i + 1 < sgr.count ? i + 1 : i;
    last = i + 1 + needed < sgr.count ? i + 1 + needed : sgr.count - 1;
    if (last < i + 1 + needed) return last;  // cut short: nothing is set
    if (kind == 5) colour = ConsoleColourOf256(sgr.Get(i + 2, 0));
    else colour = NearestConsoleColour(sgr.Get(i + 2, 0), sgr.Get(i + 3, 0), sgr.Get(i + 4, 0));
    return last;
}

void CAnsiRendition::Apply(const CAnsiSequence& sgr) {
    if (sgr.count == 0) {
        Reset();
        return;
    }
    const int default_fg = attr_foreground(default_attr_), default_bg = attr_background(default_attr_);
    for (int i = 0; i < sgr.count; i++) {
        if (sgr.sub[i]) continue;  // a detail of a rendition this console cannot show
        int v = sgr.values[i] < 0 ? 0 : sgr.values[i];
        int colour;
        switch (v) {
        case 0:
            foreground_ = default_fg;
            background_ = default_bg;
            bold_ = underline_ = reverse_ = false;
            break;
        case 1: bold_ = true; break;
        case 4:  // 4:0 is no underline, 4:1 to 4:5 the kinds of underline
            underline_ = !(i + 1 < sgr.count && sgr.sub[i + 1] && sgr.values[i + 1] == 0);
            break;
        case 7: reverse_ = true; break;
        case 21: underline_ = true; break;  // double underline
        case 22: bold_ = false; break;
        case 24: underline_ = false; break;
        case 27: reverse_ = false; break;
        case 38:
            i = ExtendedColour(sgr, i, colour);
            if (colour >= 0) foreground_ = colour;
            break;
        case 48:
            i = ExtendedColour(sgr, i, colour);
            if (colour >= 0) background_ = colour;
            break;
        case 58:  // underline colour: read and not shown
            i = ExtendedColour(sgr, i, colour);
            break;
        case 39: case 99: foreground_ = default_fg; break;
        case 49: case 109: background_ = default_bg; break;
        default:
            if (v >= 30 && v <= 37) foreground_ = kAnsiToConsole[v - 30];
            else if (v >= 40 && v <= 47) background_ = kAnsiToConsole[v - 40];
            else if (v >= 90 && v <= 97) foreground_ = kAnsiToConsole[v - 90] + 8;
            else if (v >= 100 && v <= 107) background_ = kAnsiToConsole[v - 100] + 8;
            break;
        }
    }
    Update();
}
