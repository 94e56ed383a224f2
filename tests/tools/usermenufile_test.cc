// The user menu file as read from disk: the key table against the
// console's own key codes, the "{" and "}" rules, include lines (relative,
// missing, nested, including themselves), the encodings the text reader
// knows, and which menu file is used: the nearest one above the panel's
// directory, and only when nobody else owns or may write it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console/keys.h"
#include "tests/support/temp_dir.h"
#include "tools/usermenufile.h"
#include "tools/usermenukeytext.h"

namespace {

int Code(const char* text) { return MenuKeyCode(Westring(text)); }

TEST(UserMenuKeyText, FunctionKeyTextsGiveTheConsolesKeyCodes) {
    const struct {
        const char* text;
        int code;
    } cases[] = {
        {"CF10", KEY_CTRL_F10}, {"CF11", KEY_CTRL_F11}, {"CF1", KEY_CTRL_F1},    {"CF12", KEY_CTRL_F12},
        {"F1", KEY_F1},         {"F10", KEY_F10},       {"F11", KEY_F11},        {"F12", KEY_F12},
        {"AF1", KEY_ALT_F1},    {"AF10", KEY_ALT_F10},  {"AF11", KEY_ALT_F11},   {"SF1", KEY_SHIFT_F1},
        {"SF10", KEY_SHIFT_F10}, {"SF11", KEY_SHIFT_F11}, {"SF12", KEY_SHIFT_F12}, {"F", 'F'},
    };
    for (const auto& c : cases) EXPECT_EQ(Code(c.text), c.code) << c.text;
}

TEST(UserMenuKeyText, OtherTextsAreNoKeys) {
    for (const char* text : {"", "F0", "F13", "F01", "F99", "F1X", "FF1", "CF", "AB", "XF1", "CF1X", "SF100", "ABCDE",
                             "\x7f", "\t", "\xf0\x9f\x98\x80"})
        EXPECT_EQ(Code(text), 0) << text;
}

TEST(UserMenuKeyText, TypedCharactersCompareUpperCasedAndSpecialKeysAsTheyAre) {
    EXPECT_EQ(MenuTypedKey('a'), Code("A"));
    EXPECT_EQ(MenuTypedKey('A'), Code("A"));
    EXPECT_EQ(MenuTypedKey(L'\u00e9'), Code("\xc3\x89"));  // é typed, É written
    EXPECT_EQ(MenuTypedKey(KEY_CTRL_F11), Code("CF11"));
    EXPECT_EQ(MenuTypedKey(KEY_ESC), KEY_ESC);
}

class UserMenuFileTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(home_); }

    // Reads the menu for a panel in start (the global file unless local).
    void Load(const std::string& start, bool local = true) {
        menu_ = std::make_unique<MenuStore>();
        problems_.clear();
        LoadUserMenu(Westring(global_.c_str()), Westring(start.c_str()), local, *menu_, problems_);
    }

    // The menu as "KEY=title[command;...]{submenu}", entries joined by " | ".
    static std::string Describe(const MenuStore& menu) {
        std::string out;
        for (int i = 0; i < menu.count(); i++) {
            const MenuEntry* entry = menu[i];
            if (i > 0) out += " | ";
            out += Narrow(entry->key_text) + "=" + Narrow(entry->title);
            if (entry->commands.count() > 0) {
                out += "[";
                for (int c = 0; c < entry->commands.count(); c++) out += (c ? ";" : "") + Narrow(*entry->commands[c]);
                out += "]";
            }
            if (entry->submenu) out += "{" + Describe(*entry->submenu) + "}";
        }
        return out;
    }
    std::string Menu() const { return Describe(*menu_); }
    std::string Problems() const {
        std::string out;
        for (const MenuProblem& problem : problems_) out += Narrow(problem.message) + "|" + Narrow(problem.name) + "\n";
        return out;
    }

    CTempDir dir_;
    std::string home_ = dir_ / "home";
    std::string global_ = home_ + "/dv.mnu";
    std::unique_ptr<MenuStore> menu_;
    std::vector<MenuProblem> problems_;
};

TEST_F(UserMenuFileTest, BracesOpenASubmenuOnlyRightAfterAnEntrysLine) {
    WriteFile(global_,
              "{\n"                 // before any entry: ignored
              "A: first\n"
              "\n"
              "{\n"
              "b: inner\n"
              "  echo b\n"
              "}\n"
              "{\n"                 // the entry has its submenu: ignored
              "C: second\n"
              "  echo c\n"
              "  {\n"               // after a command line: ignored
              "D: third\n"
              "}\n"                 // at the top level: the end of the file
              "E: never read\n");
    Load(home_);
    EXPECT_EQ(Menu(), "A=first{B=inner[echo b]} | C=second[echo c] | D=third");
    EXPECT_EQ(Problems(), "");
}

