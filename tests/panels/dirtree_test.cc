// The directory tree: scanning against find, the tree data file's round
// trip, and what a damaged or foreign file does.
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config.h"
#include "panels/dirtree.h"
#include "panels/treefile.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"

namespace {

// Every node's path relative to the root, in the tree's own order, and
// whether any size is known.
void collect(const TREENODE* node, const std::string& prefix, std::vector<std::string>& paths, bool& size_known) {
    for (const TREENODE* c = node->child; c; c = c->next) {
        const std::string path = prefix + Narrow(c->name);
        paths.push_back(path);
        if (c->size != TREENODE::kUnknownSize) size_known = true;
        collect(c, path + "/", paths, size_known);
    }
}

std::vector<std::string> tree_paths(const CTree& tree, bool* size_known = nullptr) {
    std::vector<std::string> paths;
    bool known = false;
    if (tree.root()) collect(tree.root(), "", paths, known);
    if (size_known) *size_known = known;
    return paths;
}

std::vector<std::string> find_dirs(const std::string& top) {
    std::vector<std::string> paths;
    std::string out = ShellOutput("cd '" + top + "' && find . -mindepth 1 -type d -printf '%P\\n' | LC_ALL=C sort");
    size_t at = 0;
    for (size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) paths.push_back(out.substr(at, end - at));
    return paths;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<std::string> messages;
void record_message(const Westring& message, const Westring&) { messages.push_back(Narrow(message)); }

class DirTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_dir_ = config.TreeDir;
        config.TreeDir = Westring(store_.path().c_str());
        saved_message_ = tree_message;
        tree_message = record_message;
        messages.clear();
    }
    void TearDown() override {
        config.TreeDir = saved_dir_;
        tree_message = saved_message_;
    }
    std::string TreeFile() const { return store_ / "dv2tree.dat"; }

    CTempDir disk_;
    CTempDir store_;
    Westring saved_dir_;
    void (*saved_message_)(const Westring&, const Westring&) = nullptr;
};

