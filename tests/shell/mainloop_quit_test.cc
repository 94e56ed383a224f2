// Quitting: the confirmation of F10, closing the window, saving the
// configuration at exit, and the directory file of -x.

#include <cstdio>

#include "shell/shutdown.h"
#include "tests/shell/mainloop_fixture.h"

namespace {

constexpr const char* kQuestion = "Are you sure you want to exit DV/L ?";

class QuitTest : public MainLoopTest {};

TEST_F(QuitTest, F10AsksUnlessSwitchedOffAndEscapeKeepsRunningButAClosedWindowQuits) {
    // Esc answers no: the typed text goes to the command line, with no question.
    ui.Keys("F10 Esc");
    ui.Type("x");
    RunKeys();
    EXPECT_EQ(CommandLine(Screens().at(3)), left_.path() + ">x");
    EXPECT_FALSE(Screens().at(3).Find(kQuestion)) << Screens().at(3).Dump();
    EXPECT_TRUE(Screens().back().Find(kQuestion)) << Screens().back().Dump();
    // A click on slot 10 of the key bar (columns 72 to 79 of the last row) is F10.
    ui.Click(75, 24);
    ui.Keys("y");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(Screens().back().Find(kQuestion));
    // The window going away quits without asking.
    ui.Headless().Post(CConsole::TEvent{CConsole::TEvent::Quit});
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Shown(kQuestion));
    Ini("Confirmations=8\r\n");
    ui.Keys("F10");
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(Shown(kQuestion));
}

TEST_F(QuitTest, TheConfigurationIsSavedAtExitOnlyWithAutoSave) {
    const std::string original = "LeftSort=name\r\n";
    Ini(original);
    RunKeys("Ctrl-F5");  // sort the left panel by time
    EXPECT_EQ(ReadFile(ini_), original);

    Ini("AutoSave=on\r\n" + original);
    RunKeys("Ctrl-F5");
    std::string saved = ReadFile(ini_);
    for (const char* line : {"AutoSave=on\r\n", "LeftSort=time\r\n", "[General Options]"})
        EXPECT_NE(saved.find(line), std::string::npos) << saved;
}

// ---- the directory file of -x

// The file, sourced by a POSIX shell, takes it to the directory. (The
// file's own path holds no single quote.)
std::string ShellLandsIn(const std::string& file) {
    std::string command = "/bin/sh -c '. \"$0\" && pwd -P' '" + file + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "(no shell)";
    std::string out;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    int status = pclose(pipe);
    if (status != 0) return "(status " + std::to_string(status) + ")";
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

TEST_F(QuitTest, TheDirectoryFileNamesTheCurrentPanelsDirectory) {
    const std::string file = home_ / "cd.sh";
    QueueQuit();
    EXPECT_EQ(Run({"-x", file}), 0);
    EXPECT_EQ(ReadFile(file), "cd -- '" + left_.path() + "'\n");
    ui.Keys("Tab");
    QueueQuit();
    EXPECT_EQ(Run({"-x", file}), 0);
    EXPECT_EQ(ReadFile(file), "cd -- '" + right_.path() + "'\n");

    // Quotes, blanks and bytes that are not UTF-8 round-trip through the shell.
    for (const std::string name : {"it's a dir", "$HOME `x` \"y\" \\z", "-starts-with-dash"}) {
        const std::string dir = left_.MakeDir(name);
        QueueQuit();
        EXPECT_EQ(Run({"-x", file, "-l", dir}), 0);
        EXPECT_EQ(ShellLandsIn(file), dir) << ReadFile(file);
    }
    const std::string dir = right_.MakeDir("bad\xff\xfe name");
    ui.Keys("Tab Down Enter");  // into the right panel's only directory
    QueueQuit();
    EXPECT_EQ(Run({"-x", file}), 0);
    EXPECT_EQ(ReadFile(file), "cd -- '" + dir + "'\n");
    EXPECT_EQ(ShellLandsIn(file), dir);
}

TEST_F(QuitTest, AnUnwritableDirectoryFileIsReportedNotIgnored) {
    for (const std::string& file : {std::string("/dev/full"), home_ / "no/such/dir/cd.sh"}) {
        QueueQuit();
        EXPECT_EQ(Run({"-x", file}), 1) << file;
    }
}

TEST(DirFileLineTest, AVeryLongDirectoryIsWrittenWhole) {
    std::string dir = "/";
    while (dir.size() < 2u << 20) dir += "abcdefghij/";
    CTempDir temp;
    ASSERT_EQ(WriteDirFile(Westring((temp / "cd.sh").c_str()), Westring(dir.c_str())), 0);
    EXPECT_EQ(ReadFile(temp / "cd.sh"), "cd -- '" + dir + "'\n");
}

}  // namespace
