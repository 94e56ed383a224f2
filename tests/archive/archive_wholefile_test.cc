// gzip, bzip2 and xz files hold one file: it comes out under its plain
// name, an edited copy replaces the whole file only once the new one is
// complete, a new one is made of one file, and what such a file cannot do
// (hold more, lose a member) is said plainly.
#include "tests/archive/archiveops_fixture.h"

namespace {

struct WholeFileFormat {
    const char* name;
    const char* extension;
    const char* program;
    const char* choose;  // the format's key in the "Compress Files" dialog
};

std::ostream& operator<<(std::ostream& out, const WholeFileFormat& format) { return out << format.name; }

class WholeFileArchive : public ArchiveOpsTest, public ::testing::WithParamInterface<WholeFileFormat> {
protected:
    void SetUp() override {
        ArchiveOpsTest::SetUp();
        Source("notes.txt");
        archive_ = tmp / (std::string("notes.txt.") + GetParam().extension);
        ASSERT_EQ(RunShell(std::string(GetParam().program) + " -c " + ShellQuote(src_ + "/notes.txt") + " > " +
                           ShellQuote(archive_)),
                  0);
    }
    std::string Decompressed(const std::string& file) const {
        return ShellOutput(std::string(GetParam().program) + " -dc " + ShellQuote(file));
    }
    bool Shown(const std::string& text) const { return AnyScreenShows(ui_, text); }
    std::string archive_;
};

TEST_P(WholeFileArchive, TheFileComesOutAndAnEditGoesBackWhole) {
    OpenInPanel(archive_);
    PutCursor(panel_base[0], "notes.txt");
    CopyOut();
    EXPECT_EQ(FolderTree(out_), (std::map<std::string, std::string>{{"notes.txt", "bytes of notes.txt\n"}}));

    Archive* archive = panel_base[0].archive;
    const std::string copy = Narrow(archive->TmpExtractFile(L"notes.txt"));
    ASSERT_FALSE(copy.empty());
    WriteFile(copy, "edited\n");
    // A command that fails part way leaves the old file byte for byte.
    const std::string before = ReadFile(archive_);
    const Estring configured = Archiver[archive->type].compress_cmd;
    Archiver[archive->type].compress_cmd = (std::string(configured.c_str()) + " && false").c_str();
    ui_.Keys("Enter");
    EXPECT_FALSE(archive->UpdateTmpFile());
    EXPECT_EQ(ReadFile(archive_), before);
    EXPECT_EQ(ReadFile(copy), "edited\n");
    Archiver[archive->type].compress_cmd = configured;
    Do([&] { archive->ReleaseTmpFile(); });
    EXPECT_EQ(Decompressed(archive_), "edited\n");
    // Nothing but the archive and the test's two folders is left: no
    // temporary file beside the archive.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), {}), 3);
}

TEST_P(WholeFileArchive, CannotTakeMoreFilesOrLoseItsOne) {
    ui_.RecordScreens(true);
    OpenInPanel(archive_);
    PutCursor(panel_base[0], "notes.txt");
    ui_.Keys("Enter");
    Do([&] { ArchiveDelete(panel_base); });
    EXPECT_TRUE(Shown(std::string("Deleting from ") + GetParam().name + " not supported"));
    // The archive on the other side: adding to it is refused.
    std::swap(panel_base[0].archive, panel_base[1].archive);
    panel_base[1].dir = panel_base[0].dir;
    SetUpPanel(panel_base[0], src_);
    read_panel(panel_base);
    PutCursor(panel_base[0], "notes.txt");
    ui_.Keys("Enter Enter");
    Do([&] { archive_copy_move(panel_base, 0, false); });
    EXPECT_TRUE(Shown(std::string("Cannot add to a ") + GetParam().name + " file"));
    EXPECT_EQ(Decompressed(archive_), "bytes of notes.txt\n");
}

TEST_P(WholeFileArchive, ANewOneHoldsOneFileAndNeverTwo) {
    Source("more.txt");
    SetUpPanel(panel_base[0], src_);
    read_panel(panel_base);
    SetUpPanel(panel_base[1], out_);
    read_panel(panel_base + 1);
    PutCursor(panel_base[0], "notes.txt");
    ui_.Keys(std::string(GetParam().choose) + " Enter");
    int status = -1;
    Do([&] { status = MakeArchive(panel_base); });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Decompressed(out_ + "/notes." + GetParam().extension), "bytes of notes.txt\n");

    Tag(panel_base[0], {"notes.txt", "more.txt"});
    ui_.RecordScreens(true);
    ui_.Keys(std::string(GetParam().choose) + " Enter Enter");
    Do([&] { status = MakeArchive(panel_base); });
    EXPECT_EQ(status, -1);
    EXPECT_TRUE(Shown(std::string(GetParam().name) + " archives cannot contain multiple files"));
}

INSTANTIATE_TEST_SUITE_P(Formats, WholeFileArchive,
                         ::testing::Values(WholeFileFormat{"GZIP", "gz", "gzip", "Alt-g"},
                                           WholeFileFormat{"BZIP2", "bz2", "bzip2", "Alt-b"},
                                           WholeFileFormat{"XZ", "xz", "xz", "Alt-x"}),
                         [](const ::testing::TestParamInfo<WholeFileFormat>& info) { return info.param.name; });

}  // namespace
