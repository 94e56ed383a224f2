#include "fileops/treeclear.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <system_error>

#include "fileops/descriptions.h"
#include "lib/atpath.h"
#include "lib/fsname.h"
#include "panels/directory.h"
#include "panels/mask.h"

namespace {

// The calling thread looks up from its files this often, to show progress
// and notice Esc.
constexpr int kEntriesPerPoll = 64;
// And this often while it waits for the helper.
constexpr std::chrono::milliseconds kWaitPoll(50);

bool is_dot_or_dot_dot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

unsigned char type_of_mode(mode_t mode) {
    if (S_ISDIR(mode)) return DT_DIR;
    if (S_ISLNK(mode)) return DT_LNK;
    return DT_REG;
}

}  // namespace

// A thread's listing buffer, reused from one directory to the next.
struct TreeClearer::Buffer {
    std::vector<char> bytes = std::vector<char>(32768);
};

TreeClearer::TreeClearer(const std::string& root, const Options& options, Poll poll)
    : options_(options),
      mask_(options.mask ? options.mask : L"*"),
      description_name_(EncodeFileName(kDescFileName).c_str()),
      poll_(std::move(poll)) {
    nodes_.emplace_back();
    TreeNode& node = nodes_.back();
    node.self_ = std::prev(nodes_.end());
    node.path = root;
    queue_.push_back(&node);
}

TreeClearer::~TreeClearer() { Stop(); }

void TreeClearer::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (helper_.joinable()) helper_.join();
}

void TreeClearer::ForEachLeft(const std::function<void(TreeNode&)>& visit) {
    for (TreeNode& node : nodes_) visit(node);
}

bool TreeClearer::poll(const std::string& dir, const char* name) {
    if (stop_) return false;
    if (poll_(dir, name)) return true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    return false;
}

void TreeClearer::start_helper() {
    if (!options_.helper || options_.select == Select::kByEntry || helper_.joinable()) return;
    try {
        helper_ = std::thread([this] { helper_loop(); });
    } catch (const std::system_error&) {
        // No thread to be had: the calling thread does it all.
    }
}

TreeNode* TreeClearer::Next() {
    Buffer buffer;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stop_) return nullptr;
        if (!finished_.empty()) {
            TreeNode* node = finished_.back();
            finished_.pop_back();
            lock.unlock();
            // Left undone on a stop, the node stays for ForEachLeft.
            if (poll(node->path, nullptr)) return node;
            lock.lock();
            continue;
        }
        if (!queue_.empty()) {
            TreeNode* node = queue_.back();
            queue_.pop_back();
            // More waiting than this one: worth a second thread.
            if (!queue_.empty() && !helper_.joinable()) start_helper();
            busy_++;
            lock.unlock();
            if (poll(node->path, nullptr)) clear(*node, buffer, true);
            lock.lock();
            busy_--;
            release_locked(node);
            continue;
        }
        if (busy_ == 0) return nullptr;
        wake_.wait_for(lock, kWaitPoll);
        std::string shown = helper_dir_;
        lock.unlock();
        (void)poll(shown, nullptr);
        lock.lock();
    }
}

void TreeClearer::helper_loop() {
    Buffer buffer;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        TreeNode* node = queue_.back();
        queue_.pop_back();
        busy_++;
        helper_dir_ = node->path;
        lock.unlock();
        clear(*node, buffer, false);
        lock.lock();
        busy_--;
        release_locked(node);
        wake_.notify_all();
    }
}

void TreeClearer::release_locked(TreeNode* node) {
    if (--node->pending_ == 0) finished_.push_back(node);
}

void TreeClearer::Done(TreeNode* node) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (node->parent) release_locked(node->parent);
    nodes_.erase(node->self_);
}

void TreeClearer::Retry(TreeNode* node) {
    Buffer buffer;
    node->error = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        node->pending_ = 1;
    }
    clear(*node, buffer, true);
    std::lock_guard<std::mutex> lock(mutex_);
    release_locked(node);
}

void TreeClearer::add_child(TreeNode& parent, const char* name) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nodes_.emplace_back();
        TreeNode& child = nodes_.back();
        child.self_ = std::prev(nodes_.end());
        child.parent = &parent;
        child.path.reserve(parent.path.size() + 1 + std::strlen(name));
        child.path.append(parent.path);
        if (child.path.empty() || child.path.back() != '/') child.path.push_back('/');
        child.path.append(name);
        parent.pending_++;
        queue_.push_back(&child);
    }
    wake_.notify_all();
}

