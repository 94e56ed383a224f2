#include "shell/helpviewer.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "config/config.h"
#include "console/cells.h"
#include "console/dialog.h"
#include "console/helptopics.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "console/win.h"
#include "editor/editor.h"
#include "lib/version.h"
#include "shell/clock.h"
#include "shell/configfile.h"
#include "shell/helpfile.h"
#include "viewer/viewer.h"

namespace {

constexpr int kWindowWidth = 74;
constexpr int kTextColumns = 72;
constexpr int kHelpCodePage = 850;
constexpr wchar_t kUpMark = L'\u25B2';
constexpr wchar_t kDownMark = L'\u25BC';
constexpr wchar_t kFrameSide = L'\u2551';
constexpr int kWheelLines = 3;
const wchar_t kHelpTitle[] = L" Dorvik/L " DV_VERSION L" ";

// The top row of a window height rows high: two rows above where it would
// be centred.
int window_top(int height) { return std::max(0, (console->rows() - height) / 2 - 2); }

// One page in its window: the lines as wide text and the first one shown.
class HelpWindow {
public:
    HelpWindow(const HelpPage& page, int topic)
        : topic_(topic),
          text_rows_(std::max(1, console->rows() - 7)),
          win_(-1, window_top(text_rows_ + 2), kWindowWidth, window_top(text_rows_ + 2) + text_rows_ + 1,
               colours[CLR_MESSAGES]) {
        for (const std::string& line : page.lines) lines_.push_back(Westring(line.c_str(), kHelpCodePage));
        win_.puts_at(2, -1, L" Help ");
        win_.PutCentre(-1, kHelpTitle);
        win_.puts_at(57, win_.inner_height(), L" Esc to Exit ");
    }

    void Run();

private:
    int line_count() const { return static_cast<int>(lines_.size()); }
    int last_top() const { return std::max(0, line_count() - text_rows_); }
    bool more_below() const { return top_ + text_rows_ < line_count(); }

    void DrawRow(int row) {
        const int index = top_ + row;
        win_.puts_at(0, row, FitCells(index < line_count() ? lines_[index].c_str() : L"", kTextColumns).c_str());
    }
    void DrawPage() {
        for (int row = 0; row < text_rows_; row++) DrawRow(row);
    }
    void DrawMarks() {
        const wchar_t up[2] = {top_ > 0 ? kUpMark : kFrameSide, 0};
        const wchar_t down[2] = {more_below() ? kDownMark : kFrameSide, 0};
        win_.puts_at(kTextColumns, 0, up);
        win_.puts_at(kTextColumns, text_rows_ - 1, down);
    }
    // One line up or down: the text moves and only the line that comes in
    // is drawn. Each move tells whether there was room for it.
    bool LineUp() {
        if (top_ == 0) return false;
        top_--;
        win_.Scroll(0, 0, kTextColumns, text_rows_, -1);
        DrawRow(0);
        return true;
    }
    bool LineDown() {
        if (!more_below()) return false;
        top_++;
        win_.Scroll(0, 0, kTextColumns, text_rows_, 1);
        DrawRow(text_rows_ - 1);
        return true;
    }
    bool MoveTo(int top) {
        top = std::clamp(top, 0, last_top());
        if (top == top_) return false;
        top_ = top;
        redraw_ = true;
        return true;
    }
    bool Step(int direction, bool by_page) {
        if (by_page) return MoveTo(direction < 0 ? top_ - text_rows_ : more_below() ? top_ + text_rows_ : top_);
        return direction < 0 ? LineUp() : LineDown();
    }
    // The key's work; false when it leaves the window.
    bool Key(const Event& event);
    // The mouse event's work; false when it leaves the window.
    bool Mouse(const Event& event);

