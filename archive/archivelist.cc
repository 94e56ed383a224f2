// Listing one directory of an archive, its tree of directories and the
// sizes below them, all from the sorted list of members.
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "lib/fsname.h"
#include "lib/nls.h"
#include "panels/entry.h"
#include "panels/treeholder.h"

namespace {

// dir as the pool keeps paths: file-name bytes, no leading or trailing '/'.
std::string path_key(const Westring& dir) {
    Estring bytes = EncodeFileName(dir);
    std::string key(bytes.c_str(), static_cast<size_t>(bytes.strlen()));
    size_t start = key.find_first_not_of('/');
    if (start == std::string::npos) return std::string();
    size_t end = key.find_last_not_of('/');
    return key.substr(start, end - start + 1);
}

// Whether path is dir itself or lies below it.
bool within(const char* path, const std::string& dir) {
    if (dir.empty()) return true;
    if (std::strncmp(path, dir.c_str(), dir.size()) != 0) return false;
    return path[dir.size()] == 0 || path[dir.size()] == '/';
}

}  // namespace

entry* Archive::MakeEntry(const wchar_t* name, uint32_t attr, const ArchiveEntry* from) {
    entry* e = entry::Create(name);
    e->attr = static_cast<uint16_t>(attr);
    if (from) {
        e->time = from->time;
        e->uid = from->uid;
        e->gid = from->gid;
        e->mode = static_cast<uint16_t>(from->mode);
    } else {
        e->time = file_time;
    }
    if (!alloc_entries) {
        if (own_entry_) entry::Destroy(own_entry_);
        own_entry_ = e;
    }
    return e;
}

int Archive::FindFirst(const Westring& dir, entry** result) {
    if (status != 0) return -1;
    current_dir = dir;
    current_key_ = path_key(dir);
    const size_t first = entries.LowerBound(current_key_.c_str(), "");
    const char* found_path = first < entries.size() ? entries[first]->path : "";
    if (!within(found_path, current_key_)) return -1;
    cursor = static_cast<int32_t>(first) - 1;
    dot_slash = first < entries.size() ? entries[first]->dot_slash : 0;
    last_subdir = Westring();
    last_subdir_key_.clear();
    *result = MakeEntry(L"..", FA_DIREC, nullptr);
    return 0;
}

int Archive::FindNext(entry** result) {
    if (status != 0) return -1;
    const size_t prefix = current_key_.empty() ? 0 : current_key_.size() + 1;
    for (;;) {
        if (static_cast<size_t>(cursor + 1) >= entries.size()) return -1;
        cursor++;
        const ArchiveEntry* e = entries[static_cast<size_t>(cursor)];
        if (std::strcmp(e->path, current_key_.c_str()) == 0) {
            if (!*e->name) continue;  // the record of this directory itself
            entry* file = MakeEntry(DecodeFileName(e->name).c_str(), e->attr, e);
            file->size = e->size == ArchiveEntry::kUnknown ? 0 : e->size;
            dot_slash = e->dot_slash;
            *result = file;
            return 0;
        }
        if (!within(e->path, current_key_)) return -1;
        const char* component = e->path + prefix;
        const char* end = std::strchr(component, '/');
        const size_t length = end ? static_cast<size_t>(end - component) : std::strlen(component);
        if (length == 0) continue;
        // The members of one subdirectory follow each other: the same bytes
        // as the last one made up need no decoding.
        if (last_subdir_key_.size() == length && last_subdir_key_.compare(0, length, component, length) == 0) continue;
        last_subdir_key_.assign(component, length);
        Westring name = DecodeFileName(component, length);
        last_subdir = name;
        dot_slash = e->dot_slash;
        *result = MakeEntry(name.c_str(), FA_DIREC, e);
        return 0;
    }
}

Westring Archive::VirtualRoot() const {
    if (!parent) return archive_path;
    Westring root = parent->VirtualRoot().AppendBackslash();
    root += parent->current_dir.AppendBackslash();
    root += archive_path.filename();
    return root;
}

