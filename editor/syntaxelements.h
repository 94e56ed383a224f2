// The elements of a syntax definition that stay open across characters and
// lines (blocks, strings, line comments and named states), the state
// changes that open and close them by trigger texts, and the stack of open
// elements carried from one line to the next.
#pragma once

#include <vector>

#include "editor/syntaxcontext.h"
#include "lib/estring.h"
#include "lib/westring.h"

class CWordChars;

// No escape character.
constexpr wchar_t kNoEscape = 0;

class CSyntaxElement {
public:
    CSyntaxElement(const char* element_name, const CSyntaxContext& element_context, unsigned char element_colour)
        : name(element_name), context(element_context), colour(element_colour) {}
    virtual ~CSyntaxElement() = default;
    CSyntaxElement(const CSyntaxElement&) = delete;
    CSyntaxElement& operator=(const CSyntaxElement&) = delete;

    // Whether the element starts at text with open_element open; len gets
    // the characters its opening takes.
    virtual bool TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const = 0;
    // Whether the open element ends at text; len gets the characters its
    // closing takes.
    virtual bool TestEnd(const wchar_t* text, int& len) const = 0;
    bool TestContext(const CSyntaxElement* open_element) const { return context.Test(open_element); }

    Estring name;
    CSyntaxContext context;
    unsigned char colour;
    bool line_bound = false;   // ends at the end of the line
    bool word_bound = false;   // ends at the first character that is not a word character
    wchar_t escape = kNoEscape;
    // The word characters inside the element, found once on first use.
    const CWordChars* word_chars = nullptr;
};

// The length of prefix when text begins with it (compared without regard to
// case when ignore_case is set), else 0. An empty prefix never matches.
int MatchPrefix(const wchar_t* text, const Westring& prefix, bool ignore_case);

// A block between a start and an end text.
class CSyntaxBlock : public CSyntaxElement {
public:
    CSyntaxBlock(const char* block_name, const CSyntaxContext& block_context, unsigned char block_colour,
                 const Westring& start_text, const Westring& end_text, bool case_insensitive)
        : CSyntaxElement(block_name, block_context, block_colour), start(start_text), end(end_text),
          ignore_case(case_insensitive) {}

    bool TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const override;
    bool TestEnd(const wchar_t* text, int& len) const override;

    Westring start, end;  // an empty end never matches
    bool ignore_case;
};

// A string between an opening and a closing character.
class CSyntaxLiteralString : public CSyntaxElement {
public:
    CSyntaxLiteralString(const CSyntaxContext& string_context, unsigned char string_colour, wchar_t opening_char,
                         wchar_t closing_char)
        : CSyntaxElement("string", string_context, string_colour), opening(opening_char), closing(closing_char) {}

    bool TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const override;
    bool TestEnd(const wchar_t* text, int& len) const override;

    wchar_t opening, closing;
};

// A comment from its start text to the end of the line.
class CSyntaxLineComment : public CSyntaxElement {
public:
    CSyntaxLineComment(const CSyntaxContext& comment_context, unsigned char comment_colour, const Westring& start_text)
        : CSyntaxElement("linecomment", comment_context, comment_colour), start(start_text) {
        line_bound = true;
    }

    bool TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const override;
    bool TestEnd(const wchar_t*, int& len) const override {
        len = 0;
        return false;
    }

    Westring start;
};

// The open elements, innermost on top. The stack does not own them; they
// belong to the definition. Its depth is capped so that no definition can
// make it grow without end: a push beyond the cap is refused.
class CContextStack {
public:
    static constexpr int kMaxDepth = 64;

    [[nodiscard]] bool Push(CSyntaxElement* element);
    void Pop() {
        if (depth_ > 0) depth_--;
    }
    CSyntaxElement* Top() const { return depth_ > 0 ? stack_[depth_ - 1] : nullptr; }
    void Clear() { depth_ = 0; }
    int depth() const { return depth_; }
    bool full() const { return depth_ >= kMaxDepth; }
    CSyntaxElement* At(int i) const { return i >= 0 && i < depth_ ? stack_[i] : nullptr; }
    // Removes the elements that end with their line, wherever they are: a
    // block comment opened on a preprocessor line outlives that line, but
    // the preprocessor state does not.
    void DropLineBound();
    bool operator==(const CContextStack& other) const;

private:
    CSyntaxElement* stack_[kMaxDepth] = {};
    int depth_ = 0;
};

enum SyntaxChangeType { SYNTAX_PUSH = 0, SYNTAX_POP = 1, SYNTAX_POP_PUSH = 2 };

// A trigger text that pushes or pops elements of the stack.
class CSyntaxStateChange {
public:
    CSyntaxStateChange(const CSyntaxContext& change_context, unsigned char change_colour, const Westring& trigger_text,
                       SyntaxChangeType change_type, const char* target, bool case_insensitive)
        : colour(change_colour), context(change_context), trigger(trigger_text), type(change_type),
          target_name(target), ignore_case(case_insensitive) {}

    bool Test(const wchar_t* text, const CSyntaxElement* open_element, int& len) const;
    // Changes the stack; the target is looked up among elements the first time.
    void DoChange(CContextStack& stack, const std::vector<CSyntaxElement*>& elements);

    unsigned char colour;
    CSyntaxContext context;
    Westring trigger;
    SyntaxChangeType type;
    Estring target_name;
    bool ignore_case;

private:
    CSyntaxElement* target_ = nullptr;
    bool resolved_ = false;
};
