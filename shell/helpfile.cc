#include "shell/helpfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/helptopics.h"
#include "lib/fsname.h"
#include "shell/progfiles.h"

Westring help_file_override;

namespace {

constexpr size_t kHeaderBytes = 4;

int16_t read_le16(const unsigned char* at) {
    return static_cast<int16_t>(static_cast<uint16_t>(at[0] | (at[1] << 8)));
}

std::string at_byte(size_t offset) { return " (record at byte " + std::to_string(offset) + ")"; }

// The page's lines: the NUL-terminated texts of a body that ends in a NUL.
std::vector<std::string> split_lines(const unsigned char* body, size_t size) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < size; i++) {
        if (body[i] != 0) continue;
        lines.emplace_back(reinterpret_cast<const char*>(body + start), i - start);
        start = i + 1;
    }
    return lines;
}

struct LoadedHelp {
    HelpState state = HelpState::kNotLoaded;
    Westring file;
    std::string damage;
    std::vector<HelpPage> pages;
};

LoadedHelp loaded;

// The whole file, when it can be read and is not larger than a help file
// can sensibly be; too_large tells the two failures apart.
bool read_whole_file(const Westring& name, std::vector<unsigned char>& bytes, bool& too_large) {
    too_large = false;
    const int fd = open(EncodeFileName(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status;
    bool ok = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (ok && static_cast<uint64_t>(status.st_size) > kMaxHelpFileBytes) {
        too_large = true;
        ok = false;
    }
    if (ok) {
        // Read to the end rather than trust the size: the file may change
        // meanwhile. The buffer starts at the size fstat gave and grows.
        bytes.resize(static_cast<size_t>(status.st_size) + 1);
        size_t got = 0;
        for (;;) {
            if (got == bytes.size()) {
                if (bytes.size() > kMaxHelpFileBytes) break;
                bytes.resize(std::min(bytes.size() * 2, kMaxHelpFileBytes + 1));
            }
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        if (got > kMaxHelpFileBytes) {
            too_large = true;
            ok = false;
        }
        bytes.resize(ok ? got : 0);
    }
    close(fd);
    return ok;
}

}  // namespace

bool ParseHelp(const unsigned char* data, size_t size, std::vector<HelpPage>& pages, std::string& why) {
    pages.clear();
    why.clear();
    std::vector<HelpPage> read;
    bool has_end = false;
    size_t offset = 0;
    while (offset < size) {
        const size_t left = size - offset;
        if (left < kHeaderBytes) {
            why = "the last record's header is cut off" + at_byte(offset);
            return false;
        }
        const int topic = read_le16(data + offset);
        const int length = read_le16(data + offset + 2);
        // A length below the header would never move on to the next record.
        if (length < static_cast<int>(kHeaderBytes)) {
            why = "record length " + std::to_string(length) + " is shorter than its header" + at_byte(offset);
            return false;
        }
        if (static_cast<size_t>(length) > left) {
            why = "record length " + std::to_string(length) + " runs past the end of the file" + at_byte(offset);
            return false;
        }
        const unsigned char* body = data + offset + kHeaderBytes;
        const size_t body_size = static_cast<size_t>(length) - kHeaderBytes;
        if (body_size > 0 && body[body_size - 1] != 0) {
            why = "the text of topic " + std::to_string(topic) + " does not end in NUL" + at_byte(offset);
            return false;
        }
        read.push_back(HelpPage{topic, split_lines(body, body_size)});
        if (topic == HELP_END) has_end = true;
        offset += static_cast<size_t>(length);
    }
    if (!has_end) {
        why = size == 0 ? "the file is empty" : "the end record (topic 30000) is missing";
        return false;
    }
    pages = std::move(read);
    return true;
}

const HelpPage* FindHelpPage(const std::vector<HelpPage>& pages, int topic) {
    for (const HelpPage& page : pages)
        if (page.topic == topic || page.topic == HELP_END) return &page;
    return nullptr;
}

HelpState LoadHelpFile(const Westring& name) {
    loaded = LoadedHelp();
    loaded.file = name;
    std::vector<unsigned char> bytes;
    bool too_large = false;
    if (!read_whole_file(name, bytes, too_large)) {
        if (too_large) {
            loaded.state = HelpState::kDamaged;
            loaded.damage = "the file is larger than " + std::to_string(kMaxHelpFileBytes >> 20) + " MiB";
        }
        return loaded.state;
    }
    if (ParseHelp(bytes.data(), bytes.size(), loaded.pages, loaded.damage)) loaded.state = HelpState::kLoaded;
    else loaded.state = HelpState::kDamaged;
    return loaded.state;
}

void load_help() {
    static_cast<void>(LoadHelpFile(help_file_override.empty() ? DVFilename(DV_HELP) : help_file_override));
}

HelpState help_state() { return loaded.state; }

const Westring& help_file_name() { return loaded.file; }

const std::string& help_damage() { return loaded.damage; }

const HelpPage* HelpPageFor(int topic) {
    return loaded.state == HelpState::kLoaded ? FindHelpPage(loaded.pages, topic) : nullptr;
}
