// The console's program-wide state and the free functions through which the
// program reads events and resizes the screen.
#include "console/console.h"

CConsole* console = nullptr;
std::atomic<int> lastShiftState{0};
int alt_on = 0;
std::atomic<int> break_status{0};
ConsoleHooks console_hooks;
Estring console_font_family = "DejaVu Sans Mono";
int console_font_size = 12;
bool console_font_joins = true;

namespace {

void update_clock() {
    if (console_hooks.update_clock) console_hooks.update_clock();
}

// A resize that check_esc read during a long operation: the next reader of
// keys gets it, so the screen still fits the window afterwards.
bool resize_deferred = false;

}  // namespace

int getkey(_MEVENT* record, int timeout_ms) {
    int state = lastShiftState;
    if (state != alt_on) {
        alt_on = state;
        if (record) record->shift = state;
        return KEY_SHIFTSTATE;
    }
    if (!console) return 0;

    CConsole::TEvent event;
    if (resize_deferred) {
        resize_deferred = false;
        event.type = CConsole::TEvent::Resize;
        event.x = console->columns();
        event.y = console->rows();
    } else if (timeout_ms >= 0) {
        update_clock();
        if (!console->GetEvent(event, timeout_ms)) return 0;
    } else {
        // Wait in one-second slices so the clock on the screen keeps going.
        do {
            update_clock();
        } while (!console->GetEvent(event, 1000));
    }

    lastShiftState = event.shift;
    switch (event.type) {
    case CConsole::TEvent::Key:
        if (record) {
            record->shift = event.shift;
            record->ch = event.unicode;
        }
        alt_on = lastShiftState;
        return event.key;
    case CConsole::TEvent::Quit:
        return KEY_QUIT;
    case CConsole::TEvent::Resize:
        if (record) {
            // The window may have been resized again since.
            record->x = event.x;
            record->y = event.y;
            (void)console->FittedSize(record->x, record->y);
        }
        return KEY_RESIZE;
    default:
        return ConvertMouseEvent(event, record) ? KEY_MOUSE : 0;
    }
}

bool ConvertMouseEvent(const CConsole::TEvent& event, _MEVENT* record) {
    using E = CConsole::TEvent;
    if (!record) return false;
    if (event.type == E::Key || event.type == E::Quit || event.type == E::Resize) return false;
    if (event.key != 1 && event.key != 2 && event.type != E::Wheel) return false;
    bool left = event.key == 1;
    record->x = event.x;
    record->y = event.y;
    record->shift = event.shift;
    switch (event.type) {
    case E::ButtonPress: record->kind = left ? _MEVENT::LeftDown : _MEVENT::RightDown; break;
    case E::ButtonRelease: record->kind = left ? _MEVENT::LeftUp : _MEVENT::RightUp; break;
    case E::Motion: record->kind = left ? _MEVENT::LeftDrag : _MEVENT::RightDrag; break;
    case E::DoubleClick: record->kind = left ? _MEVENT::LeftDouble : _MEVENT::RightDown; break;
    case E::Wheel:
        record->kind = _MEVENT::WheelMoved;
        record->wheel = static_cast<short>(event.key);
        break;
    default: return false;
    }
    return true;
}

int ToTEventShift(unsigned toolkit_state) {
    int shift = 0;
    if (toolkit_state & 0x8) shift |= CConsole::TEvent::Alt;
    if (toolkit_state & 0x4) shift |= CConsole::TEvent::Ctrl;
    if (toolkit_state & 0x1) shift |= CConsole::TEvent::Shift;
    if (toolkit_state & 0x10) shift |= CConsole::TEvent::Mod2;
    return shift;
}

bool check_esc() {
    if (!console) return false;
    CConsole::TEvent event;
    if (!console->GetEvent(event, 0)) return false;
    if (event.type == CConsole::TEvent::Resize) {
        resize_deferred = true;
        return false;
    }
    lastShiftState = event.shift;
    return event.type == CConsole::TEvent::Key && event.key == KEY_ESC;
}

bool CheckEvent() { return console && console->GetEventQueueLen() > 0; }

int un_alt(int /*key*/, const _MEVENT* record) {
    if (!record) return 0;
    return record->ch >= 0 && record->ch <= 0xFFFF ? record->ch : 0;
}

void set_lines(int rows, int columns) {
    if (!console) return;
    if (console_hooks.before_resize) console_hooks.before_resize();
    // A size out of range leaves the screen as it was; the after-hook lays
    // the screen out again either way, as the before-hook expects.
    (void)console->SetSize(columns, rows, console_font_family.c_str(), console_font_size);
    if (console_hooks.after_resize) console_hooks.after_resize();
}
