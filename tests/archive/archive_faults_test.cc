// Archives built to trip the archive commands up: names that climb out of
// the folder, links planted in the way, names that look like options or
// wildcards, moves that only partly arrive, archivers that are missing or
// fail, and more names than one command line holds.
#include "archive/archivecommand.h"
#include "archive/heldmembers.h"
#include "tests/archive/archiveops_fixture.h"

namespace {

using PathMap = std::map<std::string, std::string>;

const ArchiveFormat& Format(const std::string& name) {
    for (const ArchiveFormat& format : kWritableFormats)
        if (name == format.name) return format;
    throw std::runtime_error(name);
}

class ArchiveFaultsTest : public ArchiveOpsTest {
protected:
    // Runs a Python script (the standard library writes archives with any
    // member names) in tmp.
    void Python(const std::string& script) {
        WriteFile(tmp / "make.py", script);
        ASSERT_EQ(RunShell("cd " + ShellQuote(tmp.path()) + " && python3 make.py"), 0);
    }
    bool Shown(const std::string& text) const { return AnyScreenShows(ui_, text); }
};

TEST_F(ArchiveFaultsTest, AMemberWhoseStoredNameClimbsOutIsNeverWrittenThere) {
    std::filesystem::create_directories(tmp / "deep/er");
    Python("import gzip, zipfile\n"
           "with open('deep/er/evil.gz', 'wb') as raw:\n"
           "    with gzip.GzipFile(filename='../../victim', mode='wb', fileobj=raw) as g: g.write(b'owned')\n"
           "with zipfile.ZipFile('deep/er/evil.zip', 'w') as z:\n"
           "    z.writestr('../../victim', 'owned')\n"
           "    z.writestr('good.txt', 'good')\n");
    ui_.RecordScreens(true);
    OpenInPanel(tmp / "deep/er/evil.zip");
    Tag(panel_base[0], {"victim", "good.txt"});
    ui_.Keys("Enter Enter");  // the destination, then the message naming what was left alone
    Do([&] { archive_copy_move(panel_base, 0, false); });
    EXPECT_EQ(FolderTree(out_), (PathMap{{"good.txt", "good"}}));
    EXPECT_TRUE(Shown("its stored name leads outside")) << ui_.Screens().back().Dump();
    EXPECT_EQ(Tagged(panel_base[0]), (std::vector<std::string>{"victim"}));  // left alone, still tagged
    CloseArchives(panel_base);
    std::filesystem::remove(out_ + "/good.txt");

    OpenInPanel(tmp / "deep/er/evil.gz");
    ASSERT_EQ(panel_base[0].num_files, 2);
    // A single-file archive's member only ever gets its plain name.
    Westring copy;
    Do([&] { copy = panel_base[0].archive->TmpExtractFile(L"victim"); });
    EXPECT_EQ(ReadFile(Narrow(copy)), "owned");
    PutCursor(panel_base[0], "victim");
    CopyOut();
    EXPECT_EQ(FolderTree(out_), (PathMap{{"victim", "owned"}}));
    for (const std::string& place : {tmp / "victim", tmp / "deep/victim", tmp / "deep/er/victim"})
        EXPECT_FALSE(std::filesystem::exists(place)) << place;
}

TEST_F(ArchiveFaultsTest, ALinkLeftByAnEarlierExtractionRedirectsNothing) {
    std::filesystem::create_directories(tmp / "outside");
    std::filesystem::create_directory_symlink(tmp / "outside", out_ + "/link");
    Source("link/payload");
    OpenInPanel(Make(Format("tar")));
    Tag(panel_base[0], {"link"});
    ui_.Keys("Enter Enter Enter");
    Do([&] { archive_copy_move(panel_base, 0, false); });
    EXPECT_FALSE(std::filesystem::exists(tmp / "outside/payload"));
}

TEST_F(ArchiveFaultsTest, ANameThatLooksLikeAnOptionStaysAName) {
    const std::string option = "--checkpoint-action=exec=touch PWNED";
    Source(option);
    Source("-x");
    Source("plain.txt");
    const std::string archive = Make(Format("tar"));
    OpenInPanel(archive);
    PutCursor(panel_base[0], option.c_str());
    CopyOut();  // the name alone on the command line
    EXPECT_EQ(FolderTree(out_), (PathMap{{option, "bytes of " + option + "\n"}}));
    std::filesystem::remove(out_ + "/" + option);
    Tag(panel_base[0], {option.c_str(), "-x"});
    CopyOut();  // the names in a list file
    EXPECT_EQ(FolderTree(out_).size(), 2u);
    Tag(panel_base[0], {option.c_str(), "-x"});
    Do([&] { ArchiveDelete(panel_base); });
    EXPECT_EQ(Contents(Format("tar"), archive), (PathMap{{"plain.txt", "bytes of plain.txt\n"}}));
}

class WildcardNames : public ArchiveFaultsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WildcardNames, ReachTheArchiverAsExactlyThoseNames) {
    for (const char* name : {"a*b", "aXb", "a!b", "a?b", "[x]", "x", "dir/?x", "dir/ax"}) Source(name);
    const ArchiveFormat& format = Format(GetParam());
    const std::string archive = Make(format);
    OpenInPanel(archive);
    PutCursor(panel_base[0], "a*b");
    CopyOut();
    EXPECT_EQ(FolderTree(out_), (PathMap{{"a*b", "bytes of a*b\n"}}));
    Tag(panel_base[0], {"a?b", "[x]"});
    CopyOut();
    EXPECT_EQ(FolderTree(out_).size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(out_ + "/[x]"));

