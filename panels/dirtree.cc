#include "panels/dirtree.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/config.h"
#include "console/console.h"
#include "console/msgbox.h"
#include "lib/casefold.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "panels/paneldisplay.h"
#include "panels/treefile.h"

CTreeSet TreeSet;

namespace {

void show_tree_message(const Westring& message, const Westring& title) {
    if (console) (void)error(message, title, MB_OK);
}

bool same_name(const Westring& a, const wchar_t* b, size_t length, bool ignore_case) {
    if (static_cast<size_t>(a.strlen()) != length) return false;
    if (!ignore_case) return std::wmemcmp(a.c_str(), b, length) == 0;
    const Westring part(b, static_cast<int>(length));
    return fold_wcscasecmp(a.c_str(), part.c_str()) == 0;
}

TREENODE* child_named(const TREENODE* node, const wchar_t* name, size_t length, bool ignore_case) {
    for (TREENODE* c = node->child; c; c = c->next)
        if (same_name(c->name, name, length, ignore_case)) return c;
    return nullptr;
}

// The components of a path, as views into it.
std::vector<std::pair<const wchar_t*, size_t>> components(const wchar_t* p) {
    std::vector<std::pair<const wchar_t*, size_t>> parts;
    while (*p) {
        while (*p == L'/') p++;
        if (!*p) break;
        const wchar_t* end = p;
        while (*end && *end != L'/') end++;
        parts.emplace_back(p, static_cast<size_t>(end - p));
        p = end;
    }
    return parts;
}

int write_all(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

// Writes bytes to a new file beside path and renames it over path, so that
// a failed write leaves the old file whole. 0 or the error number.
int replace_file(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());  // mode 0600
    if (fd < 0) return errno;
    int code = write_all(fd, bytes);
    if (!code && fsync(fd) != 0) code = errno;
    if (::close(fd) != 0 && !code) code = errno;
    if (!code && ::rename(temp.c_str(), path.c_str()) != 0) code = errno;
    if (code) ::unlink(temp.c_str());
    return code;
}

}  // namespace

void (*tree_message)(const Westring& message, const Westring& title) = show_tree_message;

TREENODE* NewTreeNode(const Westring& name, TREENODE* parent) {
    TREENODE* node = new TREENODE(name);
    node->parent = parent;
    node->depth = parent ? static_cast<int8_t>(std::min(parent->depth + 1, 127)) : 0;
    node->expanded = !parent || config.ExpandedTrees;
    return node;
}

void RenumberTreeDepths(TREENODE* node) {
    std::vector<TREENODE*> stack{node};
    while (!stack.empty()) {
        TREENODE* n = stack.back();
        stack.pop_back();
        n->depth = n->parent ? static_cast<int8_t>(std::min(n->parent->depth + 1, 127)) : 0;
        for (TREENODE* c = n->child; c; c = c->next) stack.push_back(c);
    }
}

void UnlinkTreeNode(TREENODE* node) {
    if (!node->parent) return;
    TREENODE** link = &node->parent->child;
    while (*link && *link != node) link = &(*link)->next;
    if (*link) *link = node->next;
    node->next = nullptr;
    node->parent = nullptr;
}

Westring TreeFilePath() {
    if (config.TreeDir.strlen() > 0) return config.TreeDir.AppendBackslash() + L"dv2tree.dat";
    const char* home = getenv("HOME");
    Westring folder = DecodeFileName(home && *home ? home : "/");
    folder = folder.AppendBackslash() + L".dvl";
    return folder + L"/vadodu.dat";
}

void CTree::MakeRoot(const Westring& name) {
    if (!root_) {
        root_ = NewTreeNode(name, nullptr);
        return;
    }
    delete root_->child;
    root_->child = nullptr;
    root_->name = name;
    root_->size = TREENODE::kUnknownSize;
    root_->expanded = 1;
}

