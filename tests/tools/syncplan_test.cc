// The synchronisation plan on listings made by hand: directories made
// before their contents, which targets count as older (FAT times too), and
// the refusal of trees that contain each other however they are reached.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/fsname.h"
#include "tests/support/temp_dir.h"
#include "tools/syncplan.h"

namespace {

SyncItem Item(const wchar_t* path, SyncKind kind, int64_t seconds = 1000, uint64_t size = 1) {
    SyncItem item;
    item.path = path;
    item.kind = kind;
    item.time = TimeStamp(seconds, 0);
    item.size = size;
    return item;
}

std::vector<SyncItem> Sorted(std::vector<SyncItem> items) {
    std::sort(items.begin(), items.end(),
              [](const SyncItem& a, const SyncItem& b) { return SyncPathCompare(a.path, b.path) < 0; });
    return items;
}

// "Type:path" per operation, in plan order.
std::vector<std::string> Lines(const SyncPlan& plan) {
    static const char* const names[] = {"MkDir", "Copy", "Update", "Delete", "DelDir", "Conflict"};
    std::vector<std::string> lines;
    for (const SyncOp& op : plan.ops)
        lines.push_back(std::string(names[static_cast<int>(op.type)]) + ":" + Narrow(op.path));
    return lines;
}

SyncChoices All() {
    SyncChoices choices;
    choices.delete_extra = true;
    return choices;
}

using ExpectedLines = std::vector<std::string>;

TEST(SyncPlan, MissingDirectoriesAreMadeBeforeTheirContents) {
    std::vector<SyncItem> source = Sorted({Item(L"b", SyncKind::Directory), Item(L"b/a", SyncKind::File, 1000, 5),
                                           Item(L"a", SyncKind::File, 1000, 7), Item(L"b/c", SyncKind::Directory),
                                           Item(L"b.z", SyncKind::Directory), Item(L"b/c/d", SyncKind::Link)});
    SyncPlan plan = MakeSyncPlan(source, {}, All(), false);
    EXPECT_EQ(Lines(plan), (ExpectedLines{"MkDir:b", "MkDir:b/c", "MkDir:b.z", "Copy:a", "Copy:b/a", "Copy:b/c/d"}));
    EXPECT_EQ(plan.total_bytes, 5u + 7u + 1u);
}

TEST(SyncPlan, OnlyStrictlyOlderTargetsAreUpdated) {
    std::vector<SyncItem> source = {Item(L"equal", SyncKind::File, 1000), Item(L"newer", SyncKind::File, 1000),
                                    Item(L"older", SyncKind::File, 1000), Item(L"pipe", SyncKind::Special, 1000)};
    std::vector<SyncItem> target = {Item(L"equal", SyncKind::File, 1000, 99), Item(L"newer", SyncKind::File, 1001),
                                    Item(L"older", SyncKind::File, 999), Item(L"pipe", SyncKind::Special, 1)};
    EXPECT_EQ(Lines(MakeSyncPlan(source, target, All(), false)), (ExpectedLines{"Update:older"}));
    SyncChoices no_update = All();
    no_update.update_older = false;
    EXPECT_TRUE(MakeSyncPlan(source, target, no_update, false).ops.empty());
}

TEST(SyncPlan, FatTimesWithinTwoSecondsAreNotOlder) {
    std::vector<SyncItem> source = {Item(L"a", SyncKind::File, 1002), Item(L"b", SyncKind::File, 1003)};
    std::vector<SyncItem> target = {Item(L"a", SyncKind::File, 1000), Item(L"b", SyncKind::File, 1000)};
    EXPECT_EQ(Lines(MakeSyncPlan(source, target, All(), true)), (ExpectedLines{"Update:b"}));
    EXPECT_EQ(Lines(MakeSyncPlan(source, target, All(), false)), (ExpectedLines{"Update:a", "Update:b"}));
}

class SyncOverlap : public ::testing::Test {
protected:
    CTempDir tmp;
    static Westring W(const std::string& path) { return DecodeFileName(path.c_str()); }
    int Overlap(const std::string& a, const std::string& b) { return SyncTreesOverlap(W(tmp / a), W(tmp / b)); }
};

TEST_F(SyncOverlap, TreesInsideEachOtherAreRefusedHoweverReached) {
    tmp.MakeDir("src");
    tmp.MakeDir("src/inner");
    tmp.MakeDir("src2");
    ASSERT_EQ(symlink((tmp / "src/inner").c_str(), (tmp / "into").c_str()), 0);
    ASSERT_EQ(symlink("src", (tmp / "same").c_str()), 0);

    EXPECT_EQ(Overlap("src", "src"), 1);
    EXPECT_EQ(Overlap("src", "src/inner"), 1);
    EXPECT_EQ(Overlap("src/inner", "src"), 1);
    // A link into the source looks like a separate tree by its path.
    EXPECT_EQ(Overlap("src", "into"), 1);
    EXPECT_EQ(Overlap("into", "src"), 1);
    EXPECT_EQ(Overlap("same", "src"), 1);
    // A sibling whose name merely starts alike is separate.
    EXPECT_EQ(Overlap("src", "src2"), 0);
    EXPECT_EQ(Overlap("src2", "src"), 0);
    // A path that cannot be resolved is not taken for separate.
    EXPECT_EQ(Overlap("src", "missing"), ENOENT);

    SyncPlan plan;
    plan.ops.push_back(SyncOp{SyncOpType::Copy, L"stale", 0});
    SyncPlanResult refused = CalcSyncPlan(W(tmp / "src"), W(tmp / "into"), All(), SyncScanOptions(), plan);
    EXPECT_EQ(refused.status, SyncPlanStatus::kIntoItself);
    EXPECT_TRUE(plan.ops.empty());
}

}  // namespace