TEST_F(DirTreeTest, ScanFindsWhatFindFindsAndRoundTripsThroughTheFile) {
    for (const char* dir : {"b", "a", "a/B", "a/b", "a/b/deep", "Z", "space name", "ünï", "a/.hidden"})
        disk_.MakeDir(dir);
    disk_.Write("a/file", "x");
    ASSERT_EQ(symlink((disk_ / "a").c_str(), (disk_ / "b/link-to-a").c_str()), 0);

    CTree tree('/', 1234);
    ASSERT_TRUE(tree.Scan(Westring(disk_.path().c_str())));
    EXPECT_TRUE(tree.valid);
    EXPECT_FALSE(tree.modified);
    const std::vector<std::string> scanned = tree_paths(tree);
    EXPECT_EQ(sorted(scanned), find_dirs(disk_.path()));  // the link is not followed

    // The written file loads back to the same nodes, each node's children
    // in exact name order, no size known.
    CTree loaded('/', 1234);
    ASSERT_TRUE(loaded.Load());
    EXPECT_TRUE(loaded.valid);
    bool size_known = true;
    const std::vector<std::string> reloaded = tree_paths(loaded, &size_known);
    EXPECT_EQ(reloaded, scanned);
    EXPECT_FALSE(size_known);
    EXPECT_EQ(std::vector<std::string>(reloaded.begin(), reloaded.begin() + 3),
              (std::vector<std::string>{"Z", "a", "a/.hidden"}));
    EXPECT_TRUE(messages.empty());

    struct stat st;
    ASSERT_EQ(stat(TreeFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DirTreeTest, FindAndSearchRespectCaseUnlessAsked) {
    for (const char* dir : {"Foo", "foo", "foo/lib", "x", "x/y", "x/y/lib", "x/y/lib/z"}) disk_.MakeDir(dir);
    CTree tree('/', 1);
    ASSERT_TRUE(tree.Scan(Westring(disk_.path().c_str())));
    const Westring top(disk_.path().c_str());
    TREENODE* upper = tree.Find(top + L"/Foo", false);
    TREENODE* lower = tree.Find(top + L"/foo", false);
    ASSERT_TRUE(upper && lower);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(tree.Find(top + L"/FOO", false), nullptr);
    EXPECT_NE(tree.Find(top + L"/FOO", true), nullptr);
    EXPECT_EQ(tree.Find(top + L"/x/y/nothing", false), nullptr);
    EXPECT_EQ(tree.Find(Westring(L"/elsewhere"), false), nullptr);

    Westring found;
    ASSERT_TRUE(tree.Search(Westring(L"lib/z"), found, false));
    EXPECT_EQ(Narrow(found), disk_.path() + "/x/y/lib/z");
    ASSERT_TRUE(tree.Search(Westring(L"lib"), found, false));
    EXPECT_EQ(Narrow(found), disk_.path() + "/foo/lib");  // depth first: foo's subtree before x
    EXPECT_FALSE(tree.Search(Westring(L"LIB/Z"), found, false));
    EXPECT_TRUE(tree.Search(Westring(L"LIB/Z"), found, true));
}

TEST_F(DirTreeTest, ScanStopsAtTheDeepestLevelTheFileHoldsAndAtEsc) {
    disk_.MakeDeepDirs("d", 70, 1);
    CTree tree('/', 7);
    ASSERT_TRUE(tree.Scan(Westring(disk_.path().c_str())));
    const std::vector<std::string> paths = tree_paths(tree);
    ASSERT_EQ(paths.size(), size_t(kMaxTreeFileDepth));
    std::string error;
    CTree loaded('/', 7);
    EXPECT_TRUE(loaded.LoadBytes(tree.Bytes(), error)) << error;
    EXPECT_EQ(tree_paths(loaded), paths);

    // Nodes put deeper by hand (a graft) are left out of the file with
    // everything below them, and the file still loads.
    TREENODE* node = tree.root();
    while (node->child) node = node->child;
    TREENODE* deeper = NewTreeNode(Westring(L"deeper"), node);
    node->child = deeper;
    deeper->child = NewTreeNode(Westring(L"deepest"), deeper);
    EXPECT_TRUE(loaded.LoadBytes(tree.Bytes(), error)) << error;
    EXPECT_EQ(tree_paths(loaded), paths);

    int polls = 0;
    EXPECT_FALSE(tree.Scan(Westring(disk_.path().c_str()), [&polls](uint64_t) { return ++polls < 5; }));
    EXPECT_FALSE(tree.valid);
    EXPECT_TRUE(tree_paths(tree).empty());
}

TEST_F(DirTreeTest, AForeignOrDamagedFileLoadsAsALoneRoot) {
    const std::string header = TreeFileHeader(42);
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> damaged = {
        {"too short", std::string("\x2a\x00", 2)},
        {"no root", header},
        {"depth p", header + "0/\n1a\np" + "b\n"},
        {"a jump two levels down", header + "0/\n1a\n3b\n"},
        {"a second root", header + "0/\n1a\n0/\n"},
        {"a first line that is no root", header + "1a\n"},
        {"a root that is not /", header + "0x\n"},
        {"bad UTF-8", header + "0/\n1\xc3(\n"},
        {"a stray continuation byte", header + "0/\n1\x80\n"},
        {"a line over 300 bytes", header + "0/\n1" + std::string(299, 'n') + "\n"},
        {"a cut last line", header + "0/\n1abc"},
        {"a name with a slash", header + "0/\n1a/b\n"},
        {"a name of dots", header + "0/\n1..\n"},
        {"an empty name", header + "0/\n1\n"},
        {"a zero byte", header + std::string("0/\n1a\0b\n", 8)},
    };
    for (const Case& c : damaged) {
        CTree tree('/', 42);
        std::string error;
        EXPECT_FALSE(tree.LoadBytes(c.bytes, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_FALSE(tree.valid) << c.what;
        ASSERT_NE(tree.root(), nullptr) << c.what;
        EXPECT_EQ(Narrow(tree.root()->name), "/") << c.what;
        EXPECT_EQ(tree.root()->child, nullptr) << c.what;
    }

    // Another file system's file: ignored without a word.
    CTree other('/', 43);
    std::string error;
    EXPECT_FALSE(other.LoadBytes(header + "0/\n1a\n", error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(other.root()->child, nullptr);

    // The longest line allowed still loads, shallower lines go back up.
    CTree good('/', 42);
    ASSERT_TRUE(good.LoadBytes(header + "0/\n1a\n2b\n3c\n1" + std::string(298, 'n') + "\n", error)) << error;
    EXPECT_EQ(tree_paths(good), (std::vector<std::string>{"a", "a/b", "a/b/c", std::string(298, 'n')}));

    // A damaged file on disk is reported once and rescanned later.
    WriteFile(TreeFile(), header + "0/\n1a\np\n");
    CTree from_disk('/', 42);
    EXPECT_FALSE(from_disk.Load());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("line 3"), std::string::npos) << messages[0];
}

TEST_F(DirTreeTest, AFailedWriteKeepsTheOldFileAndSaysSo) {
    disk_.MakeDir("kept");
    CTree tree('/', 5);
    ASSERT_TRUE(tree.Scan(Westring(disk_.path().c_str())));
    const std::string before = ReadFile(TreeFile());
    ASSERT_NE(before.find("1kept\n"), std::string::npos);

    // The folder refuses new files: the temporary file cannot be made.
    // (A file as the folder works for every user, root too.)
    config.TreeDir = Westring((TreeFile() + "/sub").c_str());
    disk_.MakeDir("new");
    tree.modified = true;
    EXPECT_FALSE(tree.Write());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Error writing tree data file:", 0), 0u) << messages[0];
    EXPECT_EQ(ReadFile(TreeFile()), before);
    EXPECT_TRUE(tree.modified);
    EXPECT_NE(tree.Find(Westring((disk_.path() + "/kept").c_str()), false), nullptr);

    // Writing elsewhere makes the missing folder, private.
    config.TreeDir = Westring((store_ / "made").c_str());
    EXPECT_TRUE(tree.Write());
    struct stat st;
    ASSERT_EQ(stat((store_ / "made").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(tree.modified);
}

TEST(TreeSetTest, KeysWithAndWithoutIdentityKeepEveryTree) {
    CTreeSet set;
    // Ordered so that a comparison mixing identity and volume would cycle.
    CTree* a = set.GetTree('c', 1);
    CTree* b = set.GetTree('a', 2);
    CTree* c = set.GetTree('b', 0);
    EXPECT_EQ(set.GetTree('c', 1), a);
    EXPECT_EQ(set.GetTree('a', 2), b);
    EXPECT_EQ(set.GetTree('b', 0), c);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
}

}  // namespace
