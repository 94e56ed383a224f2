#include "editor/syntaxdef.h"

#include <cstring>
#include <cwctype>

#include "console/cells.h"
#include "editor/syntaxinistack.h"
#include "lib/wild.h"

namespace {

// The text up to the first unescaped ':' of p, with the escaping '\'
// removed when escaped is set; p moves past the ':' (or to the end).
// Returns false when no field is left.
bool NextField(const char*& p, Estring& field, bool escaped) {
    field = "";
    if (!p) return false;
    const char* start = p;
    while (*p && *p != ':') {
        if (escaped && *p == '\\' && p[1]) {
            field.append(start, static_cast<int>(p - start));
            p++;
            start = p;  // the escaped character is kept as it is
        }
        p++;
    }
    field.append(start, static_cast<int>(p - start));
    if (*p == ':') p++;
    else p = nullptr;  // this was the last field
    return true;
}

// The first character of a UTF-8 field, or 0 when it is empty.
wchar_t FirstChar(const Estring& field) {
    Westring wide(field.c_str());
    return wide.c_str()[0];
}

Westring Quoted(const Estring& text) { return L"\"" + Westring(text.c_str()) + L"\""; }

}  // namespace

bool IsColourText(const char* text) {
    const char* p = text;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        const char* word = p;
        while (*p && *p != ' ' && *p != '\t') p++;
        int n = static_cast<int>(p - word);
        if (n == 2 && strncasecmp(word, "on", 2) == 0) continue;
        if (n < 3) return false;
        if (strncasecmp(word, "bri", 3) == 0) continue;
        bool known = false;
        for (const char* name : colournames)
            if (strncasecmp(word, name, 3) == 0) known = true;
        if (!known) return false;
    }
    return true;
}

// The key of a rule line: its word, context list and flag letters.
struct SyntaxDef::RuleKey {
    Estring word;
    CSyntaxContext context;
    bool has_context = false;
    bool ignore_case = false;
    bool line_bound = false;
    bool word_bound = false;

    // False when the key is malformed (an unclosed context list).
    bool Parse(const Estring& key) {
        const char* p = key.c_str();
        const char* end = p + std::strcspn(p, "(/");
        word = Estring(p, static_cast<int>(end - p)).trim();
        p = end;
        if (*p == '(') {
            const char* close = std::strchr(p, ')');
            if (!close) return false;
            context.Set(Estring(p + 1, static_cast<int>(close - p - 1)).c_str());
            has_context = true;
            p = close + 1;
            while (*p == ' ') p++;
        }
        if (*p == '/') {
            for (p++; *p; p++) {
                if (*p == 'i' || *p == 'I') ignore_case = true;
                else if (*p == 'l' || *p == 'L') line_bound = true;
                else if (*p == 'w' || *p == 'W') word_bound = true;
            }
        } else if (*p) {
            return false;
        }
        return !word.empty();
    }
};

SyntaxDef::SyntaxDef() { Clear(); }

SyntaxDef::~SyntaxDef() {
    for (CSyntaxElement* element : elements) delete element;
}

void SyntaxDef::Clear() {
    default_colour = colours[CLR_FILE_VIEWER];
    word_chars.clear();
    word_chars.push_back(std::make_unique<CWordChars>());
    word_lists.clear();
    symbol_lists.clear();
    numbers.clear();
    // The state changes point into the elements, so they go first.
    state_changes.clear();
    for (CSyntaxElement* element : elements) delete element;
    elements.clear();
    default_escape = kNoEscape;
    colour_classes.DestroyAll();
    messages_.clear();
    default_escape_users_.clear();
    top_word_chars_ = nullptr;
}

const CWordChars* SyntaxDef::GetWordChars(CSyntaxElement* element) {
    const CWordChars*& cached = element ? element->word_chars : top_word_chars_;
    if (!cached) {
        for (const auto& set : word_chars)
            if (set->context.Test(element)) {
                cached = set.get();
                break;
            }
        if (!cached) cached = word_chars.front().get();
    }
    return cached;
}

