// Every format a Debian program writes, changed through its archive panel
// and checked with what that program itself extracts afterwards: members
// taken out (one, and a tagged set with a folder), files added, members
// deleted, a new archive made of tagged files, and an edited member put
// back.
#include "tests/archive/archiveops_fixture.h"

namespace {

using PathMap = std::map<std::string, std::string>;

class ArchiveRoundTrip : public ArchiveOpsTest, public ::testing::WithParamInterface<ArchiveFormat> {
protected:
    void SetUp() override {
        ArchiveOpsTest::SetUp();
        for (const char* name : {"plain.txt", "two words.txt", "-dash.txt", "dir/inner.txt", "dir/sub/deep.txt"})
            Source(name);
        archive_ = Make(GetParam());
    }
    std::string Bytes(const std::string& relative) const { return "bytes of " + relative + "\n"; }
    // Only the files of a tree, as the archivers differ on recording folders.
    static PathMap Files(const PathMap& tree) {
        PathMap files;
        for (const auto& [path, content] : tree)
            if (content != "<dir>") files[path] = content;
        return files;
    }
    std::string archive_;
};

TEST_P(ArchiveRoundTrip, MembersComeOutOneAtATimeAndAsATaggedSetWithAFolder) {
    OpenInPanel(archive_);
    PutCursor(panel_base[0], "plain.txt");
    CopyOut();
    EXPECT_EQ(FolderTree(out_), (PathMap{{"plain.txt", Bytes("plain.txt")}}));

    std::filesystem::remove(out_ + "/plain.txt");
    Tag(panel_base[0], {"dir", "two words.txt", "-dash.txt"});
    CopyOut();
    EXPECT_EQ(Files(FolderTree(out_)), (PathMap{{"-dash.txt", Bytes("-dash.txt")},
                                       {"dir/inner.txt", Bytes("dir/inner.txt")},
                                       {"dir/sub/deep.txt", Bytes("dir/sub/deep.txt")},
                                       {"two words.txt", Bytes("two words.txt")}}));
    // Nothing of the private folder the archiver wrote into is left.
    for (const auto& item : std::filesystem::directory_iterator(out_))
        EXPECT_EQ(item.path().filename().string().rfind(".dv-extract", 0), std::string::npos) << item.path();
    EXPECT_EQ(panel_base[0].num_tagged, 0);
}

TEST_P(ArchiveRoundTrip, FilesAreAddedAndMembersDeleted) {
    const std::string more = tmp / "more";
    std::filesystem::create_directories(more + "/newdir");
    WriteFile(more + "/new.txt", "new\n");
    WriteFile(more + "/newdir/n.txt", "n\n");
    OpenInPanel(archive_);
    // The archive on the right, the new files on the left: F5 adds them.
    std::swap(panel_base[0].archive, panel_base[1].archive);
    panel_base[1].dir = panel_base[0].dir;
    SetUpPanel(panel_base[0], more);
    read_panel(panel_base);
    Reread(1);
    Tag(panel_base[0], {"new.txt", "newdir"});
    CopyOut(0);
    PathMap expected = Files(Contents(GetParam(), archive_));
    EXPECT_EQ(expected["new.txt"], "new\n");
    EXPECT_EQ(expected["newdir/n.txt"], "n\n");
    EXPECT_EQ(expected["plain.txt"], Bytes("plain.txt"));

    // F6 of the cursor file moves it in: it leaves the folder.
    WriteFile(more + "/moved.txt", "moved\n");
    read_panel(panel_base);
    PutCursor(panel_base[0], "moved.txt");
    CopyOut(0, true);
    EXPECT_FALSE(std::filesystem::exists(more + "/moved.txt"));
    expected["moved.txt"] = "moved\n";

    Reread(1);
    Tag(panel_base[1], {"plain.txt", "dir"});
    Do([&] { ArchiveDelete(panel_base + 1); });
    expected.erase("plain.txt");
    expected.erase("dir/inner.txt");
    expected.erase("dir/sub/deep.txt");
    EXPECT_EQ(Files(Contents(GetParam(), archive_)), expected);
    // The panel shows the archive as it now is.
    Reread(1);
    EXPECT_EQ(Find(panel_base[1], "plain.txt"), nullptr);
    EXPECT_NE(Find(panel_base[1], "new.txt"), nullptr);
}

TEST_P(ArchiveRoundTrip, ANewArchiveHoldsTheTaggedFiles) {
    SetUpPanel(panel_base[0], src_);
    read_panel(panel_base);
    SetUpPanel(panel_base[1], out_);
    read_panel(panel_base + 1);
    Tag(panel_base[0], {"plain.txt", "dir"});
    PutCursor(panel_base[0], "plain.txt");
    static const std::map<std::string, const char*> kChoice = {
        {"zip", "Alt-z"}, {"tar", "Alt-t"}, {"sevenzip", "Alt-7"}, {"arj", "Alt-a"}, {"lha", "Alt-l"}};
    ui_.Keys(std::string(kChoice.at(GetParam().name)) + " Enter");
    int made_status = -1;
    Do([&] { made_status = MakeArchive(panel_base); });
    ASSERT_EQ(made_status, 0);
    // Proposed: the other panel's folder and the cursor entry's name without
    // its extension. tar gets its extension here; zip, 7z and arj add theirs.
    const std::string made = out_ + "/plain" + (GetParam().name == std::string("lha") ? "" : std::string(".") + GetParam().extension);
    ASSERT_TRUE(std::filesystem::exists(made)) << Narrow(panel_base[1].dir);
    EXPECT_EQ(Files(Contents(GetParam(), made)), (PathMap{{"dir/inner.txt", Bytes("dir/inner.txt")},
                                                       {"dir/sub/deep.txt", Bytes("dir/sub/deep.txt")},
                                                       {"plain.txt", Bytes("plain.txt")}}));
}

TEST_P(ArchiveRoundTrip, AnEditedMemberIsWrittenBackAndAnUnchangedOneIsNot) {
    OpenInPanel(archive_, "dir");
    Archive* archive = panel_base[0].archive;
    const Westring copy = archive->TmpExtractFile(L"inner.txt");
    ASSERT_FALSE(copy.empty());
    EXPECT_EQ(ReadFile(Narrow(copy)), Bytes("dir/inner.txt"));
    // Viewing another member releases the first: unchanged, nothing is run.
    const std::string before = ReadFile(archive_);
    ASSERT_FALSE(archive->TmpExtractFile(L"sub/deep.txt").empty());
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_FALSE(std::filesystem::exists(Narrow(copy)));

    const Westring again = archive->TmpExtractFile(L"inner.txt");
    ASSERT_FALSE(again.empty());
    WriteFile(Narrow(again), "edited\n");
    Do([&] { archive->ReleaseTmpFile(); });
    const PathMap after = Files(Contents(GetParam(), archive_));
    EXPECT_EQ(after.at("dir/inner.txt"), "edited\n");
    EXPECT_EQ(after.at("plain.txt"), Bytes("plain.txt"));
}

INSTANTIATE_TEST_SUITE_P(Formats, ArchiveRoundTrip, ::testing::ValuesIn(kWritableFormats),
                         [](const ::testing::TestParamInfo<ArchiveFormat>& info) { return info.param.name; });

}  // namespace
