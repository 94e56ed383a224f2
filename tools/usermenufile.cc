#include "tools/usermenufile.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "editor/textfile.h"
#include "lib/fsname.h"

namespace {

// The lines of an open text file; each file of a reading has one.
class TextFileLines : public MenuLineSource {
public:
    TextFileLines(CTextFile& file, const Westring& name, const MenuFileId& id) : MenuLineSource(name, id), file_(file) {}

    bool NextLine(Westring& line, std::vector<MenuProblem>& problems) override {
        for (;;) {
            int len = 0;
            const wchar_t* text = file_.ReadTextLine(len, kMaxMenuLine);
            if (!text) return false;
            if (len < kMaxMenuLine) {
                line = Westring(text, len);
                return true;
            }
            // A line that long is no menu line; cut, it could run half a command.
            AddMenuProblem(problems, L"Menu line too long, left out", name());
            while (file_.last_line_end == LE_NONE && len >= kMaxMenuLine && file_.ReadTextLine(len, kMaxMenuLine)) {
            }
        }
    }

private:
    CTextFile& file_;
};

// An included file, owning its text reader.
class IncludedFile : public TextFileLines {
public:
    IncludedFile(std::unique_ptr<CTextFile> file, const Westring& name, const MenuFileId& id)
        : TextFileLines(*file, name, id), file_(std::move(file)) {}

private:
    std::unique_ptr<CTextFile> file_;
};

// Opens included files by their name relative to the including file.
class IncludeOpener : public MenuIncludeOpener {
public:
    explicit IncludeOpener(bool check_owner) : check_owner_(check_owner) {}

    std::unique_ptr<MenuLineSource> Open(const MenuLineSource& including, const Westring& name,
                                         std::vector<MenuProblem>& problems) override {
        Westring path = name;
        if (name[0] != L'/') {
            const Westring& from = including.name();
            const int slash = from.rchr(L'/');
            path = (slash < 0 ? Westring() : from.left(slash + 1)) + name;
        }
        std::unique_ptr<CTextFile> text;
        MenuFileId id;
        Westring refusal;
        switch (OpenMenuFile(path, check_owner_, text, id, refusal)) {
        case MenuFileOpen::kOpened: return std::make_unique<IncludedFile>(std::move(text), path, id);
        case MenuFileOpen::kRefused: AddMenuProblem(problems, refusal, Westring()); break;
        case MenuFileOpen::kMissing: AddMenuProblem(problems, L"Unable to open included menu", path); break;
        }
        return nullptr;
    }

private:
    bool check_owner_;
};

// The directory above dir (an absolute path); false at the root or for a
// path that is not absolute.
bool parent_directory(Westring& dir) {
    int end = dir.strlen();
    while (end > 1 && dir[end - 1] == L'/') end--;
    const Westring trimmed = dir.left(end);
    const int slash = trimmed.rchr(L'/');
    if (slash < 0 || end <= 1) return false;
    dir = slash == 0 ? Westring(L"/") : trimmed.left(slash);
    return true;
}

// The reader goes through the descriptor checked, by its name under
// /proc/self/fd, so that what is read is the file checked even when the
// name is changed in between. Without /proc the name is opened again and
// must still lead to the same file.
int open_checked(int fd, const Westring& name, const struct stat& checked, CTextFile& text) {
    const std::string through_fd = "/proc/self/fd/" + std::to_string(fd);
    int failure = text.Open(DecodeFileName(through_fd.c_str()).c_str());
    if (failure != ENOENT) return failure;
    failure = text.Open(name.c_str());
    if (failure != 0) return failure;
    struct stat now;
    if (stat(EncodeFileName(name).c_str(), &now) != 0) return errno;
    if (now.st_dev != checked.st_dev || now.st_ino != checked.st_ino) return EAGAIN;
    return 0;
}

}  // namespace

Westring MenuFileDistrust(const struct stat& status, uid_t uid) {
    if (status.st_uid != uid && status.st_uid != 0) return L"owned by another user";
    if (status.st_mode & S_IWOTH) return L"writable by others";
    if (status.st_mode & S_IWGRP) return L"writable by group";
    return Westring();
}

MenuFileOpen OpenMenuFile(const Westring& name, bool check_owner, std::unique_ptr<CTextFile>& text, MenuFileId& id,
                          Westring& refusal) {
    // Non-blocking, so that a FIFO of that name cannot hold the program up.
    const int fd = open(EncodeFileName(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return MenuFileOpen::kMissing;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return MenuFileOpen::kMissing;
    }
    if (check_owner) {
        const Westring distrust = MenuFileDistrust(status, geteuid());
        if (!distrust.empty()) {
            close(fd);
            refusal = Westring(L"Menu file not used: ") + name + L" (" + distrust + L")";
            return MenuFileOpen::kRefused;
        }
    }
    auto opened = std::make_unique<CTextFile>();
    const int failure = open_checked(fd, name, status, *opened);
    close(fd);
    if (failure != 0) return MenuFileOpen::kMissing;
    text = std::move(opened);
    id.device = static_cast<unsigned long long>(status.st_dev);
    id.inode = static_cast<unsigned long long>(status.st_ino);
    return MenuFileOpen::kOpened;
}

void MenuStore::LoadEntries(CTextFile& text_file, const Westring& name, const MenuFileId& id, bool check_owner,
                            std::vector<MenuProblem>& problems) {
    TextFileLines lines(text_file, name, id);
    IncludeOpener opener(check_owner);
    ParseMenu(*this, lines, opener, problems);
}

void LoadUserMenu(const Westring& global_file, const Westring& start_dir, bool local, MenuStore& menu,
                  std::vector<MenuProblem>& problems) {
    std::unique_ptr<CTextFile> text;
    MenuFileId id;
    Westring refusal;
    const Westring file_name = global_file.filename();
    if (local && !file_name.empty() && start_dir[0] == L'/') {
        Westring dir = start_dir;
        do {
            const Westring candidate = dir.AppendBackslash() + file_name;
            const MenuFileOpen opened = OpenMenuFile(candidate, true, text, id, refusal);
            if (opened == MenuFileOpen::kOpened) {
                menu.LoadEntries(*text, candidate, id, true, problems);
                return;
            }
            if (opened == MenuFileOpen::kRefused) {
                AddMenuProblem(problems, refusal, Westring());
                break;
            }
        } while (parent_directory(dir));
    }
    if (global_file.empty() || OpenMenuFile(global_file, false, text, id, refusal) != MenuFileOpen::kOpened) return;
    menu.LoadEntries(*text, global_file, id, false, problems);
}