TEST_F(UserMenuFileTest, KeysAndTitlesTrimmedAndUnusableEntriesDropTheirCommands) {
    WriteFile(global_,
              "  orphan command\n"
              "a :  spaced title   \n"
              "  first  \n"
              "   \n"
              "\tsecond\n"
              "a note without a colon\n"
              "  third\n"
              "TOOLONG: dropped\n"
              "  dropped too\n"
              "F13: no such key\n"
              "  dropped as well\n"
              ":no key\n"
              "  still dropped\n"
              "cf11:Ctrl eleven\n"
              "  !include not/an/include\n");
    Load(home_);
    EXPECT_EQ(Menu(), "A=spaced title[first;second;third] | CF11=Ctrl eleven[!include not/an/include]");
    EXPECT_EQ(Problems(), "");
}

TEST_F(UserMenuFileTest, IncludesGoIntoTheSubmenuTheyStandInRelativeToTheirFile) {
    std::filesystem::create_directories(home_ + "/parts");
    WriteFile(global_,
              "S: sub\n"
              "{\n"
              "!INCLUDE parts/more.mnu\n"
              "Z: last in sub\n"
              "}\n"
              "T: top\n");
    // A submenu left open at the end of an included file ends with it.
    WriteFile(home_ + "/parts/more.mnu", "M: more\n{\nN: nested\n  echo n\n");
    Load(home_);
    EXPECT_EQ(Menu(), "S=sub{M=more{N=nested[echo n]} | Z=last in sub} | T=top");
    EXPECT_EQ(Problems(), "");
}

TEST_F(UserMenuFileTest, AMissingIncludeIsToldAndReadingGoesOn) {
    WriteFile(global_, "A: before\n!include   gone.mnu  \nB: after\n");
    Load(home_);
    EXPECT_EQ(Menu(), "A=before | B=after");
    EXPECT_EQ(Problems(), "Unable to open included menu|" + home_ + "/gone.mnu\n");
}

TEST_F(UserMenuFileTest, FilesIncludingThemselvesAreToldAndReadOnce) {
    // Through another file and under another name (a link) it is still itself.
    WriteFile(global_, "A: a\n!include other.mnu\n!include dv.mnu\n");
    WriteFile(home_ + "/other.mnu", "B: b\n!include alias.mnu\n");
    std::filesystem::create_symlink("dv.mnu", home_ + "/alias.mnu");
    Load(home_);
    EXPECT_EQ(Menu(), "A=a | B=b");
    EXPECT_EQ(Problems(), "Menu file includes itself: " + home_ + "/alias.mnu|\n" +
                              "Menu file includes itself: " + home_ + "/dv.mnu|\n");
}

TEST_F(UserMenuFileTest, IncludesNestEightFilesDeepAtMost) {
    for (int i = 1; i <= 12; i++)
        WriteFile(home_ + "/" + NumberedName("f", i), NumberedName("", i % 10) + ": file\n!include " + NumberedName("f", i + 1) + "\n");
    WriteFile(global_, "!include f1\n");
    Load(home_);
    // The global file and seven more.
    EXPECT_EQ(Menu(), "1=file | 2=file | 3=file | 4=file | 5=file | 6=file | 7=file");
    EXPECT_EQ(Problems(), "Included menus nested too deeply|f8\n");
}

TEST_F(UserMenuFileTest, AnyEncodingTheTextReaderKnows) {
    const std::string utf8 = "\xc3\xa9: caf\xc3\xa9\r\n  echo \xe2\x82\xac\r\n";
    WriteFile(dir_ / "utf8", utf8);
    const std::string command = "iconv -f UTF-8 -t UTF-16 < '" + dir_ / "utf8" + "' > '" + global_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_NE(ReadFile(global_).substr(0, 2), "\xc3\xa9") << "iconv wrote no UTF-16";
    Load(home_);
    EXPECT_EQ(Menu(), "\xc3\x89=caf\xc3\xa9[echo \xe2\x82\xac]");
    ASSERT_EQ(menu_->count(), 1);
    EXPECT_EQ(menu_->FindKey(MenuTypedKey(L'\u00e9')), 0);
}

