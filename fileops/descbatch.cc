#include "fileops/descbatch.h"

#include <string>

#include "fileops/fileattr.h"
#include "lib/stdfile.h"
#include "lib/timestamp.h"

namespace {

// Pending changes are written at least this often (seconds).
constexpr double kFlushInterval = 2.0;
// The clock is looked at once per this many changes.
constexpr size_t kChangesPerClockCheck = 1024;

// The key of the directory that holds path: path up to its last "/".
Westring key_of_entry(const Westring& path, Westring& name) {
    int slash = path.rchr(L'/');
    name = path.mid(slash + 1);
    return slash < 0 ? Westring() : path.left(slash + 1);
}

Westring key_of_directory(const Westring& dir) { return dir.empty() || dir[dir.strlen() - 1] == L'/' ? dir : dir + L"/"; }

}  // namespace

DescBatch::~DescBatch() { Flush(); }

DescBatch::Directory& DescBatch::directory_of(const Westring& path, Westring& name) {
    Westring key = key_of_entry(path, name);
    Directory& directory = directories_[std::wstring(key.c_str())];
    if (!directory.read) read(key, directory);
    return directory;
}

void DescBatch::read(const Westring& key, Directory& directory) {
    directory.read = true;
    directory.lines.clear();
    StdFile file;
    // Without a readable description file there is nothing to carry.
    if (open_desc_file(key + kDescFileName, file, false, false) != 0) return;
    std::string text;
    bool complete = read_desc_text(file, text);
    (void)file.close();  // read only: nothing to lose
    if (!complete) return;
    for_each_desc_line(text, [&](const Westring& name, std::string description) {
        if (!name.empty()) directory.lines.try_emplace(std::wstring(name.c_str()), std::move(description));
    });
}

void DescBatch::Copy(const Westring& src, const Westring& dst) {
    Westring src_name;
    Directory& source = directory_of(src, src_name);
    std::string description;
    if (const std::optional<std::string>* pending = source.changes.Find(src_name)) {
        if (!*pending) return;
        description = **pending;
    } else {
        auto line = source.lines.find(std::wstring(src_name.c_str()));
        if (line == source.lines.end()) return;
        description = line->second;
    }
    Westring dst_name;
    Directory& target = directory_of(dst, dst_name);
    // A copy stands without its description when that cannot be written.
    if (!DescStorableName(dst_name)) {
        if (!dst_name.empty()) tell_desc_not_stored(dst);
        return;
    }
    target.changes.Set(dst_name, std::move(description));
    pending_++;
    flush_when_due();
}

void DescBatch::Remove(const Westring& path) {
    Westring name;
    Directory& directory = directory_of(path, name);
    // A name without a line needs nothing written.
    if (!directory.changes.Find(name) && !directory.lines.count(std::wstring(name.c_str()))) return;
    directory.changes.Set(name, std::nullopt);
    pending_++;
    flush_when_due();
}

void DescBatch::write(const Westring& key, Directory& directory) {
    if (directory.changes.empty()) return;
    // Descriptions are a courtesy: a file that cannot be written loses them
    // without stopping the command.
    (void)apply_desc_changes(key + kDescFileName, directory.changes);
    pending_ -= std::min(pending_, directory.changes.size());
}

void DescBatch::FlushDirectory(const Westring& dir) {
    Westring key = key_of_directory(dir);
    auto found = directories_.find(std::wstring(key.c_str()));
    if (found == directories_.end()) return;
    write(key, found->second);
    directories_.erase(found);
}

void DescBatch::Flush() {
    for (auto& [key, directory] : directories_) write(Westring(key.c_str()), directory);
    directories_.clear();
    pending_ = 0;
    last_flush_ = TimeStamp::GetRelativeTime();
}

void DescBatch::flush_when_due() {
    if (pending_ % kChangesPerClockCheck != 0) return;
    double now = TimeStamp::GetRelativeTime();
    if (last_flush_ < 0) last_flush_ = now;
    else if (now - last_flush_ >= kFlushInterval) Flush();
}
