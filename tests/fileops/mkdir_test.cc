// Making directories and desktop launchers.

#include "fileops/launcher.h"
#include "fileops/mkdir.h"
#include "tests/fileops/fileops_fixture.h"
#include "tests/support/env_guard.h"

namespace {

class MakeDirTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        MakeDir("p");
        SetUpPanel(panel_base[0], Path("p"));
        SetUpPanel(panel_base[1], Path("p"));
    }
    // The Make Directory command with name typed and the keys after it.
    void MakeDirCommand(const std::string& name, const std::string& keys = "Enter") {
        ui.Type(name);
        Answer(keys);
        ui.RunVoid([] { make_dir(0); });
    }
};

TEST_F(MakeDirTest, ExistingNames) {
    Files({"p/there/", "p/file"});
    const std::pair<const char*, const char*> cases[] = {
        {"there", "Directory already exists"},
        {"file/sub", "Path not found"},  // a file in the way of an intermediate directory
    };
    for (const auto& [name, message] : cases) {
        MakeDirCommand(name, "Enter Enter");
        EXPECT_TRUE(Shown(message)) << FirstScreen();
    }
}

class LauncherTest : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        Files({"home/", "home/Desktop/", "p/"});
    }
    CEnvGuard home_{"HOME", Path("home").c_str()};
};

TEST_F(LauncherTest, FileContents) {
    Write("p/tool", "#!/bin/sh\n", 0755);
    Write("p/my $doc.txt", "text", 0644);
    SetUpPanel(panel_base[0], Path("p"));
    const std::string head = "#!/usr/bin/env xdg-open\n\n[Desktop Entry]\nVersion=1.0\nEncoding=UTF-8\n";
    EXPECT_EQ(create_object2(&panel_base[0], L"tool", L"My Tool", true), 0);
    EXPECT_EQ(ReadFile(Path("home/Desktop/My Tool.desktop")),
              head + "Name=My Tool\nExec=" + Path("p/tool") + "\nTerminal=true\nType=Application\n");
    EXPECT_EQ(create_object2(&panel_base[0], L"my $doc.txt", L"a/b", false), 0);
    EXPECT_EQ(ReadFile(Path("home/Desktop/a_b.desktop")),
              head + "Name=a/b\nExec=xdg-open " + Path("p/my\\ \\$doc.txt") + "\nTerminal=false\nType=Application\n");
    // A name with a line break would start lines of its own: refused.
    EXPECT_NE(create_object2(&panel_base[0], L"bad\nExec=evil", L"t", false), 0);
    EXPECT_FALSE(PathExists(Path("home/Desktop/t.desktop")));
    // Without a Desktop directory nothing is written.
    std::filesystem::remove_all(Path("home/Desktop"));
    EXPECT_NE(create_object2(&panel_base[0], L"tool", L"x", false), 0);
}

TEST_F(LauncherTest, DialogForOneEntry) {
    Write("p/report.PDF", "");
    SetUpPanel(panel_base[0], Path("p"));
    Cursor(panel_base[0], "report.PDF");
    Answer("Enter");
    ui.RunVoid([] { create_object(&panel_base[0]); });
    EXPECT_TRUE(FirstShows("Make an object for")) << FirstScreen();
    EXPECT_TRUE(FirstShows("Report")) << FirstScreen();  // the title proposed from the name
    EXPECT_TRUE(PathExists(Path("home/Desktop/Report.desktop")));
}

}  // namespace
