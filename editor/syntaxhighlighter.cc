#include "editor/syntaxhighlighter.h"

#include "config/config.h"

namespace {

// Tab stops wider than this are taken as this, so that no setting can make
// one character take unbounded room.
constexpr int kMaxTabWidth = 256;

int TabStop() {
    int width = config.TabWidth;
    return width < 1 ? 1 : width > kMaxTabWidth ? kMaxTabWidth : width;
}

}  // namespace

bool SyntaxHighlighter::LoadDef(const Westring& def_file, const Westring& file_name) {
    Clear();
    saved_state.Clear();
    enabled = def.Load(def_file, file_name);
    return enabled;
}

void SyntaxHighlighter::AddChar(CellString& out, wchar_t c, unsigned char colour) {
    if (c == 7 || c == 8) c = L' ';
    if (c == L'\t') {
        int width = TabStop();
        int blanks = width - out.length() % width;
        for (int i = 0; i < blanks; i++) out += ScreenCell(L' ', colour);
        return;
    }
    out.Append(&c, colour, 1);
}

CSyntaxElement* SyntaxHighlighter::TestElementStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) {
    for (CSyntaxElement* element : def.elements)
        if (element->TestStart(text, open_element, len)) return element;
    len = 0;
    return nullptr;
}

CSyntaxStateChange* SyntaxHighlighter::TestStateChange(const wchar_t* text, const CSyntaxElement* open_element,
                                                       int& len) {
    for (const auto& change : def.state_changes)
        if (change->Test(text, open_element, len)) return change.get();
    len = 0;
    return nullptr;
}

void SyntaxHighlighter::ProcessLine(const wchar_t* text, CellString& out) {
    out.SetLength(0);
    out.set_default_attr(def.default_colour);
    if (!text) return;
    if (!enabled) {
        for (const wchar_t* p = text; *p; p++) AddChar(out, *p, def.default_colour);
        return;
    }
    // Every pass of the loop takes at least one character or closes one
    // open element, and no element has an empty opening, so a line of n
    // characters takes at most n + 64 passes per character.
    const wchar_t* p = text;
    while (*p) {
        CSyntaxElement* open = Top();
        int len = 0;
        if (open && open->TestEnd(p, len) && len > 0) {
            out.Append(p, open->colour, len);
            p += len;
            Pop();
            continue;
        }
        if (!full()) {
            if (CSyntaxElement* element = TestElementStart(p, open, len)) {
                out.Append(p, element->colour, len);
                p += len;
                (void)Push(element);
                continue;
            }
        }
        if (CSyntaxStateChange* change = TestStateChange(p, open, len)) {
            change->DoChange(*this, def.elements);
            out.Append(p, change->colour, len);
            p += len;
            continue;
        }
        unsigned char colour = open ? open->colour : def.default_colour;
        const CWordChars* word_chars = def.GetWordChars(open);
        if (word_chars->Test(*p)) {
            const wchar_t* start = p;
            while (*p && word_chars->Test(*p)) p++;
            int n = static_cast<int>(p - start);
            if (*start >= L'0' && *start <= L'9') {
                for (const SyntaxNumber& number : def.numbers)
                    if (number.context.Test(open)) colour = number.colour;
            } else {
                for (const auto& list : def.word_lists)
                    if (list->context.Test(open) && list->Contains(start, n)) {
                        colour = list->colour;
                        break;
                    }
            }
            out.Append(start, colour, n);
            continue;
        }
        if (open && open->word_bound) {
            // The element ended with its word; the character is looked at
            // again outside it.
            Pop();
            continue;
        }
        for (const auto& set : def.symbol_lists)
            if (set->Test(*p) && set->context.Test(open)) colour = set->colour;
        if (open && open->escape != kNoEscape && *p == open->escape && p[1]) {
            AddChar(out, p[0], colour);
            AddChar(out, p[1], colour);
            p += 2;
            continue;
        }
        AddChar(out, *p, colour);
        p++;
    }
    DropLineBound();
}

void SyntaxHighlighter::ReestablishSyntaxState(int first_line,
                                               const std::function<const wchar_t*(int line)>& line_text) {
    Clear();
    if (enabled) {
        int from = first_line > kLookBack ? first_line - kLookBack : 0;
        for (int line = from; line < first_line; line++) ProcessLine(line_text(line), scratch_);
    }
    saved_state = *this;
}
