// Ctrl-K in the running program: the options dialog, the tags it leaves in
// both panels and the message when nothing differs.
#include "tests/shell/mainloop_fixture.h"

#include <set>
#include <string>

#include "fileops/copyseams.h"

namespace {

class CompareKeyTest : public MainLoopTypeAheadTest {
protected:
    static std::set<std::string> Tagged(int side) {
        std::set<std::string> names;
        const PANEL& panel = panel_base[side];
        for (int i = 0; i < panel.num_files; i++)
            if (panel.files[i]->tagged) names.insert(Westring(panel.files[i]->name).ToUTF8().c_str());
        return names;
    }
};

TEST_F(CompareKeyTest, TagsTheDifferencesInBothPanels) {
    Ini("CMPTime=1\r\nCMPSize=0\r\nCMPUnmatched=on\r\nCMPContents=on\r\nCMPMask=*\r\n");
    left_.Write("changed", "new text");
    right_.Write("changed", "old text");
    SetFileTime(left_ / "changed", 2000000);
    SetFileTime(right_ / "changed", 1000000);
    left_.Write("same", "same");
    right_.Write("same", "same");
    SetFileTime(left_ / "same", 1000000);
    SetFileTime(right_ / "same", 1000000);
    right_.Write("only_right", "x");
    right_.MakeDir("dir_only_right");
    RunKeys("Ctrl-K Enter");
    EXPECT_TRUE(Shown(" Directory Compare "));
    EXPECT_FALSE(Shown("No files meet the specified conditions"));
    // Newer on the left, and contents differ too: both sides.
    EXPECT_EQ(Tagged(0), std::set<std::string>{"changed"});
    EXPECT_EQ(Tagged(1), (std::set<std::string>{"changed", "only_right"}));
    EXPECT_EQ(panel_base[0].num_tagged, 1);
    EXPECT_EQ(panel_base[1].num_tagged, 2);
    EXPECT_EQ(panel_base[1].tagged_size, 8u + 1u);
}

TEST_F(CompareKeyTest, SaysSoWhenNothingDiffersAndCancelChangesNothing) {
    Ini("CMPTime=3\r\nCMPSize=3\r\nCMPUnmatched=on\r\nCMPContents=on\r\n");
    for (const CTempDir* dir : {&left_, &right_}) {
        dir->Write("a", "alpha");
        dir->MakeDir("sub");
        SetFileTime(*dir / "a", 1000000);
    }
    RunKeys("Ctrl-K Enter Enter");
    EXPECT_TRUE(Shown("No files meet the specified conditions"));
    EXPECT_EQ(panel_base[0].num_tagged + panel_base[1].num_tagged, 0);
}

}  // namespace
