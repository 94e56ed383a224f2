#include "fileops/descriptions.h"

#include <errno.h>
#include <sys/file.h>
#include <unistd.h>

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

Westring desc_file_of(const Westring& path) {
    int slash = path.rchr(L'/');
    if (slash < 0) return Westring(kDescFileName);
    return path.left(slash + 1) + kDescFileName;
}

// The whole file, read through the descriptor from its start, so that data
// another handle changed since this one buffered it is seen as it is now.
bool read_whole(StdFile& file, std::string& out) {
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

bool names_match(const Westring& a, const Westring& b) { return !a.empty() && fncompare(a.c_str(), b.c_str()) == 0; }

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

// A description is one line: a line break in it would start a line of its own.
std::string one_line(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

bool not_a_regular_file(int error) { return error == ENODEV || error == EISDIR; }

}  // namespace

bool IsDescFileName(const wchar_t* name) { return name && nls_stricmp(name, kDescFileName) == 0; }

bool DescStorableName(const Westring& name) {
    if (name.empty()) return false;
    for (int i = 0; name[i]; i++)
        if (is_line_break(name[i])) return false;
    return true;
}

int open_desc(const wchar_t* path, Westring* name, StdFile& file, bool write, bool create) {
    Westring full(path);
    if (name) *name = last_component(full);
    Westring desc = desc_file_of(full);
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

// Removes from an open description file the lines whose name is_gone says
// are gone; every following line moves up. A file left empty is deleted
// (after closing alsoClose, another handle on it): 1, else 0.
template <class Gone>
int remove_lines(StdFile& file, const Westring& desc, StdFile* alsoClose, Gone is_gone) {
    std::string text;
    if (!read_whole(file, text)) return 0;
    std::vector<Line> lines = split_lines(text);
    size_t found = lines.size();
    for (size_t i = 0; i < lines.size(); i++) {
        if (is_gone(line_name(text, lines[i]))) {
            found = i;
            break;
        }
    }
    if (found == lines.size()) return 0;

    // A second line for a name (another program may have written one) goes
    // too, so that no old description comes back.
    std::string moved;
    for (size_t i = found + 1; i < lines.size(); i++) {
        if (is_gone(line_name(text, lines[i]))) continue;
        moved.append(text, lines[i].start, lines[i].end - lines[i].start);
        moved += "\r\n";
    }
    int64_t start = static_cast<int64_t>(lines[found].start);
    if (file.setptr(start) != 0) return 0;
    if (!moved.empty() && file.write(moved.data(), moved.size()) != 0) return 0;
    if (file.changesize(start + static_cast<int64_t>(moved.size())) != 0) return 0;
    // changesize has written everything out, so closing has nothing to lose.
    if (start + static_cast<int64_t>(moved.size()) > 0) {
        (void)file.close();
        return 0;
    }
    (void)file.close();
    if (alsoClose) (void)alsoClose->close();  // the other handle only read
    return unlink(EncodeFileName(desc).c_str()) == 0 ? 1 : 0;
}

}  // namespace

int delete_desc(const wchar_t* path, StdFile* alsoClose) {
    StdFile file;
    Westring name;
    if (open_desc(path, &name, file, true, false) != 0) return 0;
    return remove_lines(file, desc_file_of(Westring(path)), alsoClose,
                        [&](const Westring& line_name) { return names_match(line_name, name); });
}

int delete_descs(const Westring& dir, const std::vector<Westring>& names) {
    if (names.empty()) return 0;
    const Westring any_file = join_path(dir, L"x");
    StdFile file;
    if (open_desc(any_file.c_str(), nullptr, file, true, false) != 0) return 0;
    std::unordered_set<std::wstring> gone;
    for (const Westring& name : names) gone.insert(std::wstring(name.c_str()));
    return remove_lines(file, desc_file_of(any_file), nullptr, [&](const Westring& line_name) {
        return !line_name.empty() && gone.count(std::wstring(line_name.c_str())) > 0;
    });
}

int write_desc(const wchar_t* path, const char* text) {
    Westring name = last_component(Westring(path));
    if (!DescStorableName(name)) {
        if (!name.empty() && fileops_hooks.desc_not_stored)
            fileops_hooks.desc_not_stored(Westring(path), Westring(L"A name with a line break cannot have a description"));
        return EINVAL;
    }
    delete_desc(path, nullptr);
    StdFile file;
    int result = open_desc(path, nullptr, file, true, true);
    if (result != 0) return result;
    int64_t size = file.size();
    if (size < 0) return file.geterror();
    std::string line;
    if (size > 0) {
        // A last line without its line end must not run into the new one.
        char last = 0;
        if (pread(file.gethandle(), &last, 1, static_cast<off_t>(size - 1)) == 1 && last != '\n') line = "\r\n";
    }
    line += quoted_name(name);
    line += ' ';
    line += one_line(text);
    line += "\r\n";
    result = file.setptr(size);
    if (result == 0) result = file.write(line.data(), line.size());
    int closed = file.close();
    if (result == 0) result = closed;
    // Hiding the description file is a courtesy; the description is written.
    if (result == 0) (void)SetFileAttr(desc_file_of(Westring(path)).c_str(), 0x02);
    return result;
}

void copy_desc(const wchar_t* src, const wchar_t* dst, StdFile& sourceDescriptions) {
    if (!sourceDescriptions.isopen()) return;
    std::string text;
    if (!read_whole(sourceDescriptions, text)) return;
    Westring name = last_component(Westring(src));
    for (const Line& line : split_lines(text)) {
        size_t after = 0;
        if (!names_match(line_name(text, line, &after), name)) continue;
        size_t pos = line.start + after;
        while (pos < line.end && is_blank(text[pos])) pos++;
        // A copy stands without its description when that cannot be written.
        (void)write_desc(dst, text.substr(pos, line.end - pos).c_str());
        return;
    }
}

void move_desc(const wchar_t* src, const wchar_t* dst, StdFile& sourceDescriptions) {
    copy_desc(src, dst, sourceDescriptions);
    delete_desc(src, &sourceDescriptions);
}

int carry_desc_leftovers(const Westring& src_dir, const Westring& dst_dir) {
    Westring src_desc = join_path(src_dir, kDescFileName);
    StdFile source;
    int result = source.open(src_desc, StdFile::kRegularOnly);
    // Something else under the name is no description file: it stays.
    if (result == ENOENT || not_a_regular_file(result)) return 0;
    if (result != 0) return result;
    std::string text;
    if (!read_whole(source, text)) return EIO;
    (void)source.close();  // read only: nothing to lose

    Westring dst_any = join_path(dst_dir, L"x");
    std::string present;
    {
        StdFile existing;
        if (open_desc(dst_any.c_str(), nullptr, existing, false, false) == 0) read_whole(existing, present);
    }
    std::vector<Line> present_lines = split_lines(present);
    std::string appended;
    for (const Line& line : split_lines(text)) {
        Westring name = line_name(text, line);
        if (name.empty()) continue;
        bool known = false;
        for (const Line& other : present_lines) {
            if (names_match(line_name(present, other), name)) {
                known = true;
                break;
            }
        }
        if (known) continue;
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
