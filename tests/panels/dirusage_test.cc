// Directory sizes against find's sums of the files and links below.
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "panels/dirtree.h"
#include "panels/dirusage.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"

namespace {

// The bytes of the files and links below dir, as find sees them: what
// `du -sb --apparent-size` counts, less the directories' own sizes.
uint64_t find_total(const std::string& dir) {
    return std::stoull(ShellOutput("find '" + dir + "' \\( -type f -o -type l \\) -printf '%s\\n' | awk '{s+=$1} END {printf \"%d\", s}'"));
}

TEST(DirUsageTest, FilesAndLinksAddTheirOwnSizesAndEachDirectoryKeepsItsTotal) {
    CTempDir disk;
    disk.MakeDir("top");
    disk.MakeDir("top/a");
    disk.MakeDir("top/a/deeper");
    disk.MakeDir("top/empty");
    disk.MakeDir("outside");
    disk.Write("top/one", std::string(1000, 'x'));
    disk.Write("top/a/two", std::string(12345, 'y'));
    disk.Write("top/a/deeper/three", std::string(7, 'z'));
    disk.Write("outside/big", std::string(100000, 'b'));
    ASSERT_EQ(symlink((disk / "outside/big").c_str(), (disk / "top/a/link-to-file").c_str()), 0);
    ASSERT_EQ(symlink((disk / "outside").c_str(), (disk / "top/link-to-dir").c_str()), 0);

    CTree tree('/', 9);
    tree.MakeRoot(Westring(L"/"));
    tree.valid = true;
    DirUsageCount count;
    const Westring top((disk / "top").c_str());
    const uint64_t total = dir_usage(&tree, top, count);
    EXPECT_EQ(total, find_total(disk / "top"));
    EXPECT_LT(total, 100000u);  // no link was followed
    EXPECT_EQ(count.bytes.load(), total);
    EXPECT_EQ(count.files.load(), 5u);  // three files, two links
    EXPECT_EQ(count.directories.load(), 4u);
    for (const char* dir : {"top", "top/a", "top/a/deeper", "top/empty"}) {
        const TREENODE* node = tree.Find(Westring((disk / dir).c_str()), false);
        ASSERT_NE(node, nullptr) << dir;
        EXPECT_EQ(node->size, find_total(disk / dir)) << dir;
    }
    EXPECT_TRUE(tree.modified);

    // Stopped: all ones, and no size stored.
    CTree stopped('/', 9);
    stopped.MakeRoot(Westring(L"/"));
    DirUsageCount partial;
    int polls = 0;
    EXPECT_EQ(dir_usage(&stopped, top, partial, [&polls](const Westring&) { return ++polls < 3; }),
              TREENODE::kUnknownSize);
    EXPECT_EQ(stopped.Find(top, false), nullptr);

    // A directory that cannot be listed counts as empty.
    DirUsageCount none;
    EXPECT_EQ(dir_usage(nullptr, Westring((disk / "missing").c_str()), none), 0u);
}

}  // namespace