bool SyntaxDef::Load(const Westring& def_file, const Westring& file_name) {
    Clear();
    CIniStack files(messages_);
    if (!files.Open(def_file)) return false;
    Westring folder = def_file.path();
    if (folder.empty() && def_file.c_str()[0] == L'/') folder = L"/";
    const Westring shown = file_name.filename();

    enum { OTHER, CLASSES, MATCHING } section = OTHER;
    bool matched = false;
    Estring line;
    while (files.gets(line)) {
        const char* text = line.c_str();
        if (!*text || *text == ';' || *text == '#') continue;
        if (std::strncmp(text, "!include", 8) == 0 && (text[8] == ' ' || text[8] == '\t' || !text[8])) {
            Westring name = Westring(text + 8).trim();
            if (name.empty()) {
                files.Report(L"an include names no file");
                continue;
            }
            if (name.c_str()[0] != L'/' && !folder.empty()) name = folder.AppendBackslash() + name;
            (void)files.Open(name);  // a failure is reported and the include skipped
            continue;
        }
        if (*text == '[') {
            int n = line.strlen();
            section = OTHER;
            if (n < 2 || text[n - 1] != ']') {
                files.Report(L"a section header does not end with ']'");
                continue;
            }
            Estring header = Estring(text + 1, n - 2).trim();
            if (strcasecmp(header.c_str(), "Colour Classes") == 0 || strcasecmp(header.c_str(), "Color Classes") == 0) {
                section = CLASSES;
                continue;
            }
            int colon = header.chr(':');
            if (colon < 0) {
                files.Report(L"the section " + Quoted(header) + L" has no file mask after a ':'");
                continue;
            }
            Westring mask = Westring(header.mid(colon + 1).trim().c_str());
            if (!mask.empty() && wild(mask.c_str(), shown.c_str())) {
                section = MATCHING;
                matched = true;
            }
            continue;
        }
        if (section == CLASSES) ReadColourClass(files, line);
        else if (section == MATCHING) ReadRule(files, line);
    }
    for (CSyntaxElement* element : default_escape_users_) element->escape = default_escape;
    default_escape_users_.clear();
    return matched;
}

void SyntaxDef::ReadColourClass(CIniStack& files, const Estring& line) {
    int colon = line.chr(':');
    if (colon <= 0) {
        files.Report(L"a colour class needs the form name:colour");
        return;
    }
    Estring name = line.left(colon).trim();
    Estring colour = line.mid(colon + 1).trim();
    if (name.empty() || !IsColourText(colour.c_str())) {
        files.Report(L"unknown colour " + Quoted(colour) + L" for the class " + Quoted(name));
        return;
    }
    if (KeyedValue* existing = colour_classes.FindItem(name.c_str())) {
        existing->value = colour;
        return;
    }
    auto* item = new KeyedValue{name, colour};
    if (colour_classes.AddItem(item) != 0) delete item;
}

bool SyntaxDef::ParseColour(CIniStack& files, const Estring& field, unsigned char& attr) {
    Estring text = field.trim();
    if (const KeyedValue* cls = colour_classes.FindItem(text.c_str())) text = cls->value;
    else if (!IsColourText(text.c_str())) {
        files.Report(L"unknown colour or colour class " + Quoted(text));
        return false;
    }
    attr = Str2Attr(text.c_str(), colours[CLR_FILE_VIEWER]);
    return true;
}

void SyntaxDef::AddElement(CSyntaxElement* element, const RuleKey& key) {
    element->line_bound = element->line_bound || key.line_bound;
    element->word_bound = key.word_bound;
    elements.push_back(element);
}

