// Telling X11 clients from other programs by reading their files, checked
// against ldd (which runs the loader) and readelf on the machine's programs.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exec/elfdeps.h"
#include "exec/x11program.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"

namespace {

bool LddListsX11(const std::string& path) {
    return ShellOutput("ldd '" + path + "' 2>/dev/null").find("libX11.so") != std::string::npos;
}

// The bracketed values of readelf's dynamic-section lines of one kind, such
// as "(NEEDED)".
std::vector<std::string> ReadelfValues(const std::string& path, const std::string& kind) {
    std::string out = ShellOutput("LC_ALL=C readelf -dW '" + path + "' 2>/dev/null");
    std::vector<std::string> values;
    for (size_t at = 0; (at = out.find(kind, at)) != std::string::npos; at++) {
        size_t open = out.find('[', at), close = out.find("]\n", at);
        if (open < close && close != std::string::npos) values.push_back(out.substr(open + 1, close - open - 1));
    }
    return values;
}

bool Exists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// Known X11 clients and non-clients, the test program and the file manager,
// and a spread of whatever else /usr/bin holds.
std::vector<std::string> SamplePrograms() {
    std::vector<std::string> programs = {"/bin/ls", "/bin/sh", "/usr/bin/xmessage", "/usr/bin/xdotool",
                                         "/usr/bin/Xvfb", "/usr/bin/xterm", "/usr/bin/xclip", DV_BINARY_PATH};
    // This test program itself, by its real path: ldd runs in another
    // process, where /proc/self/exe would name ldd's own loader.
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) programs.emplace_back(self, static_cast<size_t>(length));
    std::vector<std::string> all;
    if (DIR* dir = opendir("/usr/bin")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') all.push_back(std::string("/usr/bin/").append(entry->d_name));
        closedir(dir);
    }
    std::sort(all.begin(), all.end());
    for (size_t i = 0; i < all.size(); i += std::max<size_t>(1, all.size() / 60)) programs.push_back(all[i]);
    programs.erase(std::remove_if(programs.begin(), programs.end(), [](auto& p) { return !Exists(p); }),
                   programs.end());
    return programs;
}

TEST(x11program, AgreesWithLddOnTheMachinesPrograms) {
    int clients = 0;
    for (const std::string& program : SamplePrograms()) {
        bool client = LddListsX11(program);
        EXPECT_EQ(IsX11(program.c_str()), client) << program;
        clients += client;
    }
    // The file manager links the toolkit, which draws through X11.
    EXPECT_TRUE(IsX11(DV_BINARY_PATH));
    EXPECT_FALSE(IsX11("/bin/sh"));
    EXPECT_GT(clients, 0);
}

TEST(x11program, ScriptsTextAndBrokenFilesAreNoClients) {
    CTempDir dir;
    EXPECT_FALSE(IsX11(dir.Write("script", "#!/bin/sh\nexec xmessage hello\n", 0755).c_str()));
    EXPECT_FALSE(IsX11(dir.Write("empty", "", 0755).c_str()));
    EXPECT_FALSE(IsX11((dir / "missing").c_str()));
    EXPECT_FALSE(IsX11(dir.path().c_str()));
    EXPECT_FALSE(IsX11(""));
    EXPECT_FALSE(IsX11(nullptr));
    std::string truncated = dir.Write("truncated", ReadFile("/bin/ls").substr(0, 100), 0755);
    EXPECT_FALSE(IsX11(truncated.c_str()));
}

