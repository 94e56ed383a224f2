// The attributes dialog in the running program: octal digits and column
// letters set the boxes, tagged files keep the bits left unchanged, the
// owner and group fields take names and numbers, and the result is what
// stat(1) reports.
#include "tests/shell/mainloop_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tests/support/shell_output.h"

namespace {

std::string Stat(const std::string& format, const std::string& path) {
    std::string out = ShellOutput("stat -c '" + format + "' '" + path + "'");
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

// An account and a group made for one test and removed after it; made only
// when the tests run as root.
class CTestAccount {
public:
    explicit CTestAccount(const std::string& suffix) {
        if (geteuid() != 0 || system("command -v useradd >/dev/null && command -v groupadd >/dev/null") != 0) return;
        const std::string tag = std::to_string(getpid()) + suffix;
        user_ = "dvu" + tag;
        // Long and ending in a digit: both once went wrong in the group field.
        group_ = "dvgroup_with_a_long_name" + tag.substr(0, 6) + "2";
        made_ = system(("useradd -M -N -c 'Test Person,Room 1' " + user_ + " && groupadd " + group_).c_str()) == 0;
    }
    ~CTestAccount() {
        if (user_.empty()) return;
        (void)!system(("userdel " + user_ + " 2>/dev/null; groupdel " + group_ + " 2>/dev/null").c_str());
    }
    bool made() const { return made_; }
    const std::string& user() const { return user_; }
    const std::string& group() const { return group_; }

private:
    std::string user_, group_;
    bool made_ = false;
};

class AttribDialogTest : public MainLoopTest {
protected:
    std::string MakeFile(const std::string& name, mode_t mode) {
        const std::string path = left_.Write(name, "data\n");
        EXPECT_EQ(chmod(path.c_str(), mode), 0);
        return path;
    }
};

TEST_F(AttribDialogTest, OctalDigitsSetTheRowsAndTheSpecialBits) {
    const std::string file = MakeFile("f", 0600);
    // 7, 5, 5 from the User row: each digit fills its row and moves down.
    RunKeys("Down Ctrl-a 7 5 5 Enter");
    EXPECT_EQ(Stat("%a", file), "755");
    // The buttons sit inside the frame, on its last inner row.
    bool framed = false;
    for (const CUiTest::Screen& screen : Screens()) {
        int x = 0, y = 0;
        if (!screen.Find("File  Attributes") || !screen.Find("[ Cancel ]", &x, &y)) continue;
        framed = screen.Line(y + 1).find("\u255a\u2550") != std::string::npos;  // the bottom corner
    }
    EXPECT_TRUE(framed);

    // A digit on the buttons sets the S column: set-user-id, set-group-id, sticky.
    RunKeys("Down Ctrl-a Tab Tab Tab Tab Tab 7 Enter");
    EXPECT_EQ(Stat("%a", file), "7755");
    // A small letter steps its column in the focused row only; a capital
    // steps the User row's box (W was set: now clear) and gives all three
    // rows that state.
    RunKeys("Down Ctrl-a s Tab s Tab s W Enter");
    EXPECT_EQ(Stat("%a", file), "555");

    // Esc changes nothing.
    RunKeys("Down Ctrl-a 0 0 0 Esc");
    EXPECT_EQ(Stat("%a", file), "555");
}

TEST_F(AttribDialogTest, TaggedFilesKeepTheBitsLeftUnchanged) {
    const std::string a = MakeFile("a", 0644);
    const std::string b = MakeFile("b", 0600);
    const std::string owner_a = Stat("%U %G", a), owner_b = Stat("%U %G", b);
    // Group R from "unchanged" to "set"; the other boxes stay unchanged.
    RunKeys("Down Insert Insert Ctrl-a Tab r Enter");
    EXPECT_EQ(Stat("%a", a), "644");
    EXPECT_EQ(Stat("%a", b), "640");
    // The fields start empty: the owners are as they were.
    EXPECT_EQ(Stat("%U %G", a), owner_a);
    EXPECT_EQ(Stat("%U %G", b), owner_b);
    // Two steps (set, then clear) clear it in both.
    RunKeys("Down Insert Insert Ctrl-a Tab r r Enter");
    EXPECT_EQ(Stat("%a", a), "604");
    EXPECT_EQ(Stat("%a", b), "600");
}

// A link whose target is gone cannot be changed: the system's message with
// the path; Skip goes on with the next tagged file, Cancel keeps the dialog.
TEST_F(AttribDialogTest, FailuresOfferSkipAndCancel) {
    const std::string a = MakeFile("a", 0600);
    ASSERT_EQ(symlink("nowhere", (left_ / "b").c_str()), 0);
    const std::string c = MakeFile("c", 0600);
    RunKeys("Down Insert Insert Insert Ctrl-a 7 Enter s");
    EXPECT_TRUE(Shown(std::strerror(ENOENT)));
    EXPECT_TRUE(Shown(left_ / "b"));
    EXPECT_EQ(Stat("%a", a), "700");
    EXPECT_EQ(Stat("%a", c), "700");

    // Cancel at the same prompt: c is not reached, and the dialog waits for Esc.
    RunKeys("Down Insert Insert Insert Ctrl-a 6 Enter Esc Esc");
    EXPECT_EQ(Stat("%a", a), "600");
    EXPECT_EQ(Stat("%a", c), "700");
}

TEST_F(AttribDialogTest, UnknownNamesAreRefusedAndChangeNothing) {
    const std::string file = MakeFile("f", 0644);
    const std::string before = Stat("%a %U %G", file);
    ui.Keys("Down Ctrl-a 0 Alt-o");
    ui.Type("no_such_account_here");
    // The message, then Esc out of the dialog that stayed open.
    RunKeys("Enter Enter Esc");
    EXPECT_TRUE(Shown("Invalid user"));
    EXPECT_EQ(Stat("%a %U %G", file), before);

    ui.Keys("Down Ctrl-a 0 Alt-g End");
    for (int i = 0; i < 40; i++) ui.Keys("BackSpace");
    ui.Type("no_such_group_here");
    RunKeys("Enter Enter Esc");
    EXPECT_TRUE(Shown("Invalid group"));
    EXPECT_EQ(Stat("%a %U %G", file), before);
}

TEST_F(AttribDialogTest, OwnerAndGroupFieldsTakeDigitsNamesAndNumbers) {
    CTestAccount account("a");
    if (!account.made()) GTEST_SKIP() << "needs root and useradd to make a test account";
    const std::string file = MakeFile("f", 0644);
    ui.Keys("Down Ctrl-a Alt-o End");
    for (int i = 0; i < 40; i++) ui.Keys("BackSpace");
    ui.Type(account.user());
    ui.Keys("Alt-g End");
    for (int i = 0; i < 40; i++) ui.Keys("BackSpace");
    ui.Type(account.group());
    RunKeys("Enter");
    // The group's digit went into the name, not into the set-id bits.
    EXPECT_EQ(Stat("%a %U %G", file), "644 " + account.user() + " " + account.group());

    // Numbers with no account behind them are owners too.
    ui.Keys("Down Ctrl-a Alt-o End");
    for (int i = 0; i < 40; i++) ui.Keys("BackSpace");
    ui.Type("4242");
    ui.Keys("Alt-g End");
    for (int i = 0; i < 60; i++) ui.Keys("BackSpace");
    ui.Type("4343");
    RunKeys("Enter");
    EXPECT_EQ(Stat("%a %u %g", file), "644 4242 4343");
}

}  // namespace