    Tag(panel_base[0], {"a*b", "a?b"});
    Do([&] { ArchiveDelete(panel_base); });
    Reread(0);
    PutCursor(panel_base[0], "[x]");
    Do([&] { ArchiveDelete(panel_base); });
    PathMap left;
    for (const auto& [path, content] : Contents(format, archive))
        if (content != "<dir>") left[path] = content;
    EXPECT_EQ(left, (PathMap{{"a!b", "bytes of a!b\n"},
                             {"aXb", "bytes of aXb\n"},
                             {"dir/?x", "bytes of dir/?x\n"},
                             {"dir/ax", "bytes of dir/ax\n"},
                             {"x", "bytes of x\n"}}));
}

INSTANTIATE_TEST_SUITE_P(Formats, WildcardNames, ::testing::Values("zip", "tar", "sevenzip"));

TEST_F(ArchiveFaultsTest, AMoveDeletesOnlyTheMembersThatArrived) {
    Source("plain.txt");
    Source("other.txt");
    Source("third.txt");
    const std::string archive = Make(Format("zip"));
    WriteFile(out_ + "/plain.txt", "mine\n");
    OpenInPanel(archive);
    Tag(panel_base[0], {"plain.txt", "other.txt"});
    ui_.Keys("Enter s");  // the destination, then skip overwriting plain.txt
    Do([&] { archive_copy_move(panel_base, 0, true); });
    EXPECT_EQ(ReadFile(out_ + "/plain.txt"), "mine\n");
    EXPECT_EQ(ReadFile(out_ + "/other.txt"), "bytes of other.txt\n");
    EXPECT_EQ(Contents(Format("zip"), archive),
              (PathMap{{"plain.txt", "bytes of plain.txt\n"}, {"third.txt", "bytes of third.txt\n"}}));
}

TEST_F(ArchiveFaultsTest, AMissingArchiverIsNamed) {
    Source("plain.txt");
    const std::string archive = Make(Format("zip"));
    Archiver[ARCHIVE_ZIP].extract_cmd = "nosuchunzip -q";
    OpenInPanel(archive);
    PutCursor(panel_base[0], "plain.txt");
    ui_.RecordScreens(true);
    ui_.Keys("Enter Enter");
    Do([&] { archive_copy_move(panel_base, 0, false); });
    EXPECT_TRUE(Shown("nosuchunzip: program not found; set [Archiver:ZIP] in dv.ini"));
    EXPECT_TRUE(FolderTree(out_).empty());
}

TEST_F(ArchiveFaultsTest, MembersWhoseNamesDifferOnlyInCaseAreTwoMembers) {
    Source("A.txt");
    Source("a.txt");
    const std::string archive = Make(Format("tar"));
    OpenInPanel(archive);
    Archive* opened = panel_base[0].archive;
    EXPECT_EQ(ReadFile(Narrow(opened->TmpExtractFile(L"A.txt"))), "bytes of A.txt\n");
    // The second name gets its own copy, not the first one's again; an
    // edit of it goes back into its own member.
    const std::string copy = Narrow(opened->TmpExtractFile(L"a.txt"));
    EXPECT_EQ(ReadFile(copy), "bytes of a.txt\n");
    WriteFile(copy, "edited\n");
    Do([&] { opened->ReleaseTmpFile(); });
    ASSERT_EQ(RunShell("cd " + ShellQuote(out_) + " && tar -xf " + ShellQuote(archive)), 0);
    EXPECT_EQ(ReadFile(out_ + "/A.txt"), "bytes of A.txt\n");
    EXPECT_EQ(ReadFile(out_ + "/a.txt"), "edited\n");
}

