#include "editor/syntaxelements.h"

#include <cstring>
#include <cwctype>

int MatchPrefix(const wchar_t* text, const Westring& prefix, bool ignore_case) {
    const wchar_t* p = prefix.c_str();
    if (!*p) return 0;
    int i = 0;
    if (ignore_case) {
        for (; p[i]; i++)
            if (!text[i] || std::towlower(static_cast<wint_t>(text[i])) != std::towlower(static_cast<wint_t>(p[i])))
                return 0;
    } else {
        for (; p[i]; i++)
            if (text[i] != p[i]) return 0;  // also stops at the end of text
    }
    return i;
}

bool CSyntaxBlock::TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const {
    len = MatchPrefix(text, start, ignore_case);
    return len > 0 && TestContext(open_element);
}

bool CSyntaxBlock::TestEnd(const wchar_t* text, int& len) const {
    len = MatchPrefix(text, end, ignore_case);
    return len > 0;
}

bool CSyntaxLiteralString::TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const {
    len = 1;
    return *text && *text == opening && TestContext(open_element);
}

bool CSyntaxLiteralString::TestEnd(const wchar_t* text, int& len) const {
    len = 1;
    return *text && *text == closing;
}

bool CSyntaxLineComment::TestStart(const wchar_t* text, const CSyntaxElement* open_element, int& len) const {
    len = MatchPrefix(text, start, false);
    return len > 0 && TestContext(open_element);
}

bool CContextStack::Push(CSyntaxElement* element) {
    if (!element || full()) return false;
    stack_[depth_++] = element;
    return true;
}

bool CContextStack::operator==(const CContextStack& other) const {
    return depth_ == other.depth_ && std::memcmp(stack_, other.stack_, depth_ * sizeof stack_[0]) == 0;
}

bool CSyntaxStateChange::Test(const wchar_t* text, const CSyntaxElement* open_element, int& len) const {
    len = MatchPrefix(text, trigger, ignore_case);
    return len > 0 && context.Test(open_element);
}

void CSyntaxStateChange::DoChange(CContextStack& stack, const std::vector<CSyntaxElement*>& elements) {
    if (!resolved_) {
        resolved_ = true;
        if (!target_name.empty())
            for (CSyntaxElement* element : elements)
                if (std::strcmp(element->name.c_str(), target_name.c_str()) == 0) {
                    target_ = element;
                    break;
                }
    }
    if (type == SYNTAX_POP || type == SYNTAX_POP_PUSH) stack.Pop();
    // A push onto a full stack is dropped; the stack keeps its cap.
    if ((type == SYNTAX_PUSH || type == SYNTAX_POP_PUSH) && target_) (void)stack.Push(target_);
}

void CContextStack::DropLineBound() {
    int kept = 0;
    for (int i = 0; i < depth_; i++)
        if (!stack_[i]->line_bound && !stack_[i]->word_bound) stack_[kept++] = stack_[i];
    depth_ = kept;
}
