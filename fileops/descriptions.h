// File descriptions: the "descript.ion" file of a directory gives files a
// one-line description each. Copying, moving and deleting a file carry its
// line along; none of these ever fails visibly.
//
// A line is the file name, blanks, then the description up to the line end
// ("\r\n" when written here). The name is in double quotes when it holds a
// blank or a double quote, each double quote inside written twice; a bare
// name and a quoted one without doubled quotes read as they always have. A
// name with a line feed or a carriage return cannot be stored. Lines of any
// length are handled. Only a regular file is taken for a description file:
// a FIFO or a device of that name is never opened for use, nor waited on.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lib/stdfile.h"
#include "lib/westring.h"

// The description file's own name.
extern const wchar_t* const kDescFileName;
// Whether name is the description file's name, ignoring case (listings skip it).
bool IsDescFileName(const wchar_t* name);

// Opens the description file that belongs to path: the directory part of
// path followed by "descript.ion" (the current directory's when path has no
// "/"). name receives the last component of path when given. Read only, or
// for reading and writing (creating the file when create is set); a writer
// holds an exclusive lock and waits up to about five seconds for another
// writer's. 0 or the open error.
[[nodiscard]] int open_desc(const wchar_t* path, Westring* name, StdFile& file, bool write, bool create);
// Opens the description file desc itself (see open_desc).
[[nodiscard]] int open_desc_file(const Westring& desc, StdFile& file, bool write, bool create);
// The description file inside dir itself, read only. 0 or the open error.
[[nodiscard]] int open_dir_desc(const Westring& dir, StdFile& file);

// Whether a file of this name can have a description line: not an empty
// name, nor one with a line feed or a carriage return, which would break
// its line in two.
bool DescStorableName(const Westring& name);

// What becomes of lines of one description file: each name gets a new
// description, or loses its line (no text). A later change of a name
// replaces the earlier one; the new lines follow in the order first given.
class DescChanges {
public:
    void Set(const Westring& name, std::optional<std::string> text);
    // The change of name, or null when it has none.
    const std::optional<std::string>* Find(const Westring& name) const;
    bool empty() const { return changes_.empty(); }
    size_t size() const { return changes_.size(); }
    bool AddsLines() const;
    const std::vector<std::pair<Westring, std::optional<std::string>>>& InOrder() const { return changes_; }

private:
    std::vector<std::pair<Westring, std::optional<std::string>>> changes_;
    std::unordered_map<std::wstring, size_t> index_;
};

// Applies changes to the description file desc in one pass: every line of a
// changed name goes (a second line another program wrote included), and
// each new description is appended. The file is created only for a new
// line, and deleted when left empty (emptied set). 0 or the error number.
[[nodiscard]] int apply_desc_changes(const Westring& desc, const DescChanges& changes, bool* emptied = nullptr);
// The description file that belongs to path (see open_desc).
Westring desc_file_of(const Westring& path);

// Replaces the description of path by text (bytes written as they are, a
// line break turned into a blank). 0 or the error number; EINVAL without a
// line written for a name DescStorableName refuses, which is told through
// fileops_hooks.desc_not_stored.
[[nodiscard]] int write_desc(const wchar_t* path, const char* text);
// Removes the description lines of path. 1 when the description file became
// empty and was deleted, else 0.
int delete_desc(const wchar_t* path);
// A description made one line: each line break becomes a blank.
std::string one_line(const char* text);
// Tells through fileops_hooks.desc_not_stored that path, whose name
// DescStorableName refuses, cannot have a description.
void tell_desc_not_stored(const Westring& path);

// The whole of an open description file, read through its descriptor from
// the start, so that what another handle changed is seen as it is now.
[[nodiscard]] bool read_desc_text(StdFile& file, std::string& out);
// Calls visit with the name and the description of each line of text.
void for_each_desc_line(const std::string& text,
                        const std::function<void(const Westring& name, std::string description)>& visit);

// The name at the start of one line (after blanks; in double quotes, with
// "" for a quote inside, or up to the first blank); returns the position
// just after it.
const char* fname_from_desc(const char* line, Westring& name);

// Before a moved directory is removed: the lines still in its description
// file (for names that never arrived in dst_dir's description file) are
// appended there, and the source's description file is deleted. 0 when no
// description file is left in src_dir, else the error number.
[[nodiscard]] int carry_desc_leftovers(const Westring& src_dir, const Westring& dst_dir);