TEST_F(ArchiveFaultsTest, AFailedWriteBackKeepsTheEditedCopy) {
    Source("plain.txt");
    const std::string archive = Make(Format("zip"));
    const std::string before = ReadFile(archive);
    OpenInPanel(archive);
    const std::string copy = Narrow(panel_base[0].archive->TmpExtractFile(L"plain.txt"));
    ASSERT_FALSE(copy.empty());
    WriteFile(copy, "edited\n");
    Archiver[ARCHIVE_ZIP].compress_cmd = "false";
    ui_.RecordScreens(true);
    ui_.Keys("Enter");
    Do([&] { panel_base[0].archive->ReleaseTmpFile(); });
    EXPECT_TRUE(Shown("An error occurred updating"));
    EXPECT_EQ(ReadFile(copy), "edited\n");
    EXPECT_EQ(ReadFile(archive), before);
    std::filesystem::remove_all(std::filesystem::path(copy).parent_path());
}

TEST_F(ArchiveFaultsTest, AnEditInsideANestedArchiveIsKeptNotLost) {
    Source("inner.txt");
    ASSERT_EQ(RunShell("cd " + ShellQuote(src_) + " && zip -q inner.zip inner.txt && rm inner.txt"), 0);
    OpenInPanel(Make(Format("tar")));
    ASSERT_TRUE(EnterArchive(panel_base, Find(panel_base[0], "inner.zip")));
    Archive* inner = panel_base[0].archive;
    ASSERT_NE(inner->parent, nullptr);
    const std::string copy = Narrow(inner->TmpExtractFile(L"inner.txt"));
    ASSERT_FALSE(copy.empty());
    WriteFile(copy, "edited\n");
    ui_.RecordScreens(true);
    ui_.Keys("Enter");
    Do([&] { inner->ReleaseTmpFile(); });
    EXPECT_TRUE(Shown("An error occurred updating"));
    EXPECT_EQ(ReadFile(copy), "edited\n");
    std::filesystem::remove_all(std::filesystem::path(copy).parent_path());
}

TEST_F(ArchiveFaultsTest, AHeldMemberStaysAndIsWrittenBackWhenItChanges) {
    Source("plain.txt");
    Source("other.txt");
    const std::string archive = Make(Format("zip"));
    OpenInPanel(archive);
    const std::string held = Narrow(panel_base[0].archive->TmpExtractFile(L"plain.txt"));
    ASSERT_FALSE(held.empty());
    const int before = HeldMemberCount();
    HoldExtractedMembers();  // a program started on its own was handed the copy
    EXPECT_EQ(HeldMemberCount(), before + 1);
    ASSERT_FALSE(panel_base[0].archive->TmpExtractFile(L"other.txt").empty());
    ASSERT_TRUE(std::filesystem::exists(held));
    WriteFile(held, "changed by the other program\n");
    Do([&] { WriteBackHeldMembers(); });
    EXPECT_EQ(Contents(Format("zip"), archive).at("plain.txt"), "changed by the other program\n");
    std::filesystem::remove_all(std::filesystem::path(held).parent_path());
}

TEST_F(ArchiveFaultsTest, ThousandsOfNamesRunTheArchiverOnlyAFewTimes) {
    constexpr int kCount = 3000;
    for (int i = 0; i < kCount; i++) WriteFile(src_ + "/member-with-a-longish-name-" + std::to_string(i), "");
    Source("kept.txt");
    const std::string archive = Make(Format("zip"));
    const std::string counter = tmp / "counting-zip";
    WriteFile(counter, "#!/bin/sh\necho run >> " + ShellQuote(tmp / "runs") + "\nexec zip \"$@\"\n");
    std::filesystem::permissions(counter, std::filesystem::perms::owner_all);
    Archiver[ARCHIVE_ZIP].delete_cmd = (counter + " -q -d").c_str();
    Archiver[ARCHIVE_ZIP].compress_list_switch = "";  // every name on the command line
    OpenInPanel(archive);
    for (int i = 0; i < panel_base[0].num_files; i++) {
        entry* e = panel_base[0].files[i];
        if (e->is_parent() || Westring(e->name) == L"kept.txt") continue;
        e->tagged = 1;
        panel_base[0].num_tagged++;
    }
    Do([&] { ArchiveDelete(panel_base); });
    const std::string log = ReadFile(tmp / "runs");
    const int runs = static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    EXPECT_GE(runs, 1);
    EXPECT_LE(runs, 3);
    EXPECT_EQ(Contents(Format("zip"), archive), (PathMap{{"kept.txt", "bytes of kept.txt\n"}}));
}

}  // namespace