bool CTree::LoadBytes(std::string_view bytes, std::string& error) {
    std::vector<TreeFileRecord> records;
    error.clear();
    const TreeFileStatus status = ParseTreeFile(bytes, fs_id_, records, error);
    if (status != TreeFileStatus::kOk) {
        MakeRoot(Westring(L"/"));
        valid = false;
        return false;
    }
    // last[d]: the node read last at depth d; the parser has made sure each
    // record is at most one level below the one before.
    TREENODE* last[kMaxTreeFileDepth + 1] = {};
    for (const TreeFileRecord& record : records) {
        if (record.depth == 0) {
            Westring name = record.name;
            if (volume_) name[0] = volume_;
            MakeRoot(name);
            last[0] = root_;
            continue;
        }
        TREENODE* parent = last[record.depth - 1];
        TREENODE* node = NewTreeNode(record.name, parent);
        TREENODE* previous = last[record.depth];
        if (previous && previous->parent == parent) previous->next = node;
        else parent->child = node;
        last[record.depth] = node;
        // Deeper nodes read before belong to another branch now.
        for (int d = record.depth + 1; d <= kMaxTreeFileDepth && last[d]; d++) last[d] = nullptr;
    }
    valid = true;
    modified = false;
    return true;
}

bool CTree::Load() {
    const Westring path = TreeFilePath();
    const Estring name = EncodeFileName(path);
    std::string bytes;
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char buffer[65536];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) bytes.append(buffer, static_cast<size_t>(n));
        ::close(fd);
    }
    std::string error;
    if (fd >= 0 && LoadBytes(bytes, error)) return true;
    if (fd < 0) MakeRoot(Westring(L"/"));
    if (!error.empty()) tree_message(Westring("The tree data file is damaged (") + Westring(error.c_str()) + L"); the directories will be read again.", path);
    return false;
}

void CTree::Sort() {
    if (!root_) return;
    std::vector<TREENODE*> stack{root_};
    std::vector<TREENODE*> children;
    while (!stack.empty()) {
        TREENODE* node = stack.back();
        stack.pop_back();
        children.clear();
        for (TREENODE* c = node->child; c; c = c->next) children.push_back(c);
        if (children.empty()) continue;
        std::stable_sort(children.begin(), children.end(),
                         [](const TREENODE* a, const TREENODE* b) { return std::wcscmp(a->name.c_str(), b->name.c_str()) < 0; });
        node->child = children.front();
        for (size_t i = 0; i + 1 < children.size(); i++) children[i]->next = children[i + 1];
        children.back()->next = nullptr;
        stack.insert(stack.end(), children.begin(), children.end());
    }
}

std::string CTree::Bytes() {
    Sort();
    std::string bytes = TreeFileHeader(fs_id_);
    if (!root_) return bytes;
    bytes += "0/\n";
    // Pre-order without recursion: a node, its children's subtrees, then its
    // next sibling. A node the file cannot hold (too deep, a name that would
    // not read back) is left out with everything below it, so the file
    // never jumps more than one level deeper.
    std::vector<TREENODE*> stack;
    for (TREENODE* c = root_->child; c; c = c->next) stack.push_back(c);
    std::reverse(stack.begin(), stack.end());
    std::vector<TREENODE*> children;
    while (!stack.empty()) {
        TREENODE* node = stack.back();
        stack.pop_back();
        const std::string line = TreeFileLine(node->depth, node->name);
        if (line.empty()) continue;
        bytes += line;
        children.clear();
        for (TREENODE* c = node->child; c; c = c->next) children.push_back(c);
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return bytes;
}

bool CTree::Write() {
    Sort();
    if (!root_ || !valid || do_not_save) return true;
    const Westring path = TreeFilePath();
    const Estring name = EncodeFileName(path);
    std::string file(name.c_str());
    // The folder is the user's own: made private when the program makes it.
    const size_t slash = file.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        const std::string folder = file.substr(0, slash);
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0) (void)::mkdir(folder.c_str(), 0700);
    }
    // The file is hidden by its folder's name and readable by its owner only.
    const int code = replace_file(file, Bytes());
    if (code) {
        tree_message(Westring(L"Error writing tree data file: ") + GetOSErrorMessage(code), path);
        return false;
    }
    modified = false;
    return true;
}