TEST_F(UserMenuFileTest, AnOverlongLineIsLeftOutWholeAndTold) {
    WriteFile(global_, "A: a\n  echo " + std::string(kMaxMenuLine + 10, 'x') + "; rm -rf stuff\n  echo kept\n");
    Load(home_);
    EXPECT_EQ(Menu(), "A=a[echo kept]");
    EXPECT_EQ(Problems(), "Menu line too long, left out|" + global_ + "\n");
}

TEST_F(UserMenuFileTest, TheNearestMenuFileAboveThePanelServesIt) {
    const std::string project = dir_ / "project";
    std::filesystem::create_directories(project + "/a/b");
    WriteFile(global_, "G: global\n");
    WriteFile(project + "/dv.mnu", "P: project\n");
    Load(project + "/a/b");
    EXPECT_EQ(Menu(), "P=project");
    // A nearer one wins; a directory or a FIFO of the name is passed by.
    WriteFile(project + "/a/dv.mnu", "N: nearer\n");
    std::filesystem::create_directories(project + "/a/b/dv.mnu");
    Load(project + "/a/b");
    EXPECT_EQ(Menu(), "N=nearer");
    std::filesystem::remove(project + "/a/b/dv.mnu");
    ASSERT_EQ(mkfifo((project + "/a/b/dv.mnu").c_str(), 0600), 0);
    Load(project + "/a/b/");
    EXPECT_EQ(Menu(), "N=nearer");
    // Shift-F2's reading takes the global file alone.
    Load(project + "/a/b", false);
    EXPECT_EQ(Menu(), "G=global");
    EXPECT_EQ(Problems(), "");
}

TEST_F(UserMenuFileTest, NoMenuFileAnywhereGivesAnEmptyMenuQuietly) {
    std::filesystem::create_directories(dir_ / "x");
    Load(dir_ / "x");
    EXPECT_EQ(menu_->count(), 0);
    EXPECT_EQ(Problems(), "");
}

TEST_F(UserMenuFileTest, AMenuFileOthersMayWriteOrOwnIsRefusedForTheGlobalOne) {
    WriteFile(global_, "G: global\n");
    const std::string local = dir_ / "dv.mnu";
    WriteFile(local, "L: local\n!include part.mnu\n");
    WriteFile(dir_ / "part.mnu", "P: part\n");
    ASSERT_EQ(chmod(local.c_str(), 0644), 0);
    Load(dir_.path());
    EXPECT_EQ(Menu(), "L=local | P=part");
    const struct {
        mode_t mode;
        const char* why;
    } cases[] = {{0666, "writable by others"}, {0664, "writable by group"}, {0602, "writable by others"}};
    for (const auto& c : cases) {
        ASSERT_EQ(chmod(local.c_str(), c.mode), 0);
        Load(dir_.path());
        EXPECT_EQ(Menu(), "G=global") << c.why;
        EXPECT_EQ(Problems(), "Menu file not used: " + local + " (" + c.why + ")|\n");
    }
    // A trusted local menu's include is held to the same rule.
    ASSERT_EQ(chmod(local.c_str(), 0600), 0);
    ASSERT_EQ(chmod((dir_ / "part.mnu").c_str(), 0666), 0);
    Load(dir_.path());
    EXPECT_EQ(Menu(), "L=local");
    EXPECT_EQ(Problems(), "Menu file not used: " + dir_ / "part.mnu" + " (writable by others)|\n");
    if (geteuid() != 0) GTEST_SKIP() << "giving a file away needs root";
    ASSERT_EQ(chown(local.c_str(), 65534, 65534), 0);
    Load(dir_.path());
    EXPECT_EQ(Menu(), "G=global");
    EXPECT_EQ(Problems(), "Menu file not used: " + local + " (owned by another user)|\n");
}

TEST(UserMenuDistrust, OwnerAndWriteBitsDecide) {
    struct stat status = {};
    status.st_uid = 1000;
    status.st_mode = S_IFREG | 0644;
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 1000)), "");
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 1001)), "owned by another user");
    status.st_uid = 0;  // root's files are the system's
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 1001)), "");
    status.st_mode = S_IFREG | 0646;
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 1001)), "writable by others");
    status.st_mode = S_IFREG | 0624;
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 0)), "writable by group");
    status.st_mode = S_IFREG | 0755;  // executable is no matter
    EXPECT_EQ(Narrow(MenuFileDistrust(status, 0)), "");
}

}  // namespace
