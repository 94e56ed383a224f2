// The command line under the panels: its text, cursor and scroll, editing,
// recalling commands from the history, and drawing it with its prompt.
#pragma once

#include "lib/stringstore.h"
#include "lib/westring.h"

struct PANEL;

class CCommandLine {
public:
    // The most characters the line holds.
    static constexpr int kMaxLength = 511;
    // How far the text may scroll: at most its length less this.
    static constexpr int kKeepVisible = 40;

    const Westring& text() const { return text_; }
    int pos() const { return pos_; }
    int shift() const { return shift_; }
    int histpos() const { return histpos_; }
    bool empty() const { return text_.empty(); }

    // Replaces the text (cut to the limit) and puts the cursor at its end.
    void Set(const Westring& text);
    // Empties the line and leaves the history.
    void Clear();
    void SetPos(int pos);

    // A character at the cursor; false when the line is full.
    [[nodiscard]] bool Insert(wchar_t ch);
    // Text at the cursor, only when the line stays within the limit.
    [[nodiscard]] bool InsertText(const Westring& text);
    void BackSpace();
    void Delete();
    void Left();
    void Right();
    void Home();
    void End();
    void WordLeft();
    void WordRight();
    void DeleteWordLeft();
    void DeleteWordRight();

    // The next older or newer command of history; at the newest end the line
    // being typed comes back. False when there is nothing further.
    bool Older(WestringStore& history);
    bool Newer(WestringStore& history);
    // The next older (or newer) command that begins with the text before the
    // cursor; the cursor stays. False when there is none.
    bool SearchHistory(WestringStore& history, bool older);

    // Draws the prompt and the visible part of the text on row y of a screen
    // columns wide, keeping the cursor on the screen; the cursor's column is
    // returned.
    int Draw(const Westring& prompt, int y, int columns, unsigned char attr);

private:
    void take_history(WestringStore& history, int position, bool keep_cursor);

    Westring text_;
    int pos_ = 0;
    int shift_ = 0;
    int histpos_ = 0;  // 0: the line being typed; n: the n-th newest command
    Westring saved_;   // the line being typed while the history is shown
};

// The prompt: the working directory of the current panel (of the other one
// when the current shows information or a tree), shortened to half the
// screen width less 1, then ">"; only ">" when PathPrompt is off.
Westring CommandPrompt(const PANEL* panels, int side, int columns);

// Inserts text into the command line at pos: quoted for the shell when
// needed, with a blank after it unless it ends with '/', and every command
// character doubled so that substitution leaves it alone. Only when the line
// stays within the limit; pos then moves past it. Whether it was inserted.
[[nodiscard]] bool CLPaste(Westring& cmdline, const Westring& text, int& pos);