TEST(x11elfdeps, ReadsWhatReadelfReads) {
    std::vector<std::string> files = {"/bin/ls", DV_BINARY_PATH, "/usr/bin/xmessage"};
    // Hand-made files of both word sizes and byte orders.
    std::string seeds = DV_TEST_DATA_DIR;
    seeds.erase(seeds.rfind("/tests/data")).append("/fuzz/corpus/elfdeps/");
    for (const char* seed : {"elf64-little-runpath", "elf32-little-rpath", "elf32-big-runpath", "elf64-big-both"})
        files.push_back(seeds + seed);
    for (const std::string& file : files) {
        if (!Exists(file)) continue;
        ElfDependencies fromFile, fromMemory;
        ASSERT_TRUE(ReadElfDependencies(file.c_str(), fromFile)) << file;
        std::string bytes = ReadFile(file);
        ASSERT_TRUE(ReadElfDependencies(bytes.data(), bytes.size(), fromMemory)) << file;
        EXPECT_EQ(fromFile.needed, ReadelfValues(file, "(NEEDED)")) << file;
        EXPECT_EQ(fromMemory.needed, fromFile.needed) << file;
        std::vector<std::string> runPath = ReadelfValues(file, "(RUNPATH)");
        EXPECT_EQ(fromFile.hasRunPath, !runPath.empty()) << file;
        EXPECT_EQ(fromFile.runPath, runPath.empty() ? "" : runPath[0]) << file;
        std::vector<std::string> rPath = ReadelfValues(file, "(RPATH)");
        EXPECT_EQ(fromFile.rPath, rPath.empty() ? "" : rPath[0]) << file;
    }
}

TEST(x11elfdeps, EveryTruncationReadsSafelyAndNamesNothingNew) {
    std::string bytes = ReadFile(Exists("/usr/bin/xmessage") ? "/usr/bin/xmessage" : "/bin/ls");
    ElfDependencies whole;
    ASSERT_TRUE(ReadElfDependencies(bytes.data(), bytes.size(), whole));
    ASSERT_FALSE(whole.needed.empty());
    for (size_t length = 0; length < bytes.size(); length += length < 4096 ? 1 : 509) {
        ElfDependencies part;
        if (!ReadElfDependencies(bytes.data(), length, part)) {
            EXPECT_TRUE(part.needed.empty()) << length;
            continue;
        }
        for (const std::string& name : part.needed)
            EXPECT_NE(std::find(whole.needed.begin(), whole.needed.end(), name), whole.needed.end()) << length;
    }
}

// Libraries found through $ORIGIN in a run path and an old-style rpath, two
// of which need each other, in a directory whose own name holds "$ORIGIN".
TEST(x11program, FollowsOriginPathsThroughALibraryCycle) {
    if (ShellOutput("command -v cc").empty()) GTEST_SKIP() << "no C compiler";
    CTempDir temp;
    std::string dir = temp.MakeDir("x$ORIGIN");
    WriteFile(dir + "/empty.c", "void f(void) {}\n");
    WriteFile(dir + "/main.c", "int main(void) { return 0; }\n");
    std::string build =
        "cd '" + dir + "' && mkdir lib bin && L='-shared -fPIC -Wl,--no-as-needed' && "
        "cc $L -o lib/libX11.so.6 -Wl,-soname,libX11.so.6 empty.c && "
        "cc $L -o lib/libmid.so -Wl,-soname,libmid.so empty.c lib/libX11.so.6 && "
        "cc $L -o lib/libb.so -Wl,-soname,libb.so empty.c && "
        "cc $L -o lib/liba.so -Wl,-soname,liba.so empty.c lib/libb.so -Wl,--disable-new-dtags,-rpath,'$ORIGIN' && "
        "cc $L -o lib/libb.so -Wl,-soname,libb.so empty.c lib/liba.so lib/libmid.so "
        "-Wl,--disable-new-dtags,-rpath,'$ORIGIN' && "
        "cc -o bin/client main.c -Wl,--no-as-needed lib/liba.so -Wl,--enable-new-dtags,-rpath,'$ORIGIN/../lib' && "
        "cp bin/client elsewhere && echo built";
    ASSERT_EQ(ShellOutput(build + " 2>&1"), "built\n");
    std::string client = dir + "/bin/client";
    EXPECT_TRUE(LddListsX11(client));
    EXPECT_TRUE(IsX11(client.c_str()));
    // From another directory its run path leads nowhere.
    EXPECT_FALSE(LddListsX11(dir + "/elsewhere"));
    EXPECT_FALSE(IsX11((dir + "/elsewhere").c_str()));
    // Without the library that needs X11 the cycle still ends.
    ASSERT_EQ(rename((dir + "/lib/libmid.so").c_str(), (dir + "/libmid.so").c_str()), 0);
    EXPECT_FALSE(LddListsX11(client));
    EXPECT_FALSE(IsX11(client.c_str()));
}

}  // namespace
