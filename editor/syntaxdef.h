// A syntax definition: the rules of every section of a definition file
// ("syntax.ini") whose file-name mask matches the file shown.
#pragma once

#include <memory>
#include <vector>

#include "editor/syntaxelements.h"
#include "editor/syntaxsets.h"
#include "exec/environment.h"
#include "lib/westring.h"

class CIniStack;

class SyntaxDef {
public:
    SyntaxDef();
    ~SyntaxDef();
    SyntaxDef(const SyntaxDef&) = delete;
    SyntaxDef& operator=(const SyntaxDef&) = delete;

    // Forgets every rule and message.
    void Clear();
    // Reads def_file (the "!include"d files resolved against its folder)
    // for the file named file_name (only its last component counts).
    // Returns whether any section matched. Whatever was wrong in the files
    // is told in messages(); nothing is shown from here.
    bool Load(const Westring& def_file, const Westring& file_name);

    // The word characters inside element (null: at the top level).
    const CWordChars* GetWordChars(CSyntaxElement* element);

    const std::vector<Westring>& messages() const { return messages_; }

    unsigned char default_colour;
    std::vector<std::unique_ptr<CWordChars>> word_chars;  // the first, without context, always exists
    std::vector<std::unique_ptr<SyntaxWordList>> word_lists;
    std::vector<std::unique_ptr<SyntaxSymbolList>> symbol_lists;
    std::vector<SyntaxNumber> numbers;
    std::vector<CSyntaxElement*> elements;  // owned, in file order
    std::vector<std::unique_ptr<CSyntaxStateChange>> state_changes;
    wchar_t default_escape = kNoEscape;
    KeyedValueSet colour_classes;

private:
    struct RuleKey;
    std::vector<Westring> messages_;
    std::vector<CSyntaxElement*> default_escape_users_;  // strings with no escape field
    const CWordChars* top_word_chars_ = nullptr;

    void ReadColourClass(CIniStack& files, const Estring& line);
    void ReadRule(CIniStack& files, const Estring& line);
    // The attribute of a colour field, a class name or colour words; false
    // (with a message) when it names neither.
    bool ParseColour(CIniStack& files, const Estring& field, unsigned char& attr);
    void AddElement(CSyntaxElement* element, const RuleKey& key);
};

// Whether text is made of colour words Str2Attr knows ("bright white on
// blue"); an empty text is the default colour.
bool IsColourText(const char* text);
