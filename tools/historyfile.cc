#include "tools/historyfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "config/config.h"
#include "console/dialog.h"
#include "exec/histories.h"
#include "lib/fsname.h"
#include "lib/stdfile.h"
#include "tools/historytext.h"

namespace {

constexpr mode_t kPrivate = 0600;
constexpr char kLineEnd[] = "\r\n";

Westring history_file;

[[nodiscard]] bool write_all(int fd, const char* data, size_t n) {
    while (n > 0) {
        const ssize_t written = ::write(fd, data, n);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        n -= static_cast<size_t>(written);
    }
    return true;
}

// The file a rewrite replaces: the target of a symbolic link, so that the
// link stays and the file it names gets the new content.
std::string rewrite_target() {
    const std::string path = EncodeFileName(history_file).c_str();
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        std::string target = resolved;
        std::free(resolved);
        return target;
    }
    return path;
}

void keep_newest(WestringStore& store, int limit) {
    while (store.count() > limit) {
        store.GetFirst();
        store.DestroyCurrent();
    }
}

// The file's content as compaction writes it: the commands, then each field
// history in turn, oldest first.
std::string compacted_text() {
    std::string text;
    auto add = [&text](const std::string& line) {
        if (line.empty()) return;
        text += line;
        text += kLineEnd;
    };
    for (int i = 0; i < history.count(); i++) add(CommandHistoryLine(*history[i]));
    for (int field = 0; field < Dialog::kHistories; field++) {
        WestringStore& store = Dialog::FieldHistory[field];
        for (int i = 0; i < store.count(); i++) add(FieldHistoryLine(field, *store[i]));
    }
    return text;
}

void append_command(const Westring& command) { WriteHistLine(CommandHistoryLine(command)); }
void append_field_value(int field, const Westring& value) { WriteHistLine(FieldHistoryLine(field, value)); }

}  // namespace

void SetHistoryFile(const Westring& path) { history_file = path; }
const Westring& HistoryFile() { return history_file; }

void add_hist(const Westring& command, bool loading, CommandCollection* collection) {
    const Westring text = command.ltrim();
    if (text.empty()) return;
    if (!loading) {
        AddCommandHistory(text);  // the hook appends its line
        return;
    }
    // A command not read before cannot be in the list: no search for it.
    if (collection && collection->Insert(text)) history.Add(text);
    else RestoreCommandHistory(text);
}

bool ReadHistoryFile(std::string& bytes) {
    bytes.clear();
    if (history_file.empty()) return false;
    const int fd = OpenRegularFile(EncodeFileName(history_file).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status;
    bool ok = fstat(fd, &status) == 0 && static_cast<uint64_t>(status.st_size) <= kMaxHistoryFileBytes;
    if (ok) bytes.reserve(static_cast<size_t>(status.st_size));
    char block[65536];
    while (ok) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        // The file may grow while it is read.
        if (bytes.size() + static_cast<size_t>(got) > kMaxHistoryFileBytes) ok = false;
        else bytes.append(block, static_cast<size_t>(got));
    }
    ::close(fd);
    if (!ok) bytes.clear();
    return ok;
}

bool ReplaceHistoryFile(const std::string& bytes) {
    if (history_file.empty()) return false;
    const std::string target = rewrite_target();
    std::string temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fchmod(fd, kPrivate) == 0 && write_all(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}

void WriteHistLine(const std::string& line) {
    if (line.empty() || history_file.empty()) return;
    const std::string path = EncodeFileName(history_file).c_str();
    constexpr int kAppend = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC;
    int fd = OpenRegularFile(path.c_str(), kAppend, kPrivate);
    if (fd < 0 && errno == ENOENT) {
        // The program's own folder (the user's ".dvl") is made by the first
        // settings save; the history must not wait for one.
        const std::string folder = EncodeFileName(history_file.path()).c_str();
        if (!folder.empty() && mkdir(folder.c_str(), 0700) == 0) fd = OpenRegularFile(path.c_str(), kAppend, kPrivate);
    }
    if (fd < 0) return;
    // One write, so that two programs appending at once do not mix their lines.
    const std::string whole = line + kLineEnd;
    (void)write_all(fd, whole.data(), whole.size());
    ::close(fd);
}

void init_history() {
    std::string bytes;
    if (!ReadHistoryFile(bytes)) return;

    // The collection spots repeats only among the lines read: it stands for
    // the list only while the list held nothing else before.
    CommandCollection read_before;
    CommandCollection* collection = history.count() == 0 ? &read_before : nullptr;
    int commands = 0;
    ParseHistoryText(bytes, [&](const HistoryLine& line) {
        if (line.kind == HistoryLine::kCommand) {
            if (line.text.ltrim().empty()) return;
            commands++;
            add_hist(line.text, true, collection);
        } else if (line.kind == HistoryLine::kFieldValue) {
            AddFieldHist(line.text, line.field, true);
        }
    });

    const int max_commands = std::max(0, config.MaxHist);
    const int max_values = std::max(0, config.MaxFieldHist);
    bool compact = commands > max_commands;
    for (const WestringStore& store : Dialog::FieldHistory) compact = compact || store.count() > max_values;
    if (!compact) return;
    keep_newest(history, max_commands);
    for (WestringStore& store : Dialog::FieldHistory) keep_newest(store, max_values);
    // A file that cannot be rewritten stays as it is and is compacted at
    // the next start.
    (void)ReplaceHistoryFile(compacted_text());
}

bool RemoveFromHistory(const Westring& command) {
    std::string bytes;
    if (!ReadHistoryFile(bytes)) return access(EncodeFileName(history_file).c_str(), F_OK) != 0;
    const Westring wanted = command.ltrim();
    std::string kept;
    kept.reserve(bytes.size());
    bool removed = false;
    ParseHistoryText(bytes, [&](const HistoryLine& line) {
        if (line.kind == HistoryLine::kCommand && SameChars(line.text.ltrim(), wanted)) {
            removed = true;
            return;
        }
        kept.append(line.bytes);
        kept += kLineEnd;
    });
    return !removed || ReplaceHistoryFile(kept);
}

void InstallHistoryHooks() {
    command_history_added = append_command;
    field_history_added = append_field_value;
}

void RemoveHistoryHooks() {
    command_history_added = nullptr;
    field_history_added = nullptr;
}
