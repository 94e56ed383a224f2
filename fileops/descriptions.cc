#include "fileops/descriptions.h"

#include <errno.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "fileops/fileattr.h"
#include "fileops/hooks.h"
#include "fileops/resolvepath.h"
#include "lib/fsname.h"
#include "lib/nls.h"

const wchar_t* const kDescFileName = L"descript.ion";

namespace {

constexpr int kOpenAttempts = 100;
constexpr int kRetryMicroseconds = 50000;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool read_desc_text(StdFile& file, std::string& out) {
    out.clear();
    if (!file.isopen()) return false;
    char chunk[8192];
    off_t offset = 0;
    for (;;) {
        ssize_t n = pread(file.gethandle(), chunk, sizeof chunk, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(chunk, static_cast<size_t>(n));
        offset += n;
    }
}

namespace {

// One line of a description file: where it starts and ends in the text
// (without its line end) and where the next one starts.
struct Line {
    size_t start, end, next;
};

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t feed = text.find('\n', pos);
        size_t next = feed == std::string::npos ? text.size() : feed + 1;
        size_t end = feed == std::string::npos ? text.size() : feed;
        while (end > pos && text[end - 1] == '\r') end--;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

Westring line_name(const std::string& text, const Line& line, size_t* after = nullptr) {
    std::string copy = text.substr(line.start, line.end - line.start);
    Westring name;
    const char* rest = fname_from_desc(copy.c_str(), name);
    if (after) *after = static_cast<size_t>(rest - copy.c_str());
    return name;
}

std::wstring key_of(const Westring& name) { return std::wstring(name.c_str()); }

// The name as a line starts with it: bare, or in double quotes when it
// holds a blank or a double quote, each double quote inside doubled.
std::string quoted_name(const Westring& name) {
    std::string bytes = EncodeFileName(name).c_str();
    if (bytes.find_first_of(" \t\"") == std::string::npos) return bytes;
    std::string out = "\"";
    for (char c : bytes) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return out;
}

bool is_line_break(wchar_t c) { return c == L'\n' || c == L'\r'; }

bool not_a_regular_file(int error) { return error == ENODEV || error == EISDIR; }

}  // namespace

Westring desc_file_of(const Westring& path) {
    int slash = path.rchr(L'/');
    if (slash < 0) return Westring(kDescFileName);
    return path.left(slash + 1) + kDescFileName;
}

// A description is one line: a line break in it would start a line of its own.
std::string one_line(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

void tell_desc_not_stored(const Westring& path) {
    if (fileops_hooks.desc_not_stored)
        fileops_hooks.desc_not_stored(path, Westring(L"A name with a line break cannot have a description"));
}

void DescChanges::Set(const Westring& name, std::optional<std::string> text) {
    auto [at, added] = index_.try_emplace(key_of(name), changes_.size());
    if (added) changes_.emplace_back(name, std::move(text));
    else changes_[at->second].second = std::move(text);
}

const std::optional<std::string>* DescChanges::Find(const Westring& name) const {
    if (name.empty()) return nullptr;
    auto at = index_.find(key_of(name));
    return at == index_.end() ? nullptr : &changes_[at->second].second;
}

bool DescChanges::AddsLines() const {
    for (const auto& change : changes_)
        if (change.second) return true;
    return false;
}

bool IsDescFileName(const wchar_t* name) { return name && nls_stricmp(name, kDescFileName) == 0; }

bool DescStorableName(const Westring& name) {
    if (name.empty()) return false;
    for (int i = 0; name[i]; i++)
        if (is_line_break(name[i])) return false;
    return true;
}

int open_desc_file(const Westring& desc, StdFile& file, bool write, bool create) {
    // Anyone may leave a FIFO or a device under the name: only a regular
    // file is a description file.
    int mode = StdFile::kRegularOnly;
    if (write) mode |= StdFile::kRead | StdFile::kWrite | StdFile::kAppend | (create ? StdFile::kCreate : 0);
    for (int attempt = 0; attempt < kOpenAttempts; attempt++) {
        int result = file.open(desc, mode);
        if (result != 0) return result;
        if (!write) return 0;
        // Another writer holds the file: wait for it. A file system without
        // locks is written without one.
        if (flock(file.gethandle(), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK) return file.rewind();
        (void)file.close();  // nothing written yet
        usleep(kRetryMicroseconds);
    }
    return EACCES;
}

int open_desc(const wchar_t* path, Westring* name, StdFile& file, bool write, bool create) {
    Westring full(path);
    if (name) *name = last_component(full);
    return open_desc_file(desc_file_of(full), file, write, create);
}

int open_dir_desc(const Westring& dir, StdFile& file) {
    return open_desc(join_path(dir, L"x").c_str(), nullptr, file, false, false);
}

const char* fname_from_desc(const char* line, Westring& name) {
    name = Westring();
    if (!line) return line;
    const char* p = line;
    while (is_blank(*p)) p++;
    if (*p == '"') {
        // A doubled quote inside stands for one quote of the name.
        std::string quoted;
        for (p++; *p; p++) {
            if (*p == '"' && p[1] != '"') break;
            quoted += *p;
            if (*p == '"') p++;
        }
        if (*p == '"') p++;
        name = DecodeFileName(quoted.data(), quoted.size());
        return p;
    }
    const char* start = p;
    while (*p && !is_blank(*p)) p++;
    name = DecodeFileName(start, static_cast<size_t>(p - start));
    return p;
}

namespace {

// Rewrites an open description file from its first changed line on: the
// lines of changed names go, the others move up, and the new lines follow.
// A file left empty is deleted. 0 or the error number.
int rewrite_lines(StdFile& file, const Westring& desc, const DescChanges& changes, bool& emptied) {
    std::string text;
    if (!read_desc_text(file, text)) return EIO;
    std::vector<Line> lines = split_lines(text);
    size_t first = lines.size();
    for (size_t i = 0; i < lines.size() && first == lines.size(); i++)
        if (changes.Find(line_name(text, lines[i]))) first = i;

    std::string rewritten;
    for (size_t i = first + 1; i < lines.size(); i++) {
        if (changes.Find(line_name(text, lines[i]))) continue;
        rewritten.append(text, lines[i].start, lines[i].end - lines[i].start);
        rewritten += "\r\n";
    }
    for (const auto& [name, description] : changes.InOrder()) {
        if (!description) continue;
        rewritten += quoted_name(name);
        rewritten += ' ';
        rewritten += *description;
        rewritten += "\r\n";
    }
    if (first == lines.size() && rewritten.empty()) return 0;
    // A last line without its line end must not run into a new one.
    if (first == lines.size() && !text.empty() && text.back() != '\n') rewritten.insert(0, "\r\n");

    const int64_t start = static_cast<int64_t>(first < lines.size() ? lines[first].start : text.size());
    const int64_t end = start + static_cast<int64_t>(rewritten.size());
    int result = file.setptr(start);
    if (result == 0 && !rewritten.empty()) result = file.write(rewritten.data(), rewritten.size());
    if (result == 0 && end < static_cast<int64_t>(text.size())) result = file.changesize(end);
    int closed = file.close();
    if (result == 0) result = closed;
    if (result != 0 || end > 0) return result;
    emptied = unlink(EncodeFileName(desc).c_str()) == 0;
    return 0;
}

}  // namespace

int apply_desc_changes(const Westring& desc, const DescChanges& changes, bool* emptied) {
    if (emptied) *emptied = false;
    if (changes.empty()) return 0;
    const bool adds = changes.AddsLines();
    StdFile file;
    int result = open_desc_file(desc, file, true, adds);
    // Lines that are not there need no removing.
    if (result != 0) return adds ? result : 0;
    bool gone = false;
    result = rewrite_lines(file, desc, changes, gone);
    if (emptied) *emptied = gone;
    // Hiding the description file is a courtesy; the description is written.
    if (result == 0 && adds && !gone) (void)SetFileAttr(desc.c_str(), 0x02);
    return result;
}

int delete_desc(const wchar_t* path) {
    DescChanges changes;
    changes.Set(last_component(Westring(path)), std::nullopt);
    bool emptied = false;
    (void)apply_desc_changes(desc_file_of(Westring(path)), changes, &emptied);
    return emptied ? 1 : 0;
}

int write_desc(const wchar_t* path, const char* text) {
    Westring name = last_component(Westring(path));
    if (!DescStorableName(name)) {
        if (!name.empty()) tell_desc_not_stored(Westring(path));
        return EINVAL;
    }
    DescChanges changes;
    changes.Set(name, one_line(text));
    return apply_desc_changes(desc_file_of(Westring(path)), changes);
}

void for_each_desc_line(const std::string& text,
                        const std::function<void(const Westring& name, std::string description)>& visit) {
    for (const Line& line : split_lines(text)) {
        size_t after = 0;
        Westring name = line_name(text, line, &after);
        size_t pos = line.start + after;
        while (pos < line.end && is_blank(text[pos])) pos++;
        visit(name, text.substr(pos, line.end - pos));
    }
}

int carry_desc_leftovers(const Westring& src_dir, const Westring& dst_dir) {
    Westring src_desc = join_path(src_dir, kDescFileName);
    StdFile source;
    int result = source.open(src_desc, StdFile::kRegularOnly);
    // Something else under the name is no description file: it stays.
    if (result == ENOENT || not_a_regular_file(result)) return 0;
    if (result != 0) return result;
    std::string text;
    if (!read_desc_text(source, text)) return EIO;
    (void)source.close();  // read only: nothing to lose

    Westring dst_any = join_path(dst_dir, L"x");
    std::string present;
    {
        StdFile existing;
        // What cannot be read is taken as not there: its lines are appended.
        if (open_desc(dst_any.c_str(), nullptr, existing, false, false) == 0) (void)read_desc_text(existing, present);
    }
    std::unordered_set<std::wstring> known;
    for (const Line& line : split_lines(present)) known.insert(key_of(line_name(present, line)));
    std::string appended;
    for (const Line& line : split_lines(text)) {
        Westring name = line_name(text, line);
        if (name.empty() || known.count(key_of(name))) continue;
        appended.append(text, line.start, line.end - line.start);
        appended += "\r\n";
    }
    if (!appended.empty()) {
        StdFile target;
        result = open_desc(dst_any.c_str(), nullptr, target, true, true);
        if (result != 0) return result;
        int64_t size = target.size();
        if (size < 0) return target.geterror();
        char last = '\n';
        if (size > 0 && pread(target.gethandle(), &last, 1, static_cast<off_t>(size - 1)) == 1 && last != '\n')
            appended.insert(0, "\r\n");
        if (target.setptr(size) != 0 || target.write(appended.data(), appended.size()) != 0)
            return target.geterror();
        result = target.close();
        if (result != 0) return result;
    }
    return unlink(EncodeFileName(src_desc).c_str()) == 0 ? 0 : errno;
}
