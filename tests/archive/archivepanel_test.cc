// A panel inside archives: entering one, moving through its folders,
// archives inside it opened from a private copy, and leaving them all with
// the cursor back on the archive file.
#include <gtest/gtest.h>

#include "archive/archive.h"
#include "archive/archivepanel.h"
#include "config/archivers.h"
#include "exec/chdir.h"
#include "tests/archive/archive_oracle.h"
#include "tests/panels/panel_test_util.h"

namespace {

class ArchivePanelTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = std::filesystem::current_path();
        InstallArchiveHooks();
        InitializeArchivers();
        const std::string src = tmp / "src";
        std::filesystem::create_directories(src + "/docs");
        std::filesystem::create_directories(src + "/inner");
        WriteFile(src + "/docs/readme.txt", "r\n");
        WriteFile(src + "/top.txt", "t\n");
        WriteFile(src + "/inner/nested.txt", "n\n");
        WriteFile(src + "/gzipped.txt", "g\n");
        ASSERT_EQ(RunShell("cd " + ShellQuote(src) + " && zip -qr inner.zip inner && tar -cf ../pack.tar docs top.txt inner.zip"
                           " && tar -cf data.tar gzipped.txt && gzip -c data.tar > ../data.tar.gz"),
                  0);
        WriteFile(tmp / "plain.txt", "not an archive");
        SetUpPanel(*panel_, tmp.path());
        read_panel(panel_);
    }
    void TearDown() override {
        CloseArchives(panel_);
        // Entering a directory changes into it; the test's folder goes next.
        if (chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE() << saved_cwd_;
        PanelTest::TearDown();
    }

    // Enters the entry named name: an archive, or a folder inside one.
    bool Enter(const std::string& name) {
        entry* e = Find(*panel_, name);
        if (!e) return false;
        if (e->is_dir()) {
            change_dir(panel_base, 0, e->name, 0, -1, -1);
            return true;
        }
        return EnterArchive(panel_, e);
    }
    void Up() { change_dir(panel_base, 0, L"..", 0, -1, -1); }
    std::string Dir() const { return Narrow(panel_->dir); }

    PANEL* panel_ = panel_base;
    std::string saved_cwd_;
};

using Names = std::vector<std::string>;

TEST_F(ArchivePanelTest, AnArchiveOpensAsADirectoryTreeAndIsLeftByGoingUp) {
    ASSERT_TRUE(Enter("pack.tar"));
    EXPECT_EQ(Dir(), tmp / "pack.tar");
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "docs", "inner.zip", "top.txt"}));
    EXPECT_EQ(Narrow(panel_->GetWD()), tmp.path());
    ASSERT_TRUE(Enter("docs"));
    EXPECT_EQ(Dir(), tmp / "pack.tar/docs");
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "readme.txt"}));
    Up();
    EXPECT_EQ(Cursor(*panel_), "docs");
    Up();
    EXPECT_EQ(Dir(), tmp.path());
    EXPECT_EQ(panel_->archive, nullptr);
    EXPECT_EQ(Cursor(*panel_), "pack.tar");
}

TEST_F(ArchivePanelTest, AnArchiveInsideAnArchiveOpensFromAPrivateCopyThatGoesWithIt) {
    ASSERT_TRUE(Enter("pack.tar"));
    ASSERT_TRUE(Enter("inner.zip"));
    ASSERT_NE(panel_->archive, nullptr);
    ASSERT_NE(panel_->archive->parent, nullptr);
    EXPECT_EQ(Dir(), tmp / "pack.tar/inner.zip");
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "inner"}));
    const std::string copy_dir = Narrow(panel_->archive->nested_dir);
    EXPECT_TRUE(PathExists(copy_dir));
    ASSERT_TRUE(Enter("inner"));
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "nested.txt"}));
    Up();
    Up();
    EXPECT_EQ(Dir(), tmp / "pack.tar");
    EXPECT_EQ(Cursor(*panel_), "inner.zip");
    EXPECT_FALSE(PathExists(copy_dir));
    ASSERT_NE(panel_->archive, nullptr);
    EXPECT_EQ(panel_->archive->parent, nullptr);
}

TEST_F(ArchivePanelTest, ACompressedTarOpensInTwoSteps) {
    ASSERT_TRUE(Enter("data.tar.gz"));
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "data.tar"}));
    ASSERT_TRUE(Enter("data.tar"));
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "gzipped.txt"}));
    EXPECT_EQ(Dir(), tmp / "data.tar.gz/data.tar");
}

TEST_F(ArchivePanelTest, AnLhaInsideATarOpensWithTheDefaultCommands) {
    const std::string src = tmp / "src";
    ASSERT_EQ(RunShell("cd " + ShellQuote(src) + " && lha aq inner.lzh docs && tar -cf ../outer.tar inner.lzh"),
              0);
    read_panel(panel_);
    ASSERT_TRUE(Enter("outer.tar"));
    ASSERT_TRUE(Enter("inner.lzh"));
    ASSERT_TRUE(Enter("docs"));
    EXPECT_EQ(ListNames(*panel_), (Names{"..", "readme.txt"}));
}

// A member stored as "../x.zip" is listed inside the archive, but is never
// handed to an archiver to write: it could land outside the private folder.
TEST_F(ArchivePanelTest, AMemberThatClimbsOutIsNotExtractedToBeOpened) {
    const std::string src = tmp / "src";
    std::filesystem::create_directories(src + "/deep");
    ASSERT_EQ(RunShell("cd " + ShellQuote(src + "/deep") + " && cp ../inner.zip ../climb.zip && tar -cPf ../../climbing.tar ../climb.zip"),
              0);
    read_panel(panel_);
    ASSERT_TRUE(Enter("climbing.tar"));
    ASSERT_EQ(ListNames(*panel_), (Names{"..", "climb.zip"}));
    EXPECT_FALSE(Enter("climb.zip"));
    EXPECT_EQ(Dir(), tmp / "climbing.tar");
    EXPECT_EQ(panel_->archive->parent, nullptr);
}

TEST_F(ArchivePanelTest, AnArchiverThatIsNotInstalledLeavesThePanelWhereItWas) {
    // The member comes out through the enclosing tar's archiver.
    Archiver[ARCHIVE_TAR].extract_cmd = "no-such-untar -xf";
    ASSERT_TRUE(Enter("pack.tar"));
    EXPECT_FALSE(Enter("inner.zip"));
    EXPECT_EQ(Dir(), tmp / "pack.tar");
    EXPECT_EQ(panel_->archive->parent, nullptr);
}

TEST_F(ArchivePanelTest, AFileThatIsNoArchiveChangesNothing) {
    EXPECT_FALSE(Enter("plain.txt"));
    EXPECT_EQ(Dir(), tmp.path());
    EXPECT_EQ(panel_->archive, nullptr);
}

TEST_F(ArchivePanelTest, AnArchiveWhoseFileIsGoneIsLeftAtTheNextRead) {
    ASSERT_TRUE(Enter("pack.tar"));
    ASSERT_EQ(unlink((tmp / "pack.tar").c_str()), 0);
    read_panel(panel_);
    EXPECT_EQ(panel_->archive, nullptr);
    EXPECT_EQ(ListNames(*panel_), (Names{".."}));
    Up();
    EXPECT_EQ(Dir(), tmp.path());
}

}  // namespace
