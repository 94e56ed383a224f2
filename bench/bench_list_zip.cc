// Opening a ZIP archive of 100,000 members as a panel does (the central
// directory read, the members sorted, the top directory and one folder
// listed), against `unzip -l` on the same file. The archive is written
// here byte by byte as zip writes it for a tree of empty files: 1000
// folders of 100 files, each member with its Unix time and owner fields,
// and ZIP64 end records since the members are more than 65,535.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "archive/archive.h"
#include "bench/archivelisting.h"
#include "bench/harness.h"
#include "lib/fsname.h"

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr uint32_t kTime = 1600000000;

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

// The extended timestamp (modification and access time in the local
// header, modification time only in the central one) and the owner field.
std::string ExtraFields(bool local) {
    std::string extra;
    Put16(extra, 0x5455);
    Put16(extra, local ? 9 : 5);
    extra += '\3';
    Put32(extra, kTime);
    if (local) Put32(extra, kTime);
    Put16(extra, 0x7875);
    Put16(extra, 11);
    extra += "\1\4";
    Put32(extra, 1000);
    extra += '\4';
    Put32(extra, 1000);
    return extra;
}

// The archive's bytes: folder records and empty stored files.
std::string MakeArchive() {
    std::string body, directory;
    const std::string local_extra = ExtraFields(true);
    const std::string central_extra = ExtraFields(false);
    uint64_t members = 0;
    auto add = [&](const std::string& name, bool folder) {
        const uint32_t offset = static_cast<uint32_t>(body.size());
        Put32(body, 0x04034B50);
        Put16(body, 10);
        Put16(body, 0);
        Put16(body, 0);
        Put32(body, 0x51356000);  // DOS time and date: 2020-09-21 12:00:00
        Put32(body, 0);
        Put32(body, 0);
        Put32(body, 0);
        Put16(body, static_cast<uint32_t>(name.size()));
        Put16(body, static_cast<uint32_t>(local_extra.size()));
        body += name;
        body += local_extra;

        Put32(directory, 0x02014B50);
        Put16(directory, 0x031E);  // made on Unix
        Put16(directory, 10);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0x51356000);
        Put32(directory, 0);
        Put32(directory, 0);
        Put32(directory, 0);
        Put16(directory, static_cast<uint32_t>(name.size()));
        Put16(directory, static_cast<uint32_t>(central_extra.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, folder ? (040755u << 16) | 0x10 : 0100644u << 16);
        Put32(directory, offset);
        directory += name;
        directory += central_extra;
        members++;
    };
    char name[32];
    for (int d = 0; d < kFolders; d++) {
        std::snprintf(name, sizeof name, "d%03d/", d);
        add(name, true);
        for (int f = 0; f < kFilesPerFolder; f++) {
            std::snprintf(name, sizeof name, "d%03d/f%06d.txt", d, d * kFilesPerFolder + f);
            add(name, false);
        }
    }
    const uint64_t directory_offset = body.size();
    std::string out = body + directory;
    const uint64_t record_offset = out.size();
    Put32(out, 0x06064B50);
    Put64(out, 44);
    Put16(out, 0x031E);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, members);
    Put64(out, members);
    Put64(out, directory.size());
    Put64(out, directory_offset);
    Put32(out, 0x07064B50);
    Put32(out, 0);
    Put64(out, record_offset);
    Put32(out, 1);
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0xFFFF);
    Put16(out, 0xFFFF);
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, static_cast<uint32_t>(directory_offset));
    Put16(out, 0);
    return out;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    CBenchScratch dir("dvbenchzip");
    const std::string path = dir.path() + "/many.zip";
    const std::string bytes = MakeArchive();
    FILE* out = dir.path().empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "list_zip: cannot write the archive\n");
        return 1;
    }
    const Westring wide_path = DecodeFileName(path.c_str());

    // One run taken apart: the reading (with the sort) and the two listings.
    {
        auto start = std::chrono::steady_clock::now();
        Archive archive(wide_path.c_str(), nullptr);
        const double read = SecondsSince(start);
        start = std::chrono::steady_clock::now();
        const int top = ListArchiveDirectory(archive, L"");
        const double list_top = SecondsSince(start);
        start = std::chrono::steady_clock::now();
        const int folder = ListArchiveDirectory(archive, L"d500");
        const double list_folder = SecondsSince(start);
        if (archive.count() != kFolders * (kFilesPerFolder + 1) || top != kFolders + 1 || folder != kFilesPerFolder + 1) {
            std::fprintf(stderr, "list_zip: read %d members, listed %d and %d entries\n", archive.count(), top, folder);
            return 1;
        }
        std::printf("list_zip: read and sorted %.4f s, top listed %.4f s, a folder listed %.4f s\n", read, list_top,
                    list_folder);
    }

    Comparison c;
    c.name = "list_zip";
    c.tool = "unzip -l";
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            Archive archive(wide_path.c_str(), nullptr);
            const int listed = ListArchiveDirectory(archive, L"") + ListArchiveDirectory(archive, L"d500");
            if (listed != kFolders + kFilesPerFolder + 2) state.SkipWithError("the listing is wrong");
        }
    };
    const std::string command = "unzip -l '" + path + "' >/dev/null";
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command) < 0) state.SkipWithError("unzip failed");
        }
    };
    return RunComparison(argc, argv, c);
}
