// Changing the case of names: the mixed-case rules on the names users
// write, and renames on real trees checked with find and cat, where a
// clash must lose nothing and a link to a directory is never entered.
#include <gtest/gtest.h>

#include <errno.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"
#include "tools/casedialog.h"
#include "tools/namecase.h"

namespace {

TEST(NameCaseText, MixedCaseCapitalisesWordsAndKnowsApostrophes) {
    struct Case {
        const wchar_t* name;
        wchar_t name_mode, extension_mode;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"the o'neil file.TXT", L'm', L'l', L"The O'Neil File.txt"},
        {L"don't", L'm', L'n', L"Don't"},
        {L"we'll", L'm', L'n', L"We'll"},
        {L"i'll", L'm', L'n', L"I'll"},
        {L"2nd file", L'm', L'n', L"2nd File"},
        {L"MY_OLD-REPORT.Final.DOC", L'm', L'u', L"My_Old-Report.Final.DOC"},
        {L"README", L'l', L'l', L"readme"},
        {L"archive.tar.gz", L'u', L'n', L"ARCHIVE.TAR.gz"},
        {L".bashrc", L'u', L'u', L".BASHRC"},
        {L"Makefile", L'n', L'u', L"Makefile"},
        {L"x.", L'u', L'l', L"X."},
    };
    for (const Case& c : cases) {
        const Westring got = ChangeFileNameCase(Westring(c.name), c.name_mode, c.extension_mode);
        EXPECT_TRUE(SameChars(got, Westring(c.expected)))
            << EncodeFileName(c.name).c_str() << " gave " << EncodeFileName(got).c_str();
    }
}

class NameCaseTree : public FileOpsTest {
protected:
    std::string Listing(const std::string& dir) {
        return ShellOutput("cd '" + Path(dir) + "' && find . -printf '%p %y\\n' | LC_ALL=C sort");
    }
    std::string Cat(const std::string& leaf) { return ShellOutput("cat '" + Path(leaf) + "'"); }
    // Lower-cases dir/name, answering every prompt with answer (and
    // recording which paths clashed).
    int Lower(const std::string& dir, const std::string& name, bool recurse, int answer = 's') {
        CaseChangeOptions options;
        options.recurse = recurse;
        options.on_error = [this, answer](int code, const Westring&, const Westring& to) {
            if (code == EEXIST) clashes.push_back(EncodeFileName(to).c_str());
            return answer;
        };
        return ChangeEntryCase(W(Path(dir)), W(name), options);
    }
    std::vector<std::string> clashes;
};

TEST_F(NameCaseTree, ClashReportedAndBothFilesKept) {
    Files({"t/", "t/README=upper", "t/readme=lower", "t/Notes.TXT=notes"});
    EXPECT_EQ(Lower("t", "README", false), 0);
    EXPECT_EQ(Lower("t", "Notes.TXT", false), 0);
    EXPECT_EQ(Listing("t"), ". d\n./README f\n./notes.txt f\n./readme f\n");
    EXPECT_EQ(Cat("t/README"), "upper");
    EXPECT_EQ(Cat("t/readme"), "lower");
    EXPECT_EQ(Cat("t/notes.txt"), "notes");
    ASSERT_EQ(clashes.size(), 1u);
    EXPECT_EQ(clashes[0], Path("t/readme"));
    // Stopping at the clash is a stop, and still nothing is lost.
    EXPECT_EQ(Lower("t", "README", false, 27), -1);
    EXPECT_EQ(Cat("t/readme"), "lower");
}

TEST_F(NameCaseTree, RecursionRenamesInsideRenamedDirectoriesButNeverThroughLinks) {
    Files({"OUTSIDE/", "OUTSIDE/KEEP.TXT=k", "t/", "t/TOP/", "t/TOP/INNER/", "t/TOP/INNER/DEEP.C=d",
           "t/TOP/A.TXT=a", "t/TOP/a.txt=other"});
    ASSERT_EQ(symlink("../../OUTSIDE", Path("t/TOP/OUTLINK").c_str()), 0);
    EXPECT_EQ(Lower("t", "TOP", true), 0);
    EXPECT_EQ(Listing("t"),
              ". d\n./top d\n./top/A.TXT f\n./top/a.txt f\n./top/inner d\n./top/inner/deep.c f\n./top/outlink l\n");
    EXPECT_EQ(Listing("OUTSIDE"), ". d\n./KEEP.TXT f\n");
    EXPECT_EQ(Cat("t/top/a.txt"), "other");
    EXPECT_EQ(clashes, std::vector<std::string>{Path("t/top/a.txt")});
}

TEST_F(NameCaseTree, OnlyTheChosenKindsAreRenamed) {
    Files({"t/", "t/DIR/", "t/DIR/FILE=f", "t/FILE.TXT="});
    CaseChangeOptions options;
    options.recurse = true;
    options.directories = false;
    EXPECT_EQ(ChangeEntryCase(W(Path("t")), W("DIR"), options), 0);
    EXPECT_EQ(ChangeEntryCase(W(Path("t")), W("FILE.TXT"), options), 0);
    EXPECT_EQ(Listing("t"), ". d\n./DIR d\n./DIR/file f\n./file.txt f\n");
}

TEST_F(NameCaseTree, RenameRefusesToReplaceButTakesTheSameFile) {
    Files({"t/", "t/A=1", "t/b=2"});
    EXPECT_EQ(RenameWithoutReplacing(W(Path("t/A")), W(Path("t/b"))), EEXIST);
    // A hard link is the same inode under a second name, as a new spelling
    // is on a file system that ignores case: no clash, and nothing is lost.
    ASSERT_EQ(link(Path("t/A").c_str(), Path("t/a").c_str()), 0);
    EXPECT_EQ(RenameWithoutReplacing(W(Path("t/A")), W(Path("t/a"))), 0);
    EXPECT_EQ(RenameWithoutReplacing(W(Path("t/missing")), W(Path("t/M"))), ENOENT);
    EXPECT_EQ(Listing("t"), ". d\n./A f\n./a f\n./b f\n");
    EXPECT_EQ(Cat("t/a"), "1");
    EXPECT_EQ(Cat("t/b"), "2");
}

TEST_F(NameCaseTree, TaggedFilesThroughTheDialogShowTheClash) {
    Files({"t/", "t/README=upper", "t/readme=lower", "t/MAIN.C=main"});
    config.CaseMod = "uu";  // the dialog starts from the saved modes
    config.CaseModRecurse = false;
    PANEL& panel = panel_base[0];
    SetUpPanel(panel, Path("t"));
    Tag(panel, "README");
    Tag(panel, "readme");
    Tag(panel, "MAIN.C");
    // Lower for both parts, OK, then skip the clash.
    Answer("Alt-l Alt-w Enter s");
    EXPECT_TRUE(ui.Run([&] { return ChangeCase(&panel) ? 1 : 0; }));
    EXPECT_TRUE(FirstShows("3 files")) << FirstScreen();
    EXPECT_TRUE(Shown("readme")) << FirstScreen();
    EXPECT_EQ(Listing("t"), ". d\n./README f\n./main.c f\n./readme f\n");
    EXPECT_EQ(Cat("t/readme"), "lower");
    EXPECT_EQ(config.CaseMod, "ll");
}

}  // namespace
