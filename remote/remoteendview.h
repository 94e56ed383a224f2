// The console's view on the remote host: instead of drawing, it sends what
// changed on the screen to the window that shows it, and the window's keys
// and mouse come back through the link as console events.
#pragma once

#include <memory>
#include <vector>

#include "console/cells.h"
#include "console/consoleview.h"
#include "remote/remoteendlink.h"

class CRemoteEndView : public CConsoleView {
public:
    // The most bytes one message carries, below the window's receive buffer.
    static constexpr size_t kMessageBudget = 60000;

    explicit CRemoteEndView(std::unique_ptr<CRemoteEndLink> link);

    // Greets the window (Init with our version) and learns its size; false,
    // with the reason in message, when it does not answer or refuses us.
    // Attach does it when nobody has before.
    [[nodiscard]] bool Handshake(Estring& message);

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

    CRemoteEndLink& Link() { return *link_; }
    // The window's size as it last told us.
    int WindowColumns() const { return window_columns_; }
    int WindowRows() const { return window_rows_; }

private:
    // Sends the cells of columns left..right-1, rows top..bottom-1 that
    // differ from what the window shows.
    void SendChangedCells(int left, int top, int right, int bottom);
    // Sends the cells of columns left..right-1 of rows top..bottom-1 in as
    // few messages as the budget allows, and takes them into the shadow.
    void SendCells(int left, int top, int right, int bottom);
    void SendCursor();
    ScreenCell& Shadow(int x, int y) { return shadow_[static_cast<size_t>(y) * shadow_columns_ + x]; }

    std::unique_ptr<CRemoteEndLink> link_;
    CConsole* console_ = nullptr;
    bool greeted_ = false;
    bool started_ = false;
    int window_columns_ = 0, window_rows_ = 0;
    // The cells the window shows, as far as we sent them; a cell that was
    // never sent holds a character no screen has.
    std::vector<ScreenCell> shadow_;
    int shadow_columns_ = 0, shadow_rows_ = 0;
    int sent_cursor_x_ = -1, sent_cursor_y_ = -1, sent_cursor_type_ = -1;
};
