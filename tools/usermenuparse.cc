#include "tools/usermenuparse.h"

#include "tools/usermenukeytext.h"

namespace {

bool same(const Westring& text, const wchar_t* expected) { return SameChars(text, Westring(expected)); }

// Whether the line's first nine characters are "!include " in any case.
bool is_include_line(const Westring& line) {
    static const wchar_t kInclude[] = L"!include ";
    const wchar_t* text = line.c_str();
    for (int i = 0; kInclude[i]; i++) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c += L'a' - L'A';
        if (c != kInclude[i]) return false;  // also at the end of the line
    }
    return true;
}

// The state of one reading: the menus open (the top menu first, the
// submenu being read last) and the files open (the first file first).
// Nesting is kept on these stacks, never on the call stack.
class MenuParser {
public:
    MenuParser(MenuStore& menu, MenuIncludeOpener& opener, std::vector<MenuProblem>& problems)
        : opener_(opener), problems_(problems) {
        menus_.push_back(&menu);
    }

    void Run(MenuLineSource& source) {
        files_.push_back({&source, nullptr, 0});
        Westring line;
        while (!files_.empty()) {
            if (files_.back().source->NextLine(line, problems_)) Line(line);
            else EndFile();
        }
    }

private:
    struct OpenFile {
        MenuLineSource* source;
        std::unique_ptr<MenuLineSource> owned;  // null for the first file, the caller's
        size_t menu_base;  // the index in menus_ of the menu the file's entries go into
    };

    void Line(const Westring& raw);
    void Header(const Westring& line);
    void Command(const Westring& text);
    void OpenSubmenu();
    void CloseMenu();
    void Include(const Westring& name);
    void EndFile();
    int submenu_depth() const { return static_cast<int>(menus_.size()) - 1; }

    MenuIncludeOpener& opener_;
    std::vector<MenuProblem>& problems_;
    std::vector<MenuStore*> menus_;
    std::vector<OpenFile> files_;
    MenuEntry* current_ = nullptr;  // the entry command lines go to, if any
    bool after_header_ = false;     // the last line that counted started an entry
    int left_out_depth_ = 0;        // submenus being skipped, nested too deep
    int includes_ = 0;              // include lines followed so far
};

void MenuParser::Line(const Westring& raw) {
    const Westring line = raw.rtrim();
    const Westring text = line.ltrim();
    if (same(text, L"{")) return OpenSubmenu();
    if (same(text, L"}")) return CloseMenu();
    if (is_include_line(line)) return Include(line.mid(9).trim());
    if (text.strlen() < line.strlen()) return Command(text);
    Header(line);
}

void MenuParser::Header(const Westring& line) {
    const int colon = line.chr(L':');
    // A line without a colon after its first character is no entry: it
    // changes nothing, so that notes may stand anywhere.
    if (colon < 1) return;
    Westring key = line.left(colon).trim();
    key.upcase();
    const int code = MenuKeyCode(key);
    current_ = nullptr;
    after_header_ = code != 0;
    // An entry with an unusable key is dropped with its command lines.
    if (code == 0 || left_out_depth_ > 0) return;
    auto entry = std::make_unique<MenuEntry>();
    entry->key_code = code;
    entry->key_text = key;
    entry->title = line.mid(colon + 1).trim();
    MenuEntry* added = entry.get();
    if (menus_.back()->Add(std::move(entry))) current_ = added;
    else after_header_ = false;
}

void MenuParser::Command(const Westring& text) {
    if (text.empty()) return;
    after_header_ = false;
    if (current_) static_cast<void>(current_->commands.Add(text));
}

void MenuParser::OpenSubmenu() {
    // Anywhere but right after an entry's line it is ignored as text.
    if (!after_header_) return;
    after_header_ = false;
    MenuEntry* owner = current_;
    current_ = nullptr;
    if (left_out_depth_ > 0 || !owner || submenu_depth() >= kMaxSubmenuDepth) {
        if (left_out_depth_ == 0)
            AddMenuProblem(problems_, L"Submenus nested too deeply, the deepest left out", files_.back().source->name());
        left_out_depth_++;
        return;
    }
    owner->submenu = std::make_unique<MenuStore>();
    menus_.push_back(owner->submenu.get());
}

void MenuParser::CloseMenu() {
    after_header_ = false;
    current_ = nullptr;
    if (left_out_depth_ > 0) {
        left_out_depth_--;
    } else if (menus_.size() - 1 > files_.back().menu_base) {
        menus_.pop_back();
    } else {
        EndFile();  // at the file's top level it ends the file
    }
}

void MenuParser::Include(const Westring& name) {
    after_header_ = false;
    current_ = nullptr;
    if (left_out_depth_ > 0) return;
    if (static_cast<int>(files_.size()) >= kMaxMenuIncludeDepth) {
        AddMenuProblem(problems_, L"Included menus nested too deeply", name);
        return;
    }
    if (includes_ >= kMaxMenuIncludes) {
        AddMenuProblem(problems_, L"Too many included menus, the rest left out", files_.front().source->name());
        return;
    }
    includes_++;
    std::unique_ptr<MenuLineSource> source = opener_.Open(*files_.back().source, name, problems_);
    if (!source) return;
    for (const OpenFile& open : files_) {
        if (open.source->id() == source->id()) {
            AddMenuProblem(problems_, Westring(L"Menu file includes itself: ") + source->name(), Westring());
            return;
        }
    }
    MenuLineSource* raw = source.get();
    files_.push_back({raw, std::move(source), menus_.size() - 1});
}

// The file's submenus left open end with it.
void MenuParser::EndFile() {
    menus_.resize(files_.back().menu_base + 1);
    files_.pop_back();
    left_out_depth_ = 0;
    current_ = nullptr;
    after_header_ = false;
}

}  // namespace

void AddMenuProblem(std::vector<MenuProblem>& problems, const Westring& message, const Westring& name) {
    for (const MenuProblem& problem : problems)
        if (SameChars(problem.message, message) && SameChars(problem.name, name)) return;
    problems.push_back({message, name});
}

void ParseMenu(MenuStore& menu, MenuLineSource& source, MenuIncludeOpener& opener, std::vector<MenuProblem>& problems) {
    MenuParser parser(menu, opener, problems);
    parser.Run(source);
}
