// The archive model: what a panel sees of a list of members, whatever
// order, shape or names the archive stored them in.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/nesteddir.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "panels/treeholder.h"
#include "tests/support/temp_dir.h"

namespace {

class ArchiveModelTest : public ::testing::Test {
protected:
    ArchiveModelTest() : archive_(Archive::Blank(Westring(L"/data/test.zip"))) {}

    ArchiveEntry* Add(const std::string& stored, uint64_t size = 1, uint32_t attr = 0, int64_t time = 1000) {
        MemberFields fields;
        fields.size = size;
        fields.packed = size == ArchiveEntry::kUnknown ? size : size / 2;
        fields.attr = attr;
        fields.time = TimeStamp(time, 0);
        return archive_->AddMember(stored.data(), stored.size(), NameCoding::kUtf8, fields);
    }

    // The listing of dir as "name" for files and "name/" for directories,
    // without "..", in byte order (the panel sorts it its own way): "!"
    // alone when FindFirst refuses the directory.
    std::vector<std::string> List(const std::string& dir) {
        archive_->entries.Sort();
        std::vector<std::string> names;
        entry* e = nullptr;
        if (archive_->FindFirst(DecodeFileName(dir.c_str()), &e) != 0) return {"!"};
        EXPECT_TRUE(e->is_parent());
        entry::Destroy(e);
        while (archive_->FindNext(&e) == 0) {
            names.push_back(Narrow(Westring(e->name)) + (e->is_dir() ? "/" : ""));
            entry::Destroy(e);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::unique_ptr<Archive> archive_;
};

using Names = std::vector<std::string>;

TEST_F(ArchiveModelTest, DirectoriesAreMadeUpFromDeeperPathsAndEachDirectoryListsOnlyItsOwn) {
    Add("a/b/c.txt");
    Add("a!.txt");
    Add("a/x.txt");
    Add("top.txt");
    Add("a/b/d/e.txt");
    EXPECT_EQ(List(""), (Names{"a!.txt", "a/", "top.txt"}));
    EXPECT_EQ(List("a"), (Names{"b/", "x.txt"}));
    EXPECT_EQ(List("a/b"), (Names{"c.txt", "d/"}));
    EXPECT_EQ(List("a/b/d"), (Names{"e.txt"}));
    EXPECT_EQ(List("nothing"), (Names{"!"}));
    EXPECT_EQ(List("a/b/c.txt"), (Names{"!"}));
}

TEST_F(ArchiveModelTest, ADirectoryRecordShowsOnceWithItsOwnTime) {
    Add("dir/", 0, 0, 5000);
    Add("dir/inner.txt", 1, 0, 7000);
    Add("other/deep/f", 1, 0, 9000);
    archive_->entries.Sort();
    entry* e = nullptr;
    ASSERT_EQ(archive_->FindFirst(Westring(), &e), 0);
    entry::Destroy(e);
    ASSERT_EQ(archive_->FindNext(&e), 0);
    EXPECT_STREQ(e->name, L"dir");
    EXPECT_TRUE(e->is_dir());
    EXPECT_EQ(e->time.seconds, 5000);
    entry::Destroy(e);
    ASSERT_EQ(archive_->FindNext(&e), 0);
    EXPECT_STREQ(e->name, L"other");
    EXPECT_EQ(e->time.seconds, 9000);  // from the member that implies it
    entry::Destroy(e);
    EXPECT_EQ(archive_->FindNext(&e), -1);
    EXPECT_EQ(List("dir"), (Names{"inner.txt"}));
}

TEST_F(ArchiveModelTest, DotSlashMembersShowAtTheTopBesideTheOthers) {
    ArchiveEntry* dotted = Add("./x");
    ArchiveEntry* plain = Add("y");
    EXPECT_TRUE(dotted->dot_slash);
    EXPECT_FALSE(plain->dot_slash);
    EXPECT_EQ(List(""), (Names{"x", "y"}));
    EXPECT_EQ(Archive::StoredName(dotted), "./x");
    EXPECT_EQ(Archive::StoredName(plain), "y");
}

TEST_F(ArchiveModelTest, NamesThatLeaveTheArchiveAreListedInsideItAndMarked) {
    ArchiveEntry* climbing = Add("../../etc/passwd");
    ArchiveEntry* absolute = Add("/abs/file");
    ArchiveEntry* middle = Add("a/../b/./c");
    ArchiveEntry* empty = Add("");
    ArchiveEntry* backslash = Add("dos\\..\\evil.txt");
    EXPECT_TRUE(climbing->unsafe());
    EXPECT_TRUE(absolute->unsafe());
    EXPECT_TRUE(middle->unsafe());
    EXPECT_TRUE(backslash->unsafe());
    EXPECT_FALSE(empty->unsafe());
    // A name ends at a zero byte: what follows cannot smuggle a ".." in.
    ArchiveEntry* zero = Add(std::string("..\0x", 4));
    EXPECT_TRUE(zero->unsafe());
    EXPECT_EQ(List(""), (Names{"a/", "abs/", "dos/", "etc/", "noname", "noname"}));
    EXPECT_EQ(List("a/b"), (Names{"c"}));
    EXPECT_EQ(List("dos"), (Names{"evil.txt"}));
    // The archiver programs still get the names they know.
    EXPECT_EQ(Archive::StoredName(climbing), "../../etc/passwd");
    EXPECT_EQ(Archive::StoredName(backslash), "dos\\..\\evil.txt");
}

TEST_F(ArchiveModelTest, StoredBytesAreKeptBesideTheDecodedName) {
    const std::string latin1 = "caf\xe9.txt";
    MemberFields fields;
    ArchiveEntry* e = archive_->AddMember(Westring(L"caf\u00e9.txt"), latin1.data(), latin1.size(), fields);
    ArchiveEntry* dir = Add("folder/");
    EXPECT_STREQ(e->name, "caf\xc3\xa9.txt");
    EXPECT_EQ(Archive::StoredName(e), latin1);
    EXPECT_EQ(Archive::StoredName(dir), "folder/");
    EXPECT_EQ(List(""), (Names{"caf\xc3\xa9.txt", "folder/"}));
}

TEST_F(ArchiveModelTest, TotalsSkipDirectoriesAndSizesTheFormatDoesNotRecord) {
    Add("a", 100);
    Add("d/", 0, FA_DIREC);
    Add("d/b", 50);
    Add("unknown", ArchiveEntry::kUnknown);
    int64_t size = 0, packed = 0;
    archive_->GetTotals(size, packed);
    EXPECT_EQ(size, 150);
    EXPECT_EQ(packed, 75);
    archive_->entries.Sort();
    entry* e = nullptr;
    ASSERT_EQ(archive_->FindFirst(Westring(), &e), 0);
    entry::Destroy(e);
    uint64_t files = 0, dirs = 0;
    EXPECT_EQ(archive_->du(Westring(L"d"), &files, &dirs), 50u);
    EXPECT_EQ(files, 1u);
}

TEST_F(ArchiveModelTest, DuAndTreeCountEveryDirectoryBelowOnce) {
    Add("t/a/b/f1", 10);
    Add("t/a/f2", 20);
    Add("t/c/d/e/f3", 30);
    Add("u/f4", 40);
    archive_->entries.Sort();
    entry* e = nullptr;
    ASSERT_EQ(archive_->FindFirst(Westring(), &e), 0);
    entry::Destroy(e);
    uint64_t files = 0, dirs = 0;
    EXPECT_EQ(archive_->du(Westring(L"t"), &files, &dirs), 60u);
    EXPECT_EQ(files, 3u);
    EXPECT_EQ(dirs, 5u);  // a, a/b, c, c/d, c/d/e

    TREENODE* root = archive_->MakeTree();
    EXPECT_EQ(Narrow(root->name), "/data/test.zip");
    EXPECT_EQ(root->size, 100u);
    ASSERT_TRUE(root->child);
    EXPECT_EQ(Narrow(root->child->name), "t");
    EXPECT_EQ(root->child->size, 60u);
    ASSERT_TRUE(root->child->next);
    EXPECT_EQ(Narrow(root->child->next->name), "u");
    EXPECT_EQ(root->child->next->next, nullptr);
    ASSERT_TRUE(root->child->child && root->child->child->next);
    EXPECT_EQ(Narrow(root->child->child->next->name), "c");
    EXPECT_EQ(root->child->child->next->parent, root->child);
    delete root;
}

// A member a hundred thousand directories deep: adding, listing, the tree
// and the sizes walk it without recursing once per level.
TEST_F(ArchiveModelTest, AMemberFarTooDeepForRecursionIsHandled) {
    std::string deep;
    for (int i = 0; i < 100000; i++) deep += "d/";
    Add(deep + "leaf", 7);
    Add("../" + deep + "x", 1);
    EXPECT_EQ(List(""), (Names{"d/"}));
    entry* e = nullptr;
    ASSERT_EQ(archive_->FindFirst(Westring(), &e), 0);
    entry::Destroy(e);
    EXPECT_EQ(archive_->du(Westring(L"d")), 8u);
    TREENODE* root = archive_->MakeTree();
    EXPECT_EQ(root->size, 8u);
    // The tree's own destructor frees children recursively: take it apart
    // level by level instead.
    TREENODE* node = root;
    std::vector<TREENODE*> chain;
    while (node) {
        chain.push_back(node);
        node = node->child;
    }
    EXPECT_EQ(chain.size(), 100001u);
    for (TREENODE* n : chain) n->child = nullptr;
    for (TREENODE* n : chain) delete n;
}

TEST_F(ArchiveModelTest, EntriesReturnedWithoutAllocationAreTheArchivesOwn) {
    Add("a");
    Add("b");
    archive_->entries.Sort();
    archive_->alloc_entries = 0;
    entry* e = nullptr;
    ASSERT_EQ(archive_->FindFirst(Westring(), &e), 0);
    ASSERT_EQ(archive_->FindNext(&e), 0);
    EXPECT_STREQ(e->name, L"a");
    ASSERT_EQ(archive_->FindNext(&e), 0);
    EXPECT_STREQ(e->name, L"b");
    EXPECT_EQ(archive_->FindNext(&e), -1);
    // Nothing to free: the archive frees its record (a leak shows under the sanitizers).
}

TEST(NestedDirTest, RemovalTakesReadOnlyFoldersButNeverFollowsALink) {
    CTempDir outside;
    outside.Write("precious", "keep me");
    Westring dir;
    ASSERT_EQ(MakeNestedDir(dir), 0);
    const std::string path = EncodeFileName(dir).c_str();
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::filesystem::create_directories(path + "/sub/ro");
    WriteFile(path + "/sub/ro/file", "x");
    chmod((path + "/sub/ro").c_str(), 0500);
    ASSERT_EQ(symlink(outside.path().c_str(), (path + "/link").c_str()), 0);
    ASSERT_EQ(symlink(outside.path().c_str(), (path + "/sub/link2").c_str()), 0);
    RemoveNestedDir(dir);
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(ReadFile(outside / "precious"), "keep me");
}

}  // namespace
