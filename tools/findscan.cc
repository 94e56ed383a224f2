#include "tools/findscan.h"

#include <sys/stat.h>

#include <cwchar>
#include <memory>

#include "console/console.h"
#include "lib/casefold.h"
#include "lib/fsname.h"
#include "panels/mask.h"
#include "panels/namelisting.h"
#include "tools/findcontent.h"

bool PendingDirectoryOrder::operator()(const Westring& a, const Westring& b) const {
    int folded = fold_wcscasecmp(a.c_str(), b.c_str());
    if (folded != 0) return folded < 0;
    return std::wcscmp(a.c_str(), b.c_str()) < 0;
}

FileScan::FileScan(FoundList& found) : found_(found) {}

FileScan::~FileScan() { Abort(); }

bool FileScan::Prepare(const FindOptions& options) {
    Abort();
    if (mask_eval(options.filter.c_str(), L"test") < 0) return false;
    options_ = options;
    filter_tests_name_only_ = mask_tests_name_only(options_.filter.c_str());
    stop_.store(false);
    running_.store(true);
    return true;
}

FindStart FileScan::Start(const FindOptions& options) {
    if (!Prepare(options)) return FindStart::kBadFilter;
    thread_ = StartThread(&FileScan::ThreadMain, this);
    if (!thread_.Valid()) {
        running_.store(false);
        return FindStart::kNoThread;
    }
    return FindStart::kStarted;
}

FindStart FileScan::Run(const FindOptions& options) {
    if (!Prepare(options)) return FindStart::kBadFilter;
    Scan();
    return FindStart::kStarted;
}

void FileScan::Abort() {
    stop_.store(true);
    Wait();
}

void FileScan::Wait() { (void)thread_.Wait(); }

void FileScan::ThreadMain(void* self) { static_cast<FileScan*>(self)->Scan(); }

void FileScan::Scan() {
    unreadable_.store(0);
    scanned_.store(0);
    pending_.clear();
    visited_.clear();
    pending_roots_.clear();
    pending_roots_.push_back(options_.root);
    while (!stop_.load()) {
        if (pending_.empty()) {
            if (pending_roots_.empty()) break;
            pending_.insert(pending_roots_.front());
            pending_roots_.pop_front();
        }
        Westring directory = *pending_.begin();
        pending_.erase(pending_.begin());
        ScanDirectory(directory);
        if (break_status.load() == 2) stop_.store(true);
    }
    pending_.clear();
    visited_.clear();
    running_.store(false);
    if (on_finished) on_finished();
}

bool FileScan::AlreadyVisited(const Westring& directory) {
    struct stat status;
    if (stat(EncodeFileName(directory).c_str(), &status) != 0) return false;  // the listing reports it
    return !visited_.insert({status.st_dev, status.st_ino}).second;
}

namespace {

Westring JoinPath(const Westring& directory, const wchar_t* name) {
    Westring path = directory;
    int length = path.strlen();
    if (length == 0 || path.c_str()[length - 1] != L'/') path += L'/';
    path += name;
    return path;
}

}  // namespace

bool FileScan::IsDirectoryToEnter(NameListing& listing) const {
    struct stat status;
    switch (listing.kind()) {
    case DT_DIR: return true;
    case DT_LNK: return options_.follow_links && listing.Status(&status, true) == 0 && S_ISDIR(status.st_mode);
    case DT_UNKNOWN:
        if (listing.Status(&status, false) != 0) return false;
        if (S_ISDIR(status.st_mode)) return true;
        return S_ISLNK(status.st_mode) && options_.follow_links && listing.Status(&status, true) == 0 &&
               S_ISDIR(status.st_mode);
    default: return false;
    }
}

void FileScan::ScanDirectory(const Westring& directory) {
    if (AlreadyVisited(directory)) return;
    if (on_directory) on_directory(directory);
    if (stop_.load()) return;
    NameListing listing(directory);
    if (listing.Open() != 0) {
        unreadable_.fetch_add(1);
        return;
    }
    scanned_.fetch_add(1);
    const wchar_t* filter = options_.filter.c_str();
    const bool by_content = options_.containing.strlen() > 0;
    while (!stop_.load() && listing.Next()) {
        if (!options_.hidden && listing.raw()[0] == '.') continue;
        if (options_.recurse && IsDirectoryToEnter(listing)) pending_.insert(JoinPath(directory, listing.name()));

        // Only the names kept are looked at closer, unless the filter
        // itself tests more than the name.
        std::unique_ptr<entry, void (*)(entry*)> described(nullptr, &entry::Destroy);
        if (filter_tests_name_only_) {
            if (mask_eval(filter, listing.name()) <= 0) continue;
            described.reset(listing.Describe());
            if (!described) continue;  // gone since it was listed
        } else {
            described.reset(listing.Describe());
            if (!described || mask_eval(filter, *described) <= 0) continue;
        }
        const entry& e = *described;
        const Westring path = JoinPath(directory, e.name);
        int64_t match = kFoundNoContentSearch;
        if (by_content) {
            bool regular = !e.is_dir() && S_ISREG(e.mode);
            if (!regular) continue;
            match = check_containing(path, options_.containing, options_.case_sensitive, options_.whole_word,
                                     options_.code_page);
            if (match == -2) continue;
            if (match == -1) {
                stop_.store(true);
                break;
            }
        }
        if (!found_.Add(path, e, match)) stop_.store(true);
    }
    if (listing.error() != 0) unreadable_.fetch_add(1);
}
