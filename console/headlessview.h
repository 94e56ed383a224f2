// A console view without a window: it keeps what would be on the screen in
// memory and records every request, for tests and for a console driven from
// elsewhere. Everything it records can be read from any thread.
#pragma once

#include <mutex>
#include <vector>

#include "console/cells.h"
#include "console/consoleview.h"
#include "lib/westring.h"

class CHeadlessView : public CConsoleView {
public:
    // A painted rectangle: columns left..right-1, rows top..bottom-1.
    struct PaintRect {
        int left, top, right, bottom;
        bool operator==(const PaintRect& o) const {
            return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
        }
    };
    struct ScrollCall {
        int x, y, width, height, lines;
        bool up;
    };
    // One cell as it was last drawn.
    struct ShownCell {
        bool painted = false;  // false until the cell is first drawn
        ScreenCell cell{L' ', 0};
        bool cursor = false;    // drawn with the cursor bar
        bool selected = false;  // drawn inverted as part of a selection
    };

    explicit CHeadlessView(int cell_width = 8, int cell_height = 16);

    void Attach(CConsole* console) override;
    void Start() override;
    void Stop() override;
    void AllocateScreen(int& cell_width, int& cell_height) override;
    void PaintCells(int left, int top, int right, int bottom) override;
    void ScrollPixels(int x, int y, int width, int height, int lines, bool up) override;
    void SetTitle(const Westring& title) override;
    void SetIcons(const std::vector<Westring>& files) override;
    void Beep() override;
    void PutClipText(const Westring& text) override;
    Westring GetClipText() override;
    int ScrollLockState() override;
    void SwitchNumLockOn() override;

    // ---- what was recorded
    bool Started() const;
    bool Stopped() const;
    int AllocateCount() const;
    std::vector<PaintRect> Paints() const;
    int PaintCount() const;
    std::vector<ScrollCall> Scrolls() const;
    // Forgets the recorded paints and scrolls (what is shown stays).
    void ClearRecords();
    Westring Title() const;
    std::vector<Westring> Icons() const;
    int BeepCount() const;
    // The clipboard: what PutClipText stored, or what a test put there.
    Westring ClipText() const;
    void SetClipText(const Westring& text);
    // What ScrollLockState reports: -1 (the desktop cannot tell) until a
    // test sets the keyboard's state.
    void SetScrollLockState(int state);
    // How often Num Lock was to be switched on.
    int NumLockRequests() const;

    // ---- what the window would show
    int ShownColumns() const;
    int ShownRows() const;
    ShownCell Shown(int x, int y) const;
    // Cells whose shown character or attribute differs from the console's
    // cells; 0 when the screen is up to date. Takes the toolkit lock.
    int ShownMismatches() const;

private:
    const int cell_width_, cell_height_;
    mutable std::mutex mutex_;
    CConsole* console_ = nullptr;
    bool started_ = false, stopped_ = false;
    int allocate_count_ = 0;
    std::vector<PaintRect> paints_;
    std::vector<ScrollCall> scrolls_;
    Westring title_;
    std::vector<Westring> icons_;
    int beeps_ = 0;
    Westring clipboard_;
    int scroll_lock_state_ = -1;
    int num_lock_requests_ = 0;
    int columns_ = 0, rows_ = 0;
    std::vector<ShownCell> shown_;
};