bool CTree::Scan(const Westring& top, const ScanPoll& poll) {
    MakeRoot(top);
    valid = false;
    const Estring top_bytes = EncodeFileName(top);
    struct stat top_stat;
    if (::stat(top_bytes.c_str(), &top_stat) != 0) return false;

    uint64_t count = 0;
    std::vector<TREENODE*> stack{root_};
    while (!stack.empty()) {
        if (poll && !poll(count)) {
            MakeRoot(Westring(L"/"));
            valid = false;
            return false;
        }
        TREENODE* node = stack.back();
        stack.pop_back();
        const Estring path = EncodeFileName(tree_node_path(node));
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        // A directory of another file system (a mount point) stays a leaf.
        if (::fstat(fd, &st) != 0 || st.st_dev != top_stat.st_dev) {
            ::close(fd);
            continue;
        }
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            continue;
        }
        TREENODE* last = nullptr;
        while (const dirent* d = ::readdir(dir)) {
            const char* n = d->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
            bool is_dir = d->d_type == DT_DIR;
            if (d->d_type == DT_UNKNOWN) {
                struct stat entry_stat;
                is_dir = ::fstatat(dirfd(dir), n, &entry_stat, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(entry_stat.st_mode);
            }
            if (!is_dir) continue;
            TREENODE* child = NewTreeNode(DecodeFileName(n), node);
            if (last) last->next = child;
            else node->child = child;
            last = child;
            count++;
            // The file holds 63 levels: what lies deeper is not listed.
            if (child->depth < kMaxTreeFileDepth) stack.push_back(child);
        }
        ::closedir(dir);
    }
    valid = true;
    modified = true;
    return Write();
}

TREENODE* CTree::Find(const Westring& path, bool ignore_case) const {
    if (!root_) return nullptr;
    const wchar_t* p = path.c_str();
    const int root_length = root_->name.strlen();
    const Westring head(p, std::min(root_length, path.strlen()));
    if (head.strlen() != root_length || fold_wcscasecmp(head.c_str(), root_->name.c_str()) != 0) return nullptr;
    p += root_length;
    if (*p && *p != L'/' && !(root_length > 0 && p[-1] == L'/')) return nullptr;
    TREENODE* node = root_;
    for (const auto& [name, length] : components(p)) {
        node = child_named(node, name, length, ignore_case);
        if (!node) return nullptr;
    }
    return node;
}

namespace {

// The first node of the subtree below top, depth first, from which parts can
// be followed down; null when none.
TREENODE* follow_below(const TREENODE* top, const std::vector<std::pair<const wchar_t*, size_t>>& parts,
                       bool ignore_case) {
    std::vector<TREENODE*> stack;
    for (TREENODE* c = top->child; c; c = c->next) stack.push_back(c);
    std::reverse(stack.begin(), stack.end());
    while (!stack.empty()) {
        TREENODE* node = stack.back();
        stack.pop_back();
        if (same_name(node->name, parts[0].first, parts[0].second, ignore_case)) {
            TREENODE* found = node;
            for (size_t i = 1; found && i < parts.size(); i++)
                found = child_named(found, parts[i].first, parts[i].second, ignore_case);
            if (found) return found;
        }
        // The children go on the stack last first, so that the first child
        // and its subtree come before the later siblings.
        const size_t mark = stack.size();
        for (TREENODE* c = node->child; c; c = c->next) stack.push_back(c);
        std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(mark), stack.end());
    }
    return nullptr;
}

}  // namespace

bool CTree::Search(const Westring& relative, Westring& result, bool ignore_case, const TREENODE* first_below) const {
    const auto parts = components(relative.c_str());
    if (!root_ || parts.empty()) return false;
    TREENODE* found = first_below ? follow_below(first_below, parts, ignore_case) : nullptr;
    if (!found) found = follow_below(root_, parts, ignore_case);
    if (!found) return false;
    result = tree_node_path(found);
    return true;
}

bool operator<(const TTreeKey& a, const TTreeKey& b) {
    // Identity first, then volume: an order where a key without identity
    // compares by volume against one with an identity would not be
    // transitive, and the map would lose trees.
    if (a.fs_id != b.fs_id) return a.fs_id < b.fs_id;
    return a.volume < b.volume;
}

CTree* CTreeSet::GetTree(wchar_t volume, uint32_t fs_id) {
    const TTreeKey key{volume, fs_id};
    auto found = trees_.find(key);
    if (found == trees_.end()) found = trees_.emplace(key, std::make_unique<CTree>(volume, fs_id)).first;
    CTree* tree = found->second.get();
    if (!tree->root()) (void)tree->Load();
    return tree;
}

bool CTreeSet::WriteModified() {
    bool ok = true;
    for (auto& [key, tree] : trees_)
        if (tree->modified && !tree->Write()) ok = false;
    return ok;
}
