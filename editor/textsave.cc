// Saving a text file: the new text is written to a temporary file beside
// the file, synced, given the old file's permissions and owner, and renamed
// over it, so that a failure at any point (a full disk, a write error, a
// kill) leaves the file as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cwchar>

#include "editor/textfile.h"
#include "fileops/besidefile.h"
#include "lib/atpath.h"
#include "lib/fsname.h"

namespace {

constexpr size_t kFlushBytes = 1 << 20;

// The file a save replaces: through symbolic links, their final target,
// so that the links stay links. A name that does not exist yet is saved
// as it is.
std::string SaveTarget(const Westring& name) {
    Estring encoded = EncodeFileName(name);
    char* real = realpath(encoded.c_str(), nullptr);
    std::string target = real ? real : encoded.c_str();
    std::free(real);
    return target;
}

// Makes the rename durable; the new text is in place already, so a failure
// here is not a failed save.
void SyncDirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)fsync(fd);
    ::close(fd);
}

}  // namespace

CTextFile::~CTextFile() { AbandonSave(); }

void CTextFile::AbandonSave() {
    if (save_fd_ >= 0) {
        ::close(save_fd_);
        save_fd_ = -1;
        if (save_target_) DropBeside(*save_target_, save_temp_);
    }
    save_target_.reset();
    out_.clear();
}

int CTextFile::BeginSave() {
    AbandonSave();
    save_error_ = 0;
    unwritable_written = 0;
    links_broken = 0;
    // A text that could not be read whole must never replace the file.
    if (read_only) return save_error_ = read_error != 0 ? read_error : EROFS;
    if (format == FF_UNKNOWN) format = FF_UTF8;
    swap = IsBigEndian(format);
    cp_table_.Build(code_page);

    save_target_ = std::make_unique<AtPath>(SaveTarget(name_).c_str());
    int fd = -1;
    save_error_ = MakeBeside(
        *save_target_,
        [&fd](int dir, const char* leaf) {
            fd = openat(dir, leaf, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            return fd < 0 ? errno : 0;
        },
        save_temp_);
    if (save_error_ != 0) {
        save_target_.reset();
        return save_error_;
    }
    save_fd_ = fd;
    if (has_bom && format < FF_CODEPAGE) {
        int length = 0;
        const uint8_t* mark = FormatBOM(format, &length);
        out_.append(reinterpret_cast<const char*>(mark), static_cast<size_t>(length));
    }
    return 0;
}

int CTextFile::FlushOut() {
    size_t done = 0;
    while (save_error_ == 0 && done < out_.size()) {
        ssize_t wrote = ::write(save_fd_, out_.data() + done, out_.size() - done);
        if (wrote > 0) done += static_cast<size_t>(wrote);
        else if (wrote < 0 && errno == EINTR) continue;
        else save_error_ = wrote < 0 ? errno : ENOSPC;
    }
    out_.clear();
    return save_error_;
}

void CTextFile::Put(wchar_t c) {
    if (!EncodeChar(format, cp_table_, c, out_)) unwritable_written++;
}

int CTextFile::WriteLine(const wchar_t* s, int len, ELineEnd end) {
    if (save_fd_ < 0) return save_error_ != 0 ? save_error_ : EBADF;
    if (save_error_ != 0) return save_error_;
    int i = 0;
    while (i < len) {
        if (format == FF_UTF8) {
            // ASCII is its own UTF-8: a run of it goes out as it is.
            const int start = i;
            while (i < len && static_cast<uint32_t>(s[i]) < 0x80) i++;
            if (i > start) {
                const size_t at = out_.size();
                out_.resize(at + static_cast<size_t>(i - start));
                for (int k = start; k < i; k++) out_[at + static_cast<size_t>(k - start)] = static_cast<char>(s[k]);
                continue;
            }
        }
        Put(s[i++]);
    }
    switch (end) {
    case LE_LF: Put('\n'); break;
    case LE_CR: Put('\r'); break;
    case LE_CRLF: Put('\r'), Put('\n'); break;
    case LE_LFCR: Put('\n'), Put('\r'); break;
    case LE_NONE: break;
    }
    if (out_.size() >= kFlushBytes) FlushOut();
    return save_error_;
}

int CTextFile::WriteStr(const wchar_t* s, bool newline) {
    return WriteLine(s, static_cast<int>(std::wcslen(s)), newline ? DefaultLineEnd() : LE_NONE);
}

int CTextFile::WriteWideStr(const wchar_t* s) { return WriteLine(s, static_cast<int>(std::wcslen(s)), LE_NONE); }

int CTextFile::EndSave() {
    if (save_fd_ < 0) return save_error_ != 0 ? save_error_ : EBADF;
    FlushOut();
    struct stat old;
    const bool replacing = fstatat(save_target_->dir(), save_target_->leaf(), &old, 0) == 0;
    if (save_error_ == 0) {
        mode_t mode;
        if (replacing) {
            // The owner first: a change of owner clears set-id bits. Only
            // the superuser may give a file away; anyone else keeps theirs.
            (void)fchown(save_fd_, old.st_uid, old.st_gid);
            mode = old.st_mode & 07777;
        } else {
            mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        if (fchmod(save_fd_, mode) != 0) save_error_ = errno;
    }
    if (save_error_ == 0 && fsync(save_fd_) != 0) save_error_ = errno;
    if (::close(save_fd_) != 0 && save_error_ == 0) save_error_ = errno;
    save_fd_ = -1;
    if (save_error_ != 0) {
        DropBeside(*save_target_, save_temp_);
    } else {
        save_error_ = PutInPlace(*save_target_, save_temp_, true);
    }
    const std::string target = SaveTarget(name_);
    save_target_.reset();
    if (save_error_ != 0) return save_error_;
    SyncDirectoryOf(target);
    links_broken = replacing && old.st_nlink > 1 ? static_cast<int>(old.st_nlink - 1) : 0;

    // Reads go on in the new file, in the format just written.
    EFileFormat written = format;
    int result = open(name_);
    if (result == 0) {
        int length = 0;
        FormatBOM(written, &length);
        data_start = has_bom && written < FF_CODEPAGE ? length : 0;
        pos = data_start;
        search_buf_at_ = -1;
        search_buf_len_ = 0;
    }
    return result;
}

int CTextFile::FirstUnwritable(const wchar_t* s, int len) {
    cp_table_.Build(code_page);
    EFileFormat target = format == FF_UNKNOWN ? FF_UTF8 : format;
    for (int i = 0; i < len; i++)
        if (!CanEncode(target, cp_table_, s[i])) return i;
    return -1;
}

int CTextFile::CountUnwritable(const wchar_t* s, int len) {
    cp_table_.Build(code_page);
    EFileFormat target = format == FF_UNKNOWN ? FF_UTF8 : format;
    int count = 0;
    for (int i = 0; i < len; i++)
        if (!CanEncode(target, cp_table_, s[i])) count++;
    return count;
}
