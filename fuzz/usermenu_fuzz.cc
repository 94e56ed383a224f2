// The user menu file's reader (tools/usermenuparse.h) on arbitrary bytes: a
// menu file may come with any directory the user enters. The input is a
// set of files separated by form feeds; "!include N" names the N-th of
// them, so that includes nest, repeat and include themselves. Beyond not
// crashing it checks every entry's key against the key table, the trimming
// of titles and commands, the limits on nesting and on included files, and
// that the menu written out as a file reads back to the same menu.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/check.h"
#include "lib/cellwidth.h"
#include "tools/usermenukeytext.h"
#include "tools/usermenuparse.h"

namespace {

std::vector<Westring> split_lines(const std::string& bytes) {
    std::vector<Westring> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Westring text;
        if (!text.FromUTF8(line.c_str(), line.size())) text = Westring(Estring(line.c_str()));
        lines.push_back(text);
        start = end + 1;
    }
    return lines;
}

int live_sources = 0;
int most_live_sources = 0;

class LinesSource : public MenuLineSource {
public:
    LinesSource(const std::vector<Westring>& lines, const Westring& name, unsigned long long id)
        : MenuLineSource(name, MenuFileId{1, id}), lines_(lines) {
        live_sources++;
        if (live_sources > most_live_sources) most_live_sources = live_sources;
    }
    ~LinesSource() override { live_sources--; }
    bool NextLine(Westring& line, std::vector<MenuProblem>&) override {
        if (next_ >= lines_.size()) return false;
        line = lines_[next_++];
        return true;
    }

private:
    const std::vector<Westring>& lines_;
    size_t next_ = 0;
};

class PieceOpener : public MenuIncludeOpener {
public:
    explicit PieceOpener(const std::vector<std::vector<Westring>>& files) : files_(files) {}
    int opened = 0;

    std::unique_ptr<MenuLineSource> Open(const MenuLineSource&, const Westring& name,
                                         std::vector<MenuProblem>& problems) override {
        unsigned long long index = 0;
        const wchar_t* p = name.c_str();
        if (!*p) index = files_.size();
        for (; *p && index < files_.size(); p++) index = *p >= L'0' && *p <= L'9' ? index * 10 + (*p - L'0') : files_.size();
        if (index >= files_.size()) {
            AddMenuProblem(problems, L"Unable to open included menu", name);
            return nullptr;
        }
        opened++;
        return std::make_unique<LinesSource>(files_[index], name, index);
    }

private:
    const std::vector<std::vector<Westring>>& files_;
};

// Nobody opens anything: the menu written out has no include lines.
class NoOpener : public MenuIncludeOpener {
public:
    std::unique_ptr<MenuLineSource> Open(const MenuLineSource&, const Westring&, std::vector<MenuProblem>&) override {
        fuzz_check(false, "the menu written out includes a file");
        return nullptr;
    }
};

bool trimmed(const Westring& text) { return SameChars(text, text.trim()); }

void check_menu(const MenuStore& menu, int depth) {
    fuzz_check(depth <= kMaxSubmenuDepth, "submenus nest deeper than the limit");
    int widest = 0;
    for (int i = 0; i < menu.count(); i++) {
        const MenuEntry* entry = menu[i];
        const int length = entry->key_text.strlen();
        fuzz_check(length >= 1 && length <= 4, "a key text of an impossible length");
        fuzz_check(entry->key_code != 0 && entry->key_code == MenuKeyCode(entry->key_text), "a key code not of its text");
        Westring upper = entry->key_text;
        upper.upcase();
        fuzz_check(SameChars(upper, entry->key_text), "a key text not upper-cased");
        fuzz_check(entry->key_text.chr(L':') < 0, "a key text holds the colon");
        fuzz_check(trimmed(entry->key_text) && trimmed(entry->title), "a key or title not trimmed");
        widest = std::max(widest, TextCells(entry->key_text.c_str()));
        for (int c = 0; c < entry->commands.count(); c++) {
            const Westring& command = *entry->commands[c];
            fuzz_check(!command.empty() && trimmed(command), "an empty or untrimmed command line");
            fuzz_check(!SameChars(command, Westring(L"{")) && !SameChars(command, Westring(L"}")),
                       "a brace taken as a command");
        }
        if (entry->submenu) {
            fuzz_check(entry->commands.count() == 0, "an entry with both a submenu and commands");
            check_menu(*entry->submenu, depth + 1);
        }
    }
    fuzz_check(widest == menu.key_width(), "the key column is not as wide as the widest key");
}

void write_menu(const MenuStore& menu, std::vector<Westring>& lines) {
    for (int i = 0; i < menu.count(); i++) {
        const MenuEntry* entry = menu[i];
        lines.push_back(entry->key_text + L":" + entry->title);
        for (int c = 0; c < entry->commands.count(); c++) lines.push_back(Westring(L"  ") + *entry->commands[c]);
        if (entry->submenu) {
            lines.push_back(L"{");
            write_menu(*entry->submenu, lines);
            lines.push_back(L"}");
        }
    }
}

void check_same(const MenuStore& a, const MenuStore& b) {
    fuzz_check(a.count() == b.count(), "the menu written out reads back with other entries");
    for (int i = 0; i < a.count() && i < b.count(); i++) {
        const MenuEntry* x = a[i];
        const MenuEntry* y = b[i];
        fuzz_check(x->key_code == y->key_code && SameChars(x->key_text, y->key_text) && SameChars(x->title, y->title),
                   "an entry written out reads back differently");
        fuzz_check(x->commands.count() == y->commands.count(), "an entry's commands read back differently");
        for (int c = 0; c < x->commands.count() && c < y->commands.count(); c++)
            fuzz_check(SameChars(*x->commands[c], *y->commands[c]), "a command reads back differently");
        fuzz_check(!x->submenu == !y->submenu, "a submenu comes or goes when written out");
        if (x->submenu && y->submenu) check_same(*x->submenu, *y->submenu);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::vector<Westring>> files;
    size_t start = 0;
    for (;;) {
        const size_t end = bytes.find('\f', start);
        files.push_back(split_lines(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    live_sources = most_live_sources = 0;
    MenuStore menu;
    std::vector<MenuProblem> problems;
    PieceOpener opener(files);
    {
        LinesSource top(files[0], L"0", 0);
        ParseMenu(menu, top, opener, problems);
    }
    fuzz_check(live_sources == 0, "an included file is left open");
    fuzz_check(most_live_sources <= kMaxMenuIncludeDepth, "included files nest deeper than the limit");
    fuzz_check(opener.opened <= kMaxMenuIncludes, "more included files read than the limit");
    check_menu(menu, 0);

    std::vector<Westring> written;
    write_menu(menu, written);
    MenuStore again;
    std::vector<MenuProblem> none;
    NoOpener no_opener;
    LinesSource source(written, L"written", 0);
    ParseMenu(again, source, no_opener, none);
    check_same(menu, again);
    return 0;
}
