// The information panel in the running program: Ctrl-L on and off (a
// hidden panel hidden again), start-up with LeftType=info, a style key
// making it a file list, re-reads redrawn, archives' totals against
// zipinfo, and a double click under the note's rule editing "dirinfo".
#include <cstdlib>
#include <cstdio>
#include <sstream>

#include "panels/panel.h"
#include "tests/shell/fake_editor.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"

namespace {

class InfoKeysTest : public MainLoopTest {
protected:
    CFakeEditor editor_;

    // Whether the right (side 1) or left half of a screen shows text.
    static bool Shows(const CUiTest::Screen& screen, const std::string& text, int side = 1) {
        return RowOf(screen, text, side) >= 0;
    }
    // The text of the right half's row holding text, blanks trimmed.
    static std::string RowText(const CUiTest::Screen& screen, const std::string& text, int side = 1) {
        const int y = RowOf(screen, text, side);
        if (y < 0) return std::string();
        std::string row = screen.Text(side == 0 ? 0 : screen.columns / 2, y, screen.columns / 2);
        // The frame's columns and the blanks go.
        const std::string frame = "║";
        for (size_t at; (at = row.find(frame)) != std::string::npos;) row.erase(at, frame.size());
        const size_t first = row.find_first_not_of(' ');
        const size_t last = row.find_last_not_of(' ');
        return first == std::string::npos ? std::string() : row.substr(first, last - first + 1);
    }
    // The digits of a figure's row before its label, as a number.
    static uint64_t FigureBefore(const CUiTest::Screen& screen, const std::string& label) {
        const std::string row = RowText(screen, label);
        uint64_t value = 0;
        for (char c : row.substr(0, row.find(label))) {
            if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint64_t>(c - '0');
            EXPECT_FALSE(c == 'K' || c == 'M') << "a small size shows in full: " << row;
        }
        return value;
    }

};

}  // namespace

TEST_F(InfoKeysTest, CtrlLShowsTheInformationAndTheListAgain) {
    left_.Write("a.txt", "");
    right_.Write("r.txt", "");
    RunKeys("Ctrl-L Ctrl-L");
    ASSERT_GE(Screens().size(), 3u);
    EXPECT_TRUE(Shows(Screens()[1], "total physical memory")) << Screens()[1].Dump();
    EXPECT_TRUE(Shows(Screens()[1], " INFO "));
    EXPECT_EQ(RowText(Screens()[1], "files use").substr(0, 11), "2 files use");
    EXPECT_FALSE(Shows(Screens()[1], "r.txt"));
    EXPECT_TRUE(Shows(Screens()[2], "r.txt")) << Screens()[2].Dump();
    EXPECT_FALSE(Shows(Screens()[2], "physical memory"));
    EXPECT_TRUE(Shows(Screens()[2], "a.txt", 0)) << "the described panel is untouched";
    EXPECT_EQ(panel_base[1].type, PANEL_FILES);
}

TEST_F(InfoKeysTest, AHiddenPanelIsHiddenAgainAndStaysHiddenAcrossCtrlO) {
    right_.Write("r.txt", "");
    RunKeys("Ctrl-P Ctrl-L Ctrl-L Ctrl-O Ctrl-O");
    ASSERT_GE(Screens().size(), 6u);
    EXPECT_FALSE(Shows(Screens()[1], "r.txt"));
    EXPECT_TRUE(Shows(Screens()[2], "total physical memory")) << Screens()[2].Dump();
    EXPECT_FALSE(Shows(Screens()[3], "physical memory")) << Screens()[3].Dump();
    EXPECT_FALSE(Shows(Screens()[3], "r.txt"));
    EXPECT_FALSE(Shows(Screens()[5], "r.txt")) << Screens()[5].Dump();
    EXPECT_FALSE(Shows(Screens()[5], "INFO"));
    EXPECT_TRUE(panel_base[0].visible);
    EXPECT_FALSE(panel_base[1].visible);
    EXPECT_EQ(panel_base[1].type, PANEL_FILES);
}

TEST_F(InfoKeysTest, TheCurrentInformationPanelGoesOffOrTakesAStyle) {
    right_.Write("r.txt", "");
    // Tab makes the information panel current; Ctrl-L there turns it off
    // instead of turning the other panel into a second one.
    RunKeys("Ctrl-L Tab Ctrl-L");
    EXPECT_EQ(panel_base[0].type, PANEL_FILES);
    EXPECT_EQ(panel_base[1].type, PANEL_FILES);
    EXPECT_TRUE(Shows(Screens()[3], "r.txt")) << Screens()[3].Dump();

    // A style key on it makes it a file list in that style.
    RunKeys("Ctrl-L Tab Shift-Alt-F1");
    EXPECT_EQ(panel_base[1].type, PANEL_FILES);
    EXPECT_EQ(panel_base[1].detail, DETAIL_BRIEF);
    EXPECT_TRUE(Shows(Screens()[3], "r.txt")) << Screens()[3].Dump();
}

