#include "shell/cmdedit.h"

#include <string>

#include "config/config.h"
#include "console/console.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "exec/run.h"
#include "lib/cellwidth.h"
#include "lib/collapsepath.h"
#include "lib/nls.h"
#include "lib/quote.h"
#include "panels/panel.h"

namespace {

int clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

Westring splice(const Westring& text, int pos, int remove, const Westring& insert) {
    return text.left(pos) + insert + text.mid(pos + remove);
}

}  // namespace

void CCommandLine::Set(const Westring& text) {
    text_ = text.left(kMaxLength);
    pos_ = text_.strlen();
}

void CCommandLine::Clear() {
    text_ = Westring();
    pos_ = 0;
    shift_ = 0;
    histpos_ = 0;
    saved_ = Westring();
}

void CCommandLine::SetPos(int pos) { pos_ = clamp(pos, 0, text_.strlen()); }

bool CCommandLine::Insert(wchar_t ch) {
    if (ch == 0 || text_.strlen() >= kMaxLength) return false;
    pos_ = clamp(pos_, 0, text_.strlen());
    text_ = splice(text_, pos_, 0, String(ch, 1));
    pos_++;
    return true;
}

bool CCommandLine::InsertText(const Westring& text) {
    if (text.empty()) return true;
    if (text_.strlen() + text.strlen() > kMaxLength) return false;
    pos_ = clamp(pos_, 0, text_.strlen());
    text_ = splice(text_, pos_, 0, text);
    pos_ += text.strlen();
    return true;
}

void CCommandLine::BackSpace() {
    pos_ = clamp(pos_, 0, text_.strlen());
    if (pos_ == 0) return;
    text_ = splice(text_, pos_ - 1, 1, Westring());
    pos_--;
}

void CCommandLine::Delete() {
    pos_ = clamp(pos_, 0, text_.strlen());
    if (pos_ < text_.strlen()) text_ = splice(text_, pos_, 1, Westring());
}

void CCommandLine::Left() {
    if (pos_ > 0) pos_--;
}

void CCommandLine::Right() {
    if (pos_ < text_.strlen()) pos_++;
}

void CCommandLine::Home() { pos_ = 0; }

void CCommandLine::End() { pos_ = text_.strlen(); }

void CCommandLine::WordLeft() { pos_ = PrevWordStart(text_, pos_); }

void CCommandLine::WordRight() {
    pos_ = clamp(pos_, 0, text_.strlen());
    pos_ += ::WordRight(text_.c_str() + pos_);
}

void CCommandLine::DeleteWordLeft() { pos_ = ::DeleteWordLeft(text_, clamp(pos_, 0, text_.strlen())); }

void CCommandLine::DeleteWordRight() {
    pos_ = clamp(pos_, 0, text_.strlen());
    ::DeleteWordRight(text_, pos_);
}

void CCommandLine::take_history(WestringStore& history, int position, bool keep_cursor) {
    if (histpos_ == 0) saved_ = text_;
    histpos_ = position;
    int keep = pos_;
    if (position == 0) text_ = saved_;
    else text_ = history[history.count() - position]->left(kMaxLength);
    pos_ = keep_cursor ? clamp(keep, 0, text_.strlen()) : text_.strlen();
}

bool CCommandLine::Older(WestringStore& history) {
    if (histpos_ >= history.count()) return false;
    take_history(history, histpos_ + 1, false);
    return true;
}

bool CCommandLine::Newer(WestringStore& history) {
    if (histpos_ > history.count()) histpos_ = history.count();
    if (histpos_ <= 0) return false;
    take_history(history, histpos_ - 1, false);
    return true;
}

bool CCommandLine::SearchHistory(WestringStore& history, bool older) {
    pos_ = clamp(pos_, 0, text_.strlen());
    const Westring prefix = text_.left(pos_);
    const int count = history.count();
    if (histpos_ > count) histpos_ = count;
    for (int position = older ? histpos_ + 1 : histpos_ - 1; position >= 1 && position <= count;
         position += older ? 1 : -1) {
        const Westring* command = history[count - position];
        if (fncomparen(command->c_str(), prefix.c_str(), static_cast<size_t>(prefix.strlen())) == 0 &&
            command->strlen() >= prefix.strlen()) {
            take_history(history, position, true);
            return true;
        }
    }
    return false;
}

int CCommandLine::Draw(const Westring& prompt, int y, int columns, unsigned char attr) {
    const int length = text_.strlen();
    const int prompt_cells = TextCells(prompt.c_str());
    pos_ = clamp(pos_, 0, length);
    int most = length - kKeepVisible;
    if (shift_ > most) shift_ = most;
    if (shift_ > pos_) shift_ = pos_;
    if (shift_ < 0) shift_ = 0;
    // Scroll right until the cursor's cell, and all of the character under
    // it, are on the screen.
    int room = columns - prompt_cells;
    if (room < 1) room = 1;
    shift_ = ScrollToCursor(text_, shift_, pos_, room);

    Westring line = prompt + text_.mid(shift_);
    if (console) console->PutStringAt(0, y, FitCells(line.c_str(), columns).c_str(), attr);
    return prompt_cells + TextCells(text_.c_str() + shift_, pos_ - shift_);
}

Westring CommandPrompt(const PANEL* panels, int side, int columns) {
    const PANEL* panel = panels + side;
    if (panel->type == PANEL_INFO || panel->detail == DETAIL_TREE) panel = panels + (1 - side);
    return PanelPrompt(panel, columns);
}

bool CLPaste(Westring& cmdline, const Westring& text, int& pos) {
    // Quoting only makes it longer: a text longer than the line can hold is out at once.
    if (cmdline.strlen() + text.strlen() > CCommandLine::kMaxLength) return false;
    const Westring quoted = QuoteName(text);
    const wchar_t command_char = static_cast<unsigned char>(config.CmdChar);
    std::wstring piece;
    for (const wchar_t* p = quoted.c_str(); *p; p++) {
        piece += *p;
        if (command_char && *p == command_char) piece += *p;
    }
    if (piece.empty() || piece.back() != L'/') piece += L' ';
    const int length = static_cast<int>(piece.size());
    if (cmdline.strlen() + length > CCommandLine::kMaxLength) return false;
    pos = clamp(pos, 0, cmdline.strlen());
    cmdline = splice(cmdline, pos, 0, Westring(piece.c_str(), length));
    pos += length;
    return true;
}
