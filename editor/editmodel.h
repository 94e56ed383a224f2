// EditModel: the editor without its screen: the text, the cursor, the
// selection, undo and redo, bookmarks, and every editing command as a call
// that reports whether it was done. The key loop maps keys onto these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/editbuffer.h"
#include "editor/editundo.h"

struct Selection {
    TextPos start;
    TextPos end;
    bool active = false;
};

// A bookmark: -1, -1 when unset.
struct Bookmark {
    int32_t pos = -1;
    int32_t line = -1;
};
constexpr int kBookmarkCount = 10;

struct EditSettings {
    int tab_width = 8;
    int indent_width = 4;
    bool auto_indent = true;
    bool overstrike = false;
    bool brief_word_right = false;
};

class EditModel {
public:
    EditBuffer text;
    EditSettings settings;
    Selection sel;
    TUndoStack undo;
    TUndoStack redo;
    Bookmark bookmarks[kBookmarkCount];
    bool modified = false;
    // The load stopped short (stopped, a read error, too many lines, no
    // memory): the text is not the whole file and is never saved over it.
    bool incomplete = false;
    // The view, kept here so it can be remembered with the file.
    int32_t top = 0;
    int32_t row = 0;
    int32_t left = 0;

    TextPos cursor() const { return cursor_; }
    void SetCursor(TextPos at) { cursor_ = text.Clamp(at); }
    // Display column of the cursor with tabs expanded.
    int CursorColumn() const;

    // The one way text changes: replaces from..to by block through the
    // buffer's limits, records the undo item, clears redo, moves the
    // bookmarks and puts the cursor at the end of the new text, or at
    // cursor_after when given.
    [[nodiscard]] EditStatus Apply(TextPos from, TextPos to, const TextBlock& block,
                                   const TextPos* cursor_after = nullptr);

    // Typing: inserts c (replacing the selection, or in overstrike mode
    // the character under the cursor).
    [[nodiscard]] EditStatus TypeChar(wchar_t c);
    // Enter: splits the line at the cursor, indenting the new line when
    // auto-indent is on. OpenLine does it from the end of the line.
    [[nodiscard]] EditStatus BreakLine();
    [[nodiscard]] EditStatus OpenLine();
    // The indentation a new line below the cursor gets.
    std::wstring CalcIndent() const;
    [[nodiscard]] EditStatus DeleteChar();      // Delete
    [[nodiscard]] EditStatus Backspace();       // Backspace
    [[nodiscard]] EditStatus DeleteWordRight(); // to the next word, or join
    [[nodiscard]] EditStatus DeleteWordLeft();  // the word before the cursor
    [[nodiscard]] EditStatus DeleteLine();      // the last line is only emptied
    [[nodiscard]] EditStatus DuplicateLine();
    [[nodiscard]] EditStatus DeleteSelection();
    // Inserts the lines at the cursor, replacing the selection.
    [[nodiscard]] EditStatus Paste(const TextBlock& lines);
    // Shifts the selected lines (or the cursor line) by n columns.
    [[nodiscard]] EditStatus IndentLines(int n);

    // The selection as one text, CR LF between lines; empty without one.
    std::wstring SelectionText() const;
    TextBlock SelectedBlock() const;
    void SelectAll();
    // Selects the word at the cursor and puts the cursor at its start.
    bool MarkWord();
    void ClearSelection() { sel.active = false; }

    // Cursor moves as the arrow and page keys make them; with extend the
    // selection runs from where it started to the new cursor, else it goes.
    // Up and down keep the column of the first vertical move; page moves
    // go page_rows lines and scroll the view with the cursor.
    enum class Move {
        kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown,
        kTextStart, kTextEnd, kWordLeft, kWordRight,
    };
    void MoveCursor(Move move, bool extend, int page_rows = 1);
    // Moves the cursor to at (a click, the screen's first or last line),
    // extending the selection or dropping it as MoveCursor does.
    void MoveTo(TextPos at, bool extend);
    // Scrolls top so that the cursor line is one of rows lines from top,
    // and sets row to match.
    void ScrollToCursor(int rows);

    void MoveWordRight();
    void MoveWordLeft();
    // Moves to the bracket matching the one under the cursor.
    [[nodiscard]] EditStatus MatchBracket();

    // Alt+Backspace and Alt+Shift+Backspace: the first press away from
    // the change only moves the cursor there (kMovedOnly).
    [[nodiscard]] EditStatus Undo();
    [[nodiscard]] EditStatus Redo();

    // Changes between BeginGroup and EndGroup undo and redo as one.
    void BeginGroup() { group_ = ++last_group_; }
    void EndGroup() { group_ = 0; }

    // Alt+U: every line that has a line end gets end, and so do new ones.
    void SetLineEnds(ELineEnd end);

    // Alt+T and the encoding dialog on a code-page file: re-codes every
    // line in memory; the undo history, written in the old code page, is
    // dropped. The count of characters the old page lacks is returned.
    [[nodiscard]] int Recode(int from_cp, int to_cp);

    void SetBookmark(int i);
    bool GotoBookmark(int i);

    // Loads the file; with offset >= 0 the cursor goes to that byte and
    // length characters from there are selected.
    // progress is asked between steps with the byte position; returning
    // false stops the load (kStopped: the text is short and must not be
    // saved over the file).
    [[nodiscard]] EditStatus Load(CTextFile& file, int64_t offset = -1, int length = 0,
                                  const std::function<bool(int64_t pos)>& progress = nullptr);
    // The same in steps: LoadMore reads up to max_lines more lines and
    // places the cursor as soon as the offset's line is in.
    void BeginLoad(CTextFile& file, int64_t offset = -1, int length = 0);
    [[nodiscard]] EditStatus LoadMore(CTextFile& file, int max_lines, bool& done);
    // 0, the error number, or kIncompleteText (nothing written) when the
    // load was incomplete; success clears modified.
    static constexpr int kIncompleteText = -1;
    [[nodiscard]] int Save(CTextFile& file);

private:
    EditStatus Step(TUndoStack& from, TUndoStack& to);
    void ExtendSelection(TextPos from, bool extend);
    void NoteLoadStatus(EditStatus status);
    EditStatus StepGroup(TUndoStack& from, TUndoStack& to);
    void MoveBookmarks(TextPos from, TextPos to, TextPos new_end);
    void SelectFrom(TextPos start, int length);

    TextPos cursor_;
    int preferred_col_ = -1;  // display column kept by up and down moves
    int32_t group_ = 0;
    int32_t last_group_ = 0;
    bool placed_ = true;  // the cursor is where the load asked for
    int load_length_ = 0;
};
