#include "tools/foundlist.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

bool FoundList::Add(const Westring& path, const entry& found, int64_t match) {
    size_t chars = static_cast<size_t>(path.strlen()) + 1;
    std::lock_guard<MutexSem> hold(mutex_);
    void* memory = pool_.AllocAligned(sizeof(entry) + chars * sizeof(wchar_t), alignof(entry));
    if (!memory) return false;
    entry* copy = static_cast<entry*>(memory);
    std::memcpy(static_cast<void*>(copy), &found, sizeof(entry));
    std::memcpy(copy->name, path.c_str(), chars * sizeof(wchar_t));
    try {
        files_.push_back(FoundFile{copy, match});
    } catch (const std::bad_alloc&) {
        return false;
    }
    count_.store(static_cast<int>(files_.size()));
    return true;
}

void FoundList::Clear() {
    std::lock_guard<MutexSem> hold(mutex_);
    files_.clear();
    files_.shrink_to_fit();
    pool_.Clear();
    count_.store(0);
    current = 0;
}

void FoundList::Remove(int i) {
    std::lock_guard<MutexSem> hold(mutex_);
    if (i < 0 || i >= count_.load()) return;
    files_.erase(files_.begin() + i);
    count_.store(static_cast<int>(files_.size()));
    if (current >= count_.load() && current > 0) current = count_.load() - 1;
}

uint64_t FoundList::TotalSize() {
    std::lock_guard<MutexSem> hold(mutex_);
    uint64_t total = 0;
    for (const FoundFile& found : files_) total += found.file->size;
    return total;
}

void FoundList::Sort(const std::function<bool(const FoundFile& a, const FoundFile& b)>& before) {
    std::lock_guard<MutexSem> hold(mutex_);
    const entry* current_file = current >= 0 && current < count_.load() ? files_[static_cast<size_t>(current)].file : nullptr;
    std::stable_sort(files_.begin(), files_.end(), before);
    for (size_t i = 0; current_file && i < files_.size(); i++)
        if (files_[i].file == current_file) current = static_cast<int>(i);
}
