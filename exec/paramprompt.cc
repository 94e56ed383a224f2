#include "exec/paramprompt.h"

#include <algorithm>

#include "console/cells.h"
#include "console/dialog.h"

namespace {

constexpr int kMinFieldWidth = 20;
constexpr int kMaxAnswer = 512;

}  // namespace

bool AskParameter(const Westring& title, Westring& answer) {
    Westring shown = title.empty() ? Westring(L"?") : title;
    int columns = 80, rows = 25;
    if (console) static_cast<void>(console->GetSize(columns, rows));
    shown = shown.left(std::max(1, columns - 8));
    const int width = std::max(shown.strlen(), kMinFieldWidth);

    int cursor_x = 0, cursor_y = 0;
    if (console) console->GetCursorPos(cursor_x, cursor_y);
    answer = Westring();
    int result;
    {
        Dialog dialog(-1, -3, width + 4, 5, colours[CLR_MESSAGES]);
        dialog.AddStaticText(-1, 0, shown);
        dialog.AddStringField(1, 2, 1, answer, width, kMaxAnswer, Dialog::kNoHistory);
        result = dialog.Process();
    }
    if (console) console->SetCursorPos(cursor_x, cursor_y);
    return result != 27;
}
