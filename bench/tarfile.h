// A tar archive of many empty members in folders, written byte by byte
// (far faster than making the files and running tar over them).
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

// Writes folders folder records, each followed by members / folders empty
// files, as GNU tar writes them; false when the file cannot be written.
inline bool WriteEmptyMembersTar(const std::string& path, int members, int folders) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    char block[512];
    auto put = [&](const std::string& name, char type, const char* mode) {
        std::memset(block, 0, sizeof block);
        std::memcpy(block, name.data(), name.size());
        std::memcpy(block + 100, mode, 7);
        std::memcpy(block + 108, "0001750", 7);
        std::memcpy(block + 116, "0001750", 7);
        std::memcpy(block + 124, "00000000000", 11);
        std::memcpy(block + 136, "13727153000", 11);
        block[156] = type;
        std::memcpy(block + 257, "ustar  ", 8);
        std::memset(block + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : block) sum += c;
        std::snprintf(block + 148, 8, "%06o", sum);
        return std::fwrite(block, 1, sizeof block, out) == sizeof block;
    };
    bool ok = true;
    const int per_folder = members / folders;
    for (int f = 0; f < folders && ok; f++) {
        const std::string folder = "folder" + std::to_string(f) + "/";
        ok = put(folder, '5', "0000755");
        for (int m = 0; m < per_folder && ok; m++) ok = put(folder + "member" + std::to_string(m) + ".txt", '0', "0000644");
    }
    std::memset(block, 0, sizeof block);
    ok = ok && std::fwrite(block, 1, sizeof block, out) == sizeof block && std::fwrite(block, 1, sizeof block, out) == sizeof block;
    return std::fclose(out) == 0 && ok;
}
