// File information: the items against stat(1) and readlink(1), the owner's
// full name, ids without an account, and a path that cannot be examined.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include "lib/numfmt.h"
#include "tests/shell/mainloop_fixture.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"
#include "tools/fileinfo.h"
#include "tools/fileinfodialog.h"

namespace {

std::string Line(const std::string& command) {
    std::string out = ShellOutput(command);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string Stat(const std::string& format, const std::string& path) {
    return Line("stat -c '" + format + "' '" + path + "'");
}

std::map<std::string, std::string> Items(const std::string& path) {
    CFileInfoItems items;
    int error = 0;
    EXPECT_TRUE(GetFileInfo(Westring(path.c_str()), items, error)) << path;
    std::map<std::string, std::string> by_label;
    for (const CFileInfoItem& item : items) by_label[item.label.c_str()] = Narrow(item.value);
    return by_label;
}

TEST(FileInfoTest, ItemsAgreeWithStat) {
    CTempDir dir;
    const std::string file = dir.Write("f", std::string(1500, 'x'));
    ASSERT_EQ(link(file.c_str(), (dir / "second").c_str()), 0);
    auto items = Items(file);
    EXPECT_EQ(items["Type"], "Regular file");
    EXPECT_EQ(items["Mode"], Stat("%A", file).substr(1));
    EXPECT_EQ(items["Hard Links"], "2");
    EXPECT_EQ(items["Group"], Stat("%G(%g)", file));
    EXPECT_EQ(items["Owner"].rfind(Stat("%U(%u)", file), 0), 0u) << items["Owner"];
    EXPECT_EQ(items.count("Target"), 0u);

    // A link describes itself: its own size, and its target as written.
    ASSERT_EQ(symlink("f", (dir / "ln").c_str()), 0);
    items = Items(dir / "ln");
    EXPECT_EQ(items["Type"], "Symbolic Link");
    EXPECT_EQ(items["Target"], Line("readlink '" + dir / "ln" + "'"));
    EXPECT_EQ(items["Size"], Stat("%s", dir / "ln"));

    items = Items(dir.path());
    EXPECT_EQ(items["Type"], "Directory");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(Items(dir / "pipe")["Type"], "Named Pipe (FIFO)");
}

TEST(FileInfoTest, SizesShowTheShortFormOnlyWhenItDiffers) {
    const wchar_t saved = thousand_separator;
    thousand_separator = L',';
    EXPECT_EQ(Narrow(FileInfoSizeFormat(999)), "999");
    EXPECT_EQ(Narrow(FileInfoSizeFormat(123456)), "123,456 (120K)");
    EXPECT_EQ(Narrow(FileInfoSizeFormat(0)), "0");
    thousand_separator = saved;
}

TEST(FileInfoTest, OwnersWithoutAccountsAndFullNames) {
    // An id far above any account the system makes.
    EXPECT_EQ(Narrow(FileInfoOwner(3999999901u)), "3999999901");
    EXPECT_EQ(Narrow(FileInfoGroup(3999999901u)), "3999999901");
    if (geteuid() != 0 || system("command -v useradd >/dev/null") != 0) GTEST_SKIP() << "needs root and useradd";
    const std::string user = "dvi" + std::to_string(getpid());
    ASSERT_EQ(system(("useradd -M -N -c 'Test Person,Room 1,,' " + user).c_str()), 0);
    const uid_t uid = static_cast<uid_t>(std::stoul(Line("id -u " + user)));
    const std::string owner = Narrow(FileInfoOwner(uid));
    (void)!system(("userdel " + user).c_str());
    EXPECT_EQ(owner, user + "(" + std::to_string(uid) + ") - Test Person");
}

TEST(FileInfoTest, PathThatCannotBeExaminedGivesTheSystemsMessage) {
    CTempDir dir;
    CFileInfoItems items;
    int error = 0;
    EXPECT_FALSE(GetFileInfo(Westring((dir / "gone").c_str()), items, error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_TRUE(items.empty());

    CUiTest ui;
    ui.Keys("Enter");
    ui.RecordScreens(true);
    ui.RunVoid([&] { FileInfo(Westring((dir / "gone").c_str())); });
    EXPECT_TRUE(AnyScreenShows(ui, std::strerror(ENOENT)));
    EXPECT_TRUE(AnyScreenShows(ui, dir / "gone"));
    EXPECT_FALSE(AnyScreenShows(ui, "File Information"));
}

class FileInfoKeyTest : public MainLoopTest {};

TEST_F(FileInfoKeyTest, CtrlIShowsTheCursorFile) {
    left_.Write("notes.txt", "12345");
    RunKeys("Down Ctrl-i Enter");
    EXPECT_TRUE(Shown("File Information"));
    EXPECT_TRUE(Shown("Regular file"));
    EXPECT_TRUE(Shown("Modified Time:"));
    EXPECT_TRUE(Shown(left_ / "notes.txt"));
}

}  // namespace