void SyntaxDef::ReadRule(CIniStack& files, const Estring& line) {
    const char* p = line.c_str();
    Estring key_text, colour_field, field;
    if (!NextField(p, key_text, false) || !p) {
        files.Report(L"a rule needs the form key:colour:arguments");
        return;
    }
    RuleKey key;
    if (!key.Parse(key_text)) {
        files.Report(L"the rule key " + Quoted(key_text) + L" is malformed");
        return;
    }
    const char* word = key.word.c_str();
    const Estring rest_all(p);

    if (std::strcmp(word, "wordchars") == 0) {
        CWordChars* set = nullptr;
        if (!key.has_context || key.context.text().trim().empty()) set = word_chars.front().get();
        for (size_t i = 1; !set && i < word_chars.size(); i++)
            if (std::strcmp(word_chars[i]->context.text().c_str(), key.context.text().c_str()) == 0)
                set = word_chars[i].get();
        if (!set) {
            word_chars.push_back(std::make_unique<CWordChars>());
            set = word_chars.back().get();
            set->context = key.context;
        }
        set->Add(Westring(rest_all.c_str()).c_str());
        return;
    }
    if (std::strcmp(word, "escape") == 0) {
        default_escape = FirstChar(rest_all);
        return;
    }

    NextField(p, colour_field, false);
    unsigned char colour = default_colour;
    if (!ParseColour(files, colour_field, colour)) return;
    const Estring rest = p ? Estring(p) : Estring();

    if (std::strcmp(word, "number") == 0) {
        numbers.push_back(SyntaxNumber{colour, key.context});
    } else if (std::strcmp(word, "words") == 0) {
        auto list = std::make_unique<SyntaxWordList>(key.ignore_case);
        list->colour = colour;
        list->context = key.context;
        Westring words(rest.c_str());
        const wchar_t* w = words.c_str();
        while (*w) {
            while (*w && std::iswspace(static_cast<wint_t>(*w))) w++;
            const wchar_t* start = w;
            while (*w && !std::iswspace(static_cast<wint_t>(*w))) w++;
            list->AddWord(start, static_cast<int>(w - start));
        }
        word_lists.push_back(std::move(list));
    } else if (std::strcmp(word, "symbols") == 0) {
        auto set = std::make_unique<SyntaxSymbolList>();
        set->colour = colour;
        set->context = key.context;
        set->Add(Westring(rest.c_str()).c_str());
        symbol_lists.push_back(std::move(set));
    } else if (std::strcmp(word, "linecomment") == 0) {
        Westring start(rest.trim().c_str());
        if (start.empty()) {
            files.Report(L"a line comment with no start text is ignored");
            return;
        }
        AddElement(new CSyntaxLineComment(key.context, colour, start), key);
    } else if (std::strcmp(word, "blockcomment") == 0 || std::strcmp(word, "state") == 0) {
        const bool state = word[0] == 's';
        Estring name = "blockcomment", start, end;
        const char* q = rest.c_str();
        if (state) {
            if (!NextField(q, name, false) || !q || name.trim().empty()) {
                files.Report(L"a state needs the form state:colour:name:start[:end]");
                return;
            }
            name = name.trim();
        }
        NextField(q, start, false);
        if (q) end = q;
        if (start.empty()) {
            files.Report(L"a block with no start text is ignored");
            return;
        }
        if (!state && !q && !key.line_bound && !key.word_bound) {
            files.Report(L"a block comment needs the form blockcomment:colour:start:end");
            return;
        }
        AddElement(new CSyntaxBlock(name.c_str(), key.context, colour, Westring(start.c_str()), Westring(end.c_str()),
                                    key.ignore_case),
                   key);
    } else if (std::strcmp(word, "string") == 0) {
        const char* q = rest.c_str();
        Estring opening, closing, escape;
        NextField(q, opening, false);
        NextField(q, closing, false);
        bool has_escape = q && NextField(q, escape, false);
        wchar_t open_char = FirstChar(opening);
        wchar_t close_char = FirstChar(closing);
        if (!open_char) {
            files.Report(L"a string with no opening character is ignored");
            return;
        }
        if (!close_char) close_char = open_char;
        auto* element = new CSyntaxLiteralString(key.context, colour, open_char, close_char);
        if (has_escape) element->escape = FirstChar(escape);
        else default_escape_users_.push_back(element);
        AddElement(element, key);
    } else if (std::strcmp(word, "statechange") == 0) {
        const char* q = rest.c_str();
        Estring trigger, action, target;
        NextField(q, trigger, true);
        if (!q || !NextField(q, action, true)) {
            files.Report(L"a state change needs the form statechange:colour:trigger:action:target");
            return;
        }
        if (q) NextField(q, target, true);
        if (trigger.empty()) {
            files.Report(L"a state change with no trigger text is ignored");
            return;
        }
        action = action.trim();
        SyntaxChangeType type = std::strcmp(action.c_str(), "push") == 0  ? SYNTAX_PUSH
                                : std::strcmp(action.c_str(), "pop") == 0 ? SYNTAX_POP
                                                                          : SYNTAX_POP_PUSH;
        state_changes.push_back(std::make_unique<CSyntaxStateChange>(
            key.context, colour, Westring(trigger.c_str()), type, target.trim().c_str(), key.ignore_case));
    } else {
        files.Report(L"unknown rule " + Quoted(key.word));
    }
}