TREENODE* Archive::MakeTree() const {
    auto* root = new TREENODE(VirtualRoot());
    // The entries are sorted so that every directory's subdirectories follow
    // it; a stack of the nodes of the path last added finds each parent
    // without recursion, however deep the path.
    std::vector<TREENODE*> open{root};
    std::vector<TREENODE*> last_child{nullptr};
    std::vector<std::string> names{""};
    for (size_t i = 0; i < entries.size(); i++) {
        const ArchiveEntry* e = entries[i];
        const char* p = e->path;
        size_t depth = 1;
        while (*p) {
            const char* end = std::strchr(p, '/');
            const size_t length = end ? static_cast<size_t>(end - p) : std::strlen(p);
            if (depth < open.size() && names[depth].size() == length && names[depth].compare(0, length, p, length) == 0) {
                // Already open at this depth.
            } else {
                open.resize(depth);
                last_child.resize(depth);
                names.resize(depth);
                TREENODE* parent_node = open[depth - 1];
                auto* node = new TREENODE(DecodeFileName(p, length));
                node->parent = parent_node;
                node->depth = static_cast<int8_t>(depth > 127 ? 127 : depth);
                node->size = 0;
                if (last_child[depth - 1]) last_child[depth - 1]->next = node;
                else parent_node->child = node;
                last_child[depth - 1] = node;
                open.push_back(node);
                last_child.push_back(nullptr);
                names.emplace_back(p, length);
            }
            depth++;
            p += length;
            if (*p == '/') p++;
        }
        if (!e->is_dir() && e->size != ArchiveEntry::kUnknown) {
            for (size_t d = 0; d < depth; d++) {
                if (open[d]->size == TREENODE::kUnknownSize) open[d]->size = 0;
                open[d]->size += e->size;
            }
        }
        open.resize(depth);
        last_child.resize(depth);
        names.resize(depth);
    }
    return root;
}

uint64_t Archive::du(const Westring& subdir, uint64_t* files, uint64_t* dirs) const {
    Westring full = current_dir.AppendBackslash();
    full += subdir;
    const std::string key = path_key(full);
    uint64_t total = 0;
    std::string last_dir;
    for (size_t i = entries.LowerBound(key.c_str(), ""); i < entries.size(); i++) {
        const ArchiveEntry* e = entries[i];
        if (!within(e->path, key)) break;
        if (e->is_dir()) continue;
        if (e->size != ArchiveEntry::kUnknown) total += e->size;
        if (files) (*files)++;
    }
    if (dirs) {
        // Every directory below key once: the members of a directory lie
        // together, so one seen before is a leading part of the previous path.
        auto seen = [&last_dir](const char* path, size_t n) {
            return last_dir.size() >= n && last_dir.compare(0, n, path, n) == 0 &&
                   (last_dir.size() == n || last_dir[n] == '/');
        };
        for (size_t i = entries.LowerBound(key.c_str(), ""); i < entries.size(); i++) {
            const char* path = entries[i]->path;
            if (!within(path, key)) break;
            const size_t length = std::strlen(path);
            for (size_t j = key.empty() ? 0 : key.size() + 1; j <= length && length > key.size(); j++)
                if ((j == length || path[j] == '/') && !seen(path, j)) (*dirs)++;
            last_dir = path;
        }
    }
    return total;
}

const ArchiveEntry* Archive::FindMember(const Westring& dir, const wchar_t* name) const {
    const std::string key = path_key(dir);
    const Estring bytes = EncodeFileName(name);
    const size_t at = entries.LowerBound(key.c_str(), bytes.c_str());
    if (at >= entries.size()) return nullptr;
    const ArchiveEntry* member = entries[at];
    if (std::strcmp(member->path, key.c_str()) != 0 || std::strcmp(member->name, bytes.c_str()) != 0) return nullptr;
    return member;
}

std::vector<const ArchiveEntry*> Archive::MembersBelow(const Westring& dir) const {
    const std::string key = path_key(dir);
    std::vector<const ArchiveEntry*> found;
    for (size_t i = entries.LowerBound(key.c_str(), ""); i < entries.size(); i++) {
        const ArchiveEntry* member = entries[i];
        if (!within(member->path, key)) break;
        found.push_back(member);
    }
    return found;
}
