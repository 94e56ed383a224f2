// Making directories and desktop launchers.
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/launcher.h"
#include "fileops/mkdir.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class MakeDirTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("p");
        SetUpPanel(panel_base[0], Path("p"));
        SetUpPanel(panel_base[1], Path("p"));
    }
    void MakeDirCommand(const std::string& name) {
        ui.Type(name);
        ui.Keys("Enter");
        ui.RunVoid([] { make_dir(0); });
    }
};

TEST_F(MakeDirTest, WithIntermediateDirectories) {
    MakeDirCommand("a/b/c");
    struct stat s = Stat(Path("p/a/b/c"));
    EXPECT_TRUE(S_ISDIR(s.st_mode));
    // The cursor is on the new directory in the panel.
    ASSERT_NE(panel_base[0].CurrentEntry(), nullptr);
    EXPECT_STREQ(EncodeFileName(panel_base[0].CurrentEntry()->name).c_str(), "a");
    MakeDirCommand("plain");
    EXPECT_TRUE(S_ISDIR(Stat(Path("p/plain")).st_mode));
    EXPECT_STREQ(EncodeFileName(panel_base[0].CurrentEntry()->name).c_str(), "plain");
}

TEST_F(MakeDirTest, ExistingNames) {
    MakeDir("p/there");
    Write("p/file", "");
    ui.RecordScreens(true);
    ui.Type("there");
    ui.Keys("Enter Enter");
    ui.RunVoid([] { make_dir(0); });
    EXPECT_TRUE(Shown("Directory already exists")) << LastScreen();
    ui.RecordScreens(true);
    ui.Type("file");
    ui.Keys("Enter Enter");
    ui.RunVoid([] { make_dir(0); });
    EXPECT_TRUE(Shown("File already exists named")) << LastScreen();
    // A file in the way of an intermediate directory is an error of its own.
    ui.RecordScreens(true);
    ui.Type("file/sub");
    ui.Keys("Enter Enter");
    ui.RunVoid([] { make_dir(0); });
    EXPECT_TRUE(Shown("Path not found")) << LastScreen();
}

TEST_F(MakeDirTest, EmptyNameOrEscDoNothing) {
    ui.Keys("Enter");
    ui.RunVoid([] { make_dir(0); });
    ui.Type("x");
    ui.Keys("Esc");
    ui.RunVoid([] { make_dir(0); });
    EXPECT_FALSE(Exists(Path("p/x")));
}

class LauncherTest : public FileOpsTest {};

TEST_F(LauncherTest, FileContents) {
    MakeDir("home");
    MakeDir("home/Desktop");
    CEnvGuard home("HOME", Path("home").c_str());
    MakeDir("p");
    Write("p/tool", "#!/bin/sh\n", 0755);
    Write("p/my $doc.txt", "text", 0644);
    SetUpPanel(panel_base[0], Path("p"));
    EXPECT_EQ(create_object2(&panel_base[0], L"tool", L"My Tool", true), 0);
    EXPECT_EQ(Read(Path("home/Desktop/My Tool.desktop")),
              "#!/usr/bin/env xdg-open\n\n[Desktop Entry]\nVersion=1.0\nEncoding=UTF-8\nName=My Tool\nExec=" +
                  Path("p/tool") + "\nTerminal=true\nType=Application\n");
    EXPECT_EQ(create_object2(&panel_base[0], L"my $doc.txt", L"a/b", false), 0);
    EXPECT_EQ(Read(Path("home/Desktop/a_b.desktop")),
              "#!/usr/bin/env xdg-open\n\n[Desktop Entry]\nVersion=1.0\nEncoding=UTF-8\nName=a/b\nExec=xdg-open " +
                  Path("p/my\\ \\$doc.txt") + "\nTerminal=false\nType=Application\n");
    // A name with a line break would start lines of its own: refused.
    EXPECT_NE(create_object2(&panel_base[0], L"bad\nExec=evil", L"t", false), 0);
    EXPECT_FALSE(Exists(Path("home/Desktop/t.desktop")));
    // Without a Desktop directory nothing is written.
    std::filesystem::remove_all(Path("home/Desktop"));
    EXPECT_NE(create_object2(&panel_base[0], L"tool", L"x", false), 0);
}

TEST_F(LauncherTest, DialogForOneEntry) {
    MakeDir("home");
    MakeDir("home/Desktop");
    CEnvGuard home("HOME", Path("home").c_str());
    MakeDir("p");
    Write("p/report.PDF", "");
    SetUpPanel(panel_base[0], Path("p"));
    Cursor(panel_base[0], "report.PDF");
    ui.Keys("Enter");
    ui.RecordScreens(true);
    ui.RunVoid([] { create_object(&panel_base[0]); });
    EXPECT_TRUE(ui.Screens().front().Find("Make an object for")) << ui.Screens().front().Dump();
    EXPECT_TRUE(ui.Screens().front().Find("Report")) << ui.Screens().front().Dump();
    EXPECT_TRUE(Exists(Path("home/Desktop/Report.desktop")));
}

}  // namespace
