// Reading menu text into a MenuStore. The reading works on lines from any
// source and opens included files through the caller, so that it never
// touches the file system itself: the program reads files with the text
// reader, and the fuzz target feeds it bytes.
//
// The format: a line starting in column 1 with a key, a colon and a title
// starts an entry; lines starting with a blank are its command lines; a
// "{" right after an entry's line opens a submenu for it, up to the
// matching "}"; "!include NAME" reads another menu file into the menu at
// that point.
#pragma once

#include <memory>
#include <vector>

#include "lib/westring.h"
#include "tools/usermenustore.h"

// Something the user is told after reading: message, and the file it is
// about (empty when the message names it).
struct MenuProblem {
    Westring message;
    Westring name;
};

// One menu file, line by line.
class MenuLineSource {
public:
    MenuLineSource(const Westring& name, const MenuFileId& id) : name_(name), id_(id) {}
    virtual ~MenuLineSource() = default;
    MenuLineSource(const MenuLineSource&) = delete;
    MenuLineSource& operator=(const MenuLineSource&) = delete;

    // The next line without its line end; false at the end of the file. A
    // line the source cannot hand over whole is left out and reported.
    virtual bool NextLine(Westring& line, std::vector<MenuProblem>& problems) = 0;

    const Westring& name() const { return name_; }
    const MenuFileId& id() const { return id_; }

private:
    Westring name_;
    MenuFileId id_;
};

// Opens the files include lines name.
class MenuIncludeOpener {
public:
    virtual ~MenuIncludeOpener() = default;
    // The file named (trimmed, as written) by an include line of
    // including; null when it cannot be used, with the reason added to
    // problems.
    virtual std::unique_ptr<MenuLineSource> Open(const MenuLineSource& including, const Westring& name,
                                                 std::vector<MenuProblem>& problems) = 0;
};

// Files may include files this many levels deep (the first file is level 1).
constexpr int kMaxMenuIncludeDepth = 8;
// At most this many include lines are followed in one reading: files that
// include each other several times over would otherwise be read
// exponentially often.
constexpr int kMaxMenuIncludes = 100;
// Submenus nest at most this deep below the top menu; a deeper one is left
// out with its entries.
constexpr int kMaxSubmenuDepth = 16;

// Reads the entries of source (and the files it includes) into menu, until
// the end of source or a "}" at its top level.
void ParseMenu(MenuStore& menu, MenuLineSource& source, MenuIncludeOpener& opener, std::vector<MenuProblem>& problems);

// Adds a problem unless the same one is already there: a file read many
// times over tells its problem once.
void AddMenuProblem(std::vector<MenuProblem>& problems, const Westring& message, const Westring& name);
