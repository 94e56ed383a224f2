// TreeClearer: removes the files of a directory tree that a mask selects,
// on the calling thread and one helper thread, each taking whole
// directories from a shared queue. A directory is listed by name and kind
// (getdents: nothing is looked up unless the kind is unknown or the mask
// tests more than the name) and its files go by unlinkat on the open
// directory, so a file costs one system call, two when its write
// permission must be checked.
//
// Nothing here talks to the user. What needs the user -- a file that may be
// read-only, an unlink or a listing that failed, removing the directory --
// is left in the directory's TreeNode, which the calling thread gets from
// Next once the directory and everything below it is done.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lib/westring.h"

struct TreeNode {
    TreeNode* parent = nullptr;
    // In the system's encoding; absolute when the root was given so.
    std::string path;
    // The error met listing the directory: its files are then untouched.
    int error = 0;
    // A file stays: the mask passed it over.
    bool kept = false;
    // A description file stays in the directory, to be told which names went.
    bool has_descriptions = false;
    // The names the clearing deleted, each ended by a zero byte; emptied
    // when the whole listing showed no description file.
    std::string deleted;
    // Files left for the calling thread: maybe read-only, or their removal failed.
    std::vector<std::string> asks;

    // The calling thread's own: the names of removed subdirectories, and
    // whether one stays.
    std::vector<std::string> removed_subdirs;
    bool subdirectory_stays = false;

private:
    friend class TreeClearer;
    std::list<TreeNode>::iterator self_;
    // Subdirectories not yet given back by Done, plus one until listed.
    int pending_ = 1;
};

class TreeClearer {
public:
    // Which files go.
    enum class Select {
        kAll,      // every one
        kByName,   // those whose name the mask matches
        kByEntry,  // those whose panel entry (size, dates, owner...) matches;
                   // listed by the panel's reader, on the calling thread alone
    };
    struct Options {
        const wchar_t* mask = L"*";
        Select select = Select::kAll;
        // Whether a file (not a link) is checked for write permission
        // before it goes; one that fails the check is left in asks.
        bool check_writable = true;
        // Whether the helper thread may join in.
        bool helper = true;
    };
    // Called on the calling thread as the work goes on (for each directory
    // it lists or gets back, every few dozen files, and while it waits): the
    // directory and name at hand (name may be null). False stops the whole
    // clearing.
    using Poll = std::function<bool(const std::string& dir, const char* name)>;

    TreeClearer(const std::string& root, const Options& options, Poll poll);
    // Stops the helper and waits for it.
    ~TreeClearer();
    TreeClearer(const TreeClearer&) = delete;
    TreeClearer& operator=(const TreeClearer&) = delete;

    // The next directory whose listing and subdirectories are all done,
    // children before their parents, the root last; null when everything is
    // done or the clearing stopped. Meanwhile the calling thread clears
    // directories of the queue itself.
    TreeNode* Next();
    // The calling thread is done with node (it was removed or stays): its
    // parent may be done too. node is freed.
    void Done(TreeNode* node);
    // Lists node again (after a listing error), on the calling thread.
    void Retry(TreeNode* node);
    // Stops the clearing and waits for the helper: afterwards every node
    // not yet Done belongs to the calling thread alone.
    void Stop();
    bool stopped() const { return stop_; }
    // Each node not yet Done (after Stop).
    void ForEachLeft(const std::function<void(TreeNode&)>& visit);

private:
    struct Buffer;
    void helper_loop();
    void start_helper();
    // Lists node and removes its files; the node's own count is dropped after.
    void clear(TreeNode& node, Buffer& buffer, bool caller);
    // These two list the open directory in their ways: true when listed to the end.
    bool clear_named(TreeNode& node, int dir_fd, Buffer& buffer, bool caller);
    bool clear_listed(TreeNode& node, int dir_fd, bool caller);
    // One entry of node: a subdirectory is queued, a file removed or kept.
    void take_entry(TreeNode& node, int dir_fd, const char* name, unsigned char type, bool selected);
    bool selects(const char* name) const;
    void add_child(TreeNode& parent, const char* name);
    // Under the lock: node's own count drops; at zero it is done.
    void release_locked(TreeNode* node);
    bool poll(const std::string& dir, const char* name);

    const Options options_;
    const Westring mask_;
    const std::string description_name_;
    Poll poll_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::list<TreeNode> nodes_;
    std::vector<TreeNode*> queue_;     // directories waiting to be listed, the latest first
    std::vector<TreeNode*> finished_;  // directories done, for Next
    int busy_ = 0;                     // threads listing a directory
    std::string helper_dir_;           // what the helper lists, to show
    // Read by the threads between files, without the lock.
    std::atomic<bool> stop_{false};
    std::thread helper_;
};
