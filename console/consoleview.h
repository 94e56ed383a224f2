// What the console needs from a front end: a desktop window that draws the
// cells, or a headless stand-in. The console owns its view.
#pragma once

#include <vector>

#include "lib/westring.h"

class CConsole;

class CConsoleView {
public:
    virtual ~CConsoleView() = default;

    // Called first by the console's constructor, before the screen is
    // built: the view learns its console (and may build its window).
    virtual void Attach(CConsole* console) = 0;
    // Called last by the console's constructor, once the screen exists:
    // shows the window and starts whatever threads the view needs. Input
    // goes back through the console's On... operations.
    virtual void Start() = 0;
    // Called by the console's destructor: ends the view's threads.
    virtual void Stop() = 0;

    // The rest is called with the toolkit lock held.

    // Measures a cell of the console's font, resizes the window to the
    // console's columns and rows, and drops the back buffer.
    virtual void AllocateScreen(int& cell_width, int& cell_height) = 0;
    // Draws the cells of columns left..right-1, rows top..bottom-1 (with the
    // cursor and selection as the console reports them).
    virtual void PaintCells(int left, int top, int right, int bottom) = 0;
    // Moves the drawn pixels of rows y+lines..y+height-1 up by lines rows (or
    // rows y..y+height-1-lines down, when up is false) within columns
    // x..x+width-1. The console paints the rows that came free itself.
    virtual void ScrollPixels(int x, int y, int width, int height, int lines, bool up) = 0;
    virtual void SetTitle(const Westring& title) = 0;
    virtual void SetIcons(const std::vector<Westring>& files) = 0;
    virtual void Beep() = 0;
    virtual void PutClipText(const Westring& text) = 0;
    // The keyboard's Scroll Lock as the desktop keeps it: 1 on, 0 off, -1
    // when the desktop cannot tell (the console then counts the presses of
    // the Scroll Lock key itself).
    virtual int ScrollLockState() = 0;
    // Switches the keyboard's Num Lock on.
    virtual void SwitchNumLockOn() = 0;

    // Called WITHOUT the toolkit lock (the view may have to wait for the
    // desktop to answer): the clipboard's text, empty when there is none.
    virtual Westring GetClipText() = 0;
};
