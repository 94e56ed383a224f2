#include "tools/foundline.h"

#include <cwchar>

#include "lib/collapsepath.h"
#include "lib/numfmt.h"
#include "panels/paneldisplay.h"

namespace {

constexpr int kSizeColumn = 10;
constexpr int kErrorColumn = 28;

Westring Padded(const Westring& text, int width, bool right_aligned) {
    int length = text.strlen();
    if (length >= width) return text;
    Westring blanks = String(L' ', width - length);
    return right_aligned ? blanks + text : text + blanks;
}

}  // namespace

Westring make_found(const FoundFile& found, int path_cells) {
    const entry& e = *found.file;
    Westring path(e.name);
    collapse_path(path, path_cells);
    if (found.match == kFoundCannotOpen) return Padded(Westring(L"Error opening"), kErrorColumn, false) + path;

    Westring size;
    if (e.is_dir()) {
        size = Westring(L"\x25BA" L"SUBDIR" L"\x25C4");
    } else {
        wchar_t digits[32];
        std::swprintf(digits, 32, L"%llu", static_cast<unsigned long long>(e.size));
        size = addCommas(digits);
    }
    Westring line = Padded(size, kSizeColumn, true);
    line += L' ';
    line += Padded(format_date(e.time), 8, true);
    line += L' ';
    line += Padded(format_time(e.time), 6, true);
    line += L' ';
    line += (e.attr & FA_HIDDEN) ? L'\x2591' : L' ';
    line += path;
    return line;
}
