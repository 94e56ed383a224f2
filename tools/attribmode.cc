#include "tools/attribmode.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "fileops/query/owners.h"
#include "lib/fsname.h"

namespace {

constexpr int kBits[ATTRIB_ROWS][ATTRIB_COLUMNS] = {
    {S_IRUSR, S_IWUSR, S_IXUSR, S_ISUID},
    {S_IRGRP, S_IWGRP, S_IXGRP, S_ISGID},
    {S_IROTH, S_IWOTH, S_IXOTH, S_ISVTX},
};

// Ids are 32 bits; all ones is the "no change" value of chown and so no id.
int64_t decimal_id(const Westring& text) {
    const int n = text.strlen();
    if (n == 0 || n > 10) return -2;
    int64_t value = 0;
    for (int i = 0; i < n; i++) {
        if (text[i] < L'0' || text[i] > L'9') return -2;
        value = value * 10 + (text[i] - L'0');
    }
    return value < 0xFFFFFFFFLL ? value : -2;
}

int64_t typed_id(const Westring& typed, int64_t (*by_name)(const Westring&)) {
    if (typed.empty()) return -1;
    const int64_t id = by_name(typed);
    return id >= 0 ? id : decimal_id(typed);
}

}  // namespace

int AttribBoxBit(int row, int column) { return kBits[row][column]; }

void AttribSettings::FromMode(int mode) {
    for (int row = 0; row < ATTRIB_ROWS; row++)
        for (int column = 0; column < ATTRIB_COLUMNS; column++)
            box[row * ATTRIB_COLUMNS + column] = several ? 1 : (mode & kBits[row][column]) ? 1 : 0;
}

unsigned char AttribSettings::Advance(unsigned char state) const {
    return static_cast<unsigned char>(state >= SetState() ? 0 : state + 1);
}

void AttribSettings::SetFromDigit(int row, int digit) {
    static const int kDigitBits[3] = {4, 2, 1};
    for (int i = 0; i < 3; i++) {
        const int index = row < 0 ? i * ATTRIB_COLUMNS + 3 : row * ATTRIB_COLUMNS + i;
        box[index] = (digit & kDigitBits[i]) ? SetState() : 0;
    }
}

int AttribNewMode(const AttribSettings& settings, int old_mode) {
    int mode = old_mode & 07777;
    for (int row = 0; row < ATTRIB_ROWS; row++) {
        for (int column = 0; column < ATTRIB_COLUMNS; column++) {
            const unsigned char state = settings.box[row * ATTRIB_COLUMNS + column];
            const int bit = kBits[row][column];
            if (state == 0) mode &= ~bit;
            else if (state == settings.SetState()) mode |= bit;
        }
    }
    return mode;
}

int64_t AttribUserId(const Westring& text) { return typed_id(text, Str2UID); }
int64_t AttribGroupId(const Westring& text) { return typed_id(text, Str2GID); }

int AttribApply(const Westring& path, int mode, int64_t uid, int64_t gid) {
    const Estring bytes = EncodeFileName(path);
    if (uid >= 0 || gid >= 0) {
        const uid_t new_uid = uid >= 0 ? static_cast<uid_t>(uid) : static_cast<uid_t>(-1);
        const gid_t new_gid = gid >= 0 ? static_cast<gid_t>(gid) : static_cast<gid_t>(-1);
        if (lchown(bytes.c_str(), new_uid, new_gid) != 0) return errno;
    }
    // A changed owner loses the set-id bits, so the mode comes second.
    if (chmod(bytes.c_str(), static_cast<mode_t>(mode & 07777)) != 0) return errno;
    return 0;
}