    int topic_;
    int text_rows_;
    // A dialog without controls: a change of the screen's size moves it with
    // the dialogs beneath it.
    Dialog win_;
    std::vector<Westring> lines_;
    int top_ = 0;
    bool redraw_ = true;
    // Continuous scrolling while a button is held: the direction (0 none) and whether by pages.
    int scrolling_ = 0;
    bool scroll_pages_ = false;
};

bool HelpWindow::Key(const Event& event) {
    switch (event.key) {
    case KEY_ESC: case KEY_QUIT: return false;
    case KEY_RESIZE: Dialog::RefitScreen(event.mevent.x, event.mevent.y); break;
    case KEY_UP: LineUp(); break;
    case KEY_DOWN: LineDown(); break;
    case KEY_PGUP: Step(-1, true); break;
    case KEY_PGDN: Step(1, true); break;
    case KEY_HOME: MoveTo(0); break;
    case KEY_END: MoveTo(last_top()); break;
    case KEY_F1:
        if (topic_ != HELP_INDEX) help(HELP_INDEX);
        break;
    default: break;
    }
    return true;
}

bool HelpWindow::Mouse(const Event& event) {
    const int x = event.mevent.x, y = event.mevent.y;
    const bool inside = x >= win_.left() && x <= win_.right() && y >= win_.top() && y <= win_.bottom();
    switch (event.type) {
    case Event::LeftUp: case Event::RightUp:
        scrolling_ = 0;
        return inside;
    case Event::Wheel:
        for (int i = 0; i < kWheelLines; i++) Step(event.key > 0 ? -1 : 1, false);
        return true;
    case Event::LeftDown: case Event::LeftDrag: case Event::LeftDouble: case Event::RightDown: {
        if (!inside) return true;
        const int third = win_.height() / 3;
        const int from_top = y - win_.top();
        scrolling_ = from_top < third ? -1 : from_top >= win_.height() - third ? 1 : 0;
        scroll_pages_ = event.type == Event::RightDown;
        return true;
    }
    default: return true;
    }
}

void HelpWindow::Run() {
    // Scrolling with a held button that has reached its end waits for the
    // next event instead of polling for nothing.
    bool stalled = false;
    for (;;) {
        if (redraw_) DrawPage();
        redraw_ = false;
        DrawMarks();
        Event event;
        const bool polling = scrolling_ != 0 && !stalled;
        event.GetEvent(polling ? std::max(0, dialog_scroll_delay) : -1);
        if (event.type == Event::Timeout) {
            stalled = !Step(scrolling_, scroll_pages_);
            continue;
        }
        stalled = false;
        const bool stay = event.type == Event::Key ? Key(event) : Mouse(event);
        if (!stay) return;
        // A press starts scrolling at once; the pauses come between the steps.
        if (scrolling_ != 0 && (event.type == Event::LeftDown || event.type == Event::RightDown))
            stalled = !Step(scrolling_, scroll_pages_);
    }
}

void editor_help(EditorHelpTopic topic) {
    switch (topic) {
    case EditorHelpTopic::kMenuFile: help(HELP_EDITOR_MENU_FILE); break;
    case EditorHelpTopic::kConfigFile: help(HELP_EDITOR_CONFIG_FILE); break;
    case EditorHelpTopic::kEditor: help(HELP_EDITOR); break;
    }
}

// What show_help_hook was before the help took it.
void (*saved_show_help_hook)(int topic) = nullptr;

// The dialogs below the shell name their page; a name not known here shows
// the page of topics the file lacks.
void config_help(const char* name) {
    help(name && std::string_view(name) == "Configuration" ? HELP_OPTIONS : HELP_END);
}

}  // namespace

void help(int topic) {
    if (!console) return;
    if (help_state() == HelpState::kNotLoaded) {
        static_cast<void>(error(L"Help not loaded", Westring(), MB_OK));
        return;
    }
    if (help_state() == HelpState::kDamaged) {
        static_cast<void>(error(Westring(L"Help file damaged: ") + help_file_name(),
                                Westring(help_damage().c_str()), MB_OK));
        return;
    }
    const HelpPage* page = HelpPageFor(topic);
    if (!page) return;
    const int cursor = console->GetCursorType();
    const bool had_clock = clock_win != nullptr;
    hide_clock();
    console->SetCursorType(0);
    HelpWindow(*page, topic).Run();
    console->SetCursorType(cursor);
    if (had_clock) init_clock();
}

void InstallHelpHooks() {
    saved_show_help_hook = show_help_hook;
    show_help_hook = help;
    editor_hooks.help = editor_help;
    viewer_hooks.help = help;
    config_hooks.show_help = config_help;
}

void RestoreHelpHook() { show_help_hook = saved_show_help_hook; }

void show_main_help(CMainLoop&, int, _MEVENT&) { help(HELP_MAIN_SCREEN); }
