// Colours text a line at a time by a syntax definition, carrying the open
// elements (a block comment, a string) from one line to the next.
#pragma once

#include <functional>

#include "console/cells.h"
#include "editor/syntaxdef.h"

// The state between lines: the open elements.
using SyntaxHighlighterState = CContextStack;

class SyntaxHighlighter : public SyntaxHighlighterState {
public:
    // How far back the state of a page is rebuilt from.
    static constexpr int kLookBack = 1000;

    // Loads the definition for file_name, empties the stack and returns
    // whether any section matched (highlighting is then on).
    bool LoadDef(const Westring& def_file, const Westring& file_name);
    void Disable() { enabled = false; }

    // Colours one line (out gets the cells, tabs expanded) and moves the
    // stack on past it.
    void ProcessLine(const wchar_t* text, CellString& out);

    // The element that starts at text, or null; len gets its length.
    CSyntaxElement* TestElementStart(const wchar_t* text, const CSyntaxElement* open_element, int& len);
    // The state change triggered at text, or null; len gets its length.
    CSyntaxStateChange* TestStateChange(const wchar_t* text, const CSyntaxElement* open_element, int& len);
    // Appends c as the screen shows it: 7 and 8 as a blank, a tab as blanks
    // up to the next tab stop counted from the start of out.
    static void AddChar(CellString& out, wchar_t c, unsigned char colour);

    // The state at the start of line first_line (from 0), rebuilt by
    // colouring the up to kLookBack lines before it; line_text gives a
    // line's text. The result is also kept as saved_state.
    void ReestablishSyntaxState(int first_line, const std::function<const wchar_t*(int line)>& line_text);

    SyntaxDef def;
    bool enabled = false;
    SyntaxHighlighterState saved_state;

private:
    CellString scratch_;
};