TEST_F(InfoKeysTest, StartUpWithTheTypeSetShowsIt) {
    right_.Write("r.txt", "");
    Ini("LeftType=info\r\n");
    RunKeys();
    EXPECT_TRUE(Shows(Screens()[0], "total physical memory", 0)) << Screens()[0].Dump();
    EXPECT_EQ(RowText(Screens()[0], "files use", 0).substr(0, 11), "2 files use") << Screens()[0].Dump();
    EXPECT_TRUE(Shows(Screens()[0], right_.path(), 0));

    Ini("RightType=info\r\n");
    RunKeys();
    EXPECT_TRUE(Shows(Screens()[0], "total physical memory", 1)) << Screens()[0].Dump();
}

TEST_F(InfoKeysTest, ACommandThatChangesTheDirectoryRedrawsTheInformation) {
    ui.Keys("Ctrl-L");
    ui.Type("touch one two");
    RunKeys("Enter");
    bool before = false, after = false;
    for (const CUiTest::Screen& screen : Screens()) {
        const std::string line = RowText(screen, "use");
        before = before || line.rfind("1 file uses", 0) == 0;
        after = after || line.rfind("3 files use", 0) == 0;
    }
    EXPECT_TRUE(before);
    EXPECT_TRUE(after) << Screens().back().Dump();
}

TEST_F(InfoKeysTest, AnArchivesTotalsAgreeWithZipinfo) {
    ASSERT_FALSE(ShellOutput("command -v zip zipinfo").empty()) << "zip is not installed";
    CTempDir src;
    src.Write("a.txt", std::string(30000, 'a'));
    src.Write("b.txt", "some text that hardly packs");
    ASSERT_EQ(std::system(("cd '" + src.path() + "' && zip -q '" + (left_ / "pack.zip") + "' a.txt b.txt").c_str()),
              0);
    // "2 files, 30027 bytes uncompressed, 99 bytes compressed:  99.7%"
    const std::string summary = ShellOutput("zipinfo -t '" + (left_ / "pack.zip") + "'");
    unsigned long long unpacked = 0, packed = 0;
    ASSERT_EQ(std::sscanf(summary.c_str(), "%*u files, %llu bytes uncompressed, %llu bytes compressed", &unpacked,
                          &packed),
              2)
        << summary;

    RunKeys("Down Enter Ctrl-L");
    const CUiTest::Screen& screen = Screens()[3];
    EXPECT_EQ(FigureBefore(screen, " total uncompressed"), unpacked) << screen.Dump();
    EXPECT_EQ(FigureBefore(screen, " total compressed"), packed);
    const int64_t per_mille = static_cast<int64_t>((unpacked - packed) * 1000 / unpacked);
    std::ostringstream saving;
    saving << per_mille / 10 << '.' << per_mille % 10 << "% total compression";
    EXPECT_EQ(RowText(screen, "total compression"), saving.str());
    EXPECT_EQ(RowText(screen, "Archive"), "Archive : pack.zip");
    EXPECT_EQ(RowText(screen, "Type"), "Type    : ZIP");
    EXPECT_TRUE(Shows(screen, "pack.zip")) << "the archive's path";
    EXPECT_FALSE(Shows(screen, "total bytes"));
}

TEST_F(InfoKeysTest, AnArchiveOfNoFileDataSavesZeroPercent) {
    CTempDir src;
    src.MakeDir("only-a-directory");
    ASSERT_EQ(std::system(("tar -cf '" + (left_ / "empty.tar") + "' -C '" + src.path() + "' only-a-directory").c_str()),
              0);
    RunKeys("Down Enter Ctrl-L");
    const CUiTest::Screen& screen = Screens()[3];
    EXPECT_EQ(RowText(screen, "total compression"), "0% total compression") << screen.Dump();
    EXPECT_EQ(FigureBefore(screen, " total uncompressed"), 0u);
    EXPECT_EQ(RowText(screen, "Type"), "Type    : TAR");
}

TEST_F(InfoKeysTest, ADoubleClickBelowTheNoteRuleEditsDirinfo) {
    left_.Write("dirinfo", "about this folder\n");
    ui.Keys("Ctrl-L");
    // Above the rule: nothing is edited. On the last row inside the frame
    // (screen row 21 of 25): the described directory's note.
    ui.DoubleClick(60, 8);
    ui.DoubleClick(60, 21);
    RunKeys();
    EXPECT_EQ(editor_.edited(), std::vector<std::string>{left_ / "dirinfo"});
    EXPECT_TRUE(AnyScreenShows(ui, "about this folder"));
    EXPECT_GT(panel_base[1].dirinfo_row, 10);
    EXPECT_LT(panel_base[1].dirinfo_row, 20);
}