void TreeClearer::clear(TreeNode& node, Buffer& buffer, bool caller) {
    // Reached by its path, as the panel reads it: a path past the system's
    // limit is opened a piece at a time.
    AtPath at(node.path.c_str());
    int dir_fd = -1;
    if (at.error() == 0) dir_fd = openat(at.dir(), at.leaf(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir_fd < 0) {
        const int code = at.error() ? at.error() : errno;
        // Gone meanwhile: empty, and removing it tells.
        if (code != ENOENT) node.error = code;
        return;
    }
    const bool whole = options_.select == Select::kByEntry ? clear_listed(node, dir_fd, caller)
                                                           : clear_named(node, dir_fd, buffer, caller);
    close(dir_fd);
    // Listed to the end without a description file: no line to remove.
    // Cut short, the file may be further on.
    if (whole && !node.has_descriptions) node.deleted.clear();
}

bool TreeClearer::clear_named(TreeNode& node, int dir_fd, Buffer& buffer, bool caller) {
    int until_poll = kEntriesPerPoll;
    for (;;) {
        const ssize_t got = getdents64(dir_fd, buffer.bytes.data(), buffer.bytes.size());
        if (got < 0) {
            node.error = errno;
            return false;
        }
        if (got == 0) return true;
        for (ssize_t offset = 0; offset < got;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer.bytes.data() + offset);
            offset += d->d_reclen;
            if (stop_) return false;
            if (caller && --until_poll == 0) {
                until_poll = kEntriesPerPoll;
                if (!poll(node.path, d->d_name)) return false;
            }
            const char* name = d->d_name;
            if (is_dot_or_dot_dot(name)) continue;
            unsigned char type = d->d_type;
            if (type == DT_UNKNOWN) {
                struct stat status;
                if (fstatat(dir_fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                    if (errno == ENOENT) continue;
                    type = DT_REG;  // its removal reports what is wrong
                } else {
                    type = type_of_mode(status.st_mode);
                }
            }
            take_entry(node, dir_fd, name, type, type == DT_DIR || selects(name));
        }
    }
}

bool TreeClearer::clear_listed(TreeNode& node, int dir_fd, bool caller) {
    Directory listing(DecodeFileName(node.path.c_str()));
    entry* e = Directory::NewRecord();
    int code = listing.FindFirst(L"*", FIND_HIDDEN | FIND_DIRS | FIND_ANY_LENGTH, &e);
    for (; code == 0 && !stop_; code = listing.FindNext(&e)) {
        if (e->is_parent() || (e->name[0] == L'.' && e->name[1] == 0)) continue;
        const Estring name = EncodeFileName(e->name);
        if (caller && !poll(node.path, name.c_str())) break;
        const bool link = e->attr & FA_LINK;
        const unsigned char type = (e->attr & FA_DIREC) && !link ? DT_DIR : link ? DT_LNK : DT_REG;
        take_entry(node, dir_fd, name.c_str(), type, type == DT_DIR || mask_eval(mask_, *e) == 1);
    }
    entry::Destroy(e);
    if (code == DIR_NO_MORE_FILES || code == ENOENT) return true;
    if (code != 0) node.error = code;
    return false;
}

bool TreeClearer::selects(const char* name) const {
    if (options_.select == Select::kAll) return true;
    return mask_eval(mask_.c_str(), DecodeFileName(name).c_str()) == 1;
}

void TreeClearer::take_entry(TreeNode& node, int dir_fd, const char* name, unsigned char type, bool selected) {
    if (type == DT_DIR) {
        add_child(node, name);
        return;
    }
    const bool description_file = description_name_ == name;
    if (!selected) {
        node.kept = true;
        if (description_file) node.has_descriptions = true;
        return;
    }
    // A link is never read-only: only its directory's permission counts.
    const bool ask = options_.check_writable && type != DT_LNK && faccessat(dir_fd, name, W_OK, 0) != 0;
    if (ask && errno == ENOENT) return;  // gone meanwhile
    if (!ask && unlinkat(dir_fd, name, 0) == 0) {
        node.deleted.append(name);
        node.deleted.push_back('\0');
        return;
    }
    node.asks.emplace_back(name);
    if (description_file) node.has_descriptions = true;
}
