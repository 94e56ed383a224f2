// The command line of the program: its switches, the configuration file
// argument, and the real program's exit.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "shell/cmdline.h"
#include "tests/support/temp_dir.h"

namespace {

struct Parsed {
    int result;
    PROGRAM_ARGS args;
    std::string message;
};

Parsed parse(std::initializer_list<const char*> list) {
    std::vector<const char*> argv{"dv"};
    argv.insert(argv.end(), list.begin(), list.end());
    Parsed p;
    Estring message;
    p.result = ParseArguments(static_cast<int>(argv.size()), argv.data(), p.args, message);
    p.message = message.c_str();
    return p;
}

}  // namespace

TEST(CommandLine, SwitchesTakeTheirValues) {
    Parsed p = parse({"-l", "/tmp/a", "-r", "/tmp/b", "-v", "view.txt", "-e", "edit.txt", "-h", "host", "-x", "out"});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(Narrow(p.args.right_dir), "/tmp/b");
    EXPECT_EQ(Narrow(p.args.edit_file), "edit.txt");
    EXPECT_EQ(Narrow(p.args.dir_file), "out");
    // Switches ignore case and may start with a backslash.
    p = parse({"\\L", "/tmp"});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(Narrow(p.args.left_dir), "/tmp");
    // A value switch at the end is not given.
    for (const char* sw : {"-l", "-r", "-h", "-x"}) {
        p = parse({sw});
        EXPECT_EQ(p.result, 0) << sw;
        EXPECT_TRUE(p.args.left_dir.empty() && p.args.right_dir.empty() && p.args.dir_file.empty() &&
                    p.args.remote_host.empty());
    }
}

TEST(CommandLine, ViewOrEditWithoutAFileIsRefused) {
    for (const char* sw : {"-e", "\\V"}) {  // view or edit without a file
        Parsed p = parse({sw});
        EXPECT_EQ(p.result, 1);
        EXPECT_EQ(p.message, "No file specified\n");
    }
}

TEST(CommandLine, ConfigurationFileArgument) {
    CTempDir dir;
    std::string ini = dir.Write("my.ini", "[dv]\n");
    Parsed p = parse({ini.c_str()});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(Narrow(p.args.ini_file), std::filesystem::canonical(ini));
    // An existing directory in that place is ignored.
    p = parse({dir.path().c_str()});
    EXPECT_EQ(p.result, 0);
    EXPECT_TRUE(p.args.ini_file.empty());
    // A relative name, of a file that does not exist yet, is made absolute.
    char* old = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    p = parse({"rel.ini"});
    ASSERT_EQ(chdir(old), 0);
    free(old);
    EXPECT_EQ(Narrow(p.args.ini_file), std::filesystem::canonical(dir.path()) / "rel.ini");
}

TEST(CommandLine, VersionAndHelpAreFoundOutsideSwitchValues) {
    const struct {
        std::vector<const char*> argv;
        const char* text;  // nullptr: nothing asked
    } cases[] = {
        {{"dv", "--version"}, kVersionText},
        {{"dv", "-l", "/tmp", "--help"}, kHelpText},
        {{"dv", "my.ini", "\\R", "/tmp", "--version"}, kVersionText},
        // The value of a switch is a name, whatever it looks like.
        {{"dv", "-v", "--help"}, nullptr},
        {{"dv", "\\E", "--version"}, nullptr},
        {{"dv", "-x", "--help", "-h", "--version"}, nullptr},
        // Near misses and odd arguments are not requests.
        {{"dv", "--versions", "-help", "-", "", "\\"}, nullptr},
        {{"dv", "-v"}, nullptr},
    };
    for (const auto& c : cases) {
        Estring text = "untouched";
        const bool asked = InformationRequested(static_cast<int>(c.argv.size()), c.argv.data(), text);
        EXPECT_EQ(asked, c.text != nullptr) << c.argv.back();
        EXPECT_EQ(std::string(text.c_str()), c.text ? c.text : "untouched") << c.argv.back();
    }
}

namespace {

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit
    std::string out;
};

// Runs the real program without a display (stderr dropped).
ProgramRun run_program(const std::string& args) {
    std::string command = std::string("env -u DISPLAY '") + DV_BINARY_PATH + "' " + args + " 2>/dev/null";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    int status = pclose(pipe);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

}  // namespace

// The real program's exit status and standard output; it runs without a
// display, so good arguments end at the missing display.
TEST(ProgramEntry, RealProgramExitStatusAndOutput) {
    const std::pair<const char*, const char*> cases[] = {{"-l /tmp -z", kUsageText}, {"-l /tmp -r /tmp", ""}};
    for (const auto& [args, output] : cases) {
        ProgramRun run = run_program(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(run.out, output) << args;
    }
}

// --version and --help answer and succeed with no display to open.
TEST(ProgramEntry, VersionAndHelpNeedNoDisplay) {
    ProgramRun version = run_program("--version");
    EXPECT_EQ(version.status, 0);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(version.out, match, std::regex("dv \\(Dorvik/L\\) ([0-9]+\\.[0-9]+[-.0-9A-Za-z]*)\n")))
        << version.out;
    // The same one line however it is asked for.
    EXPECT_EQ(run_program("-l /tmp --version").out, version.out);

    ProgramRun help = run_program("-r /tmp --help -z");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, kHelpText);
    // The usage names every switch the program takes.
    for (const char* sw : {"ini_file", "-v", "-e", "-l", "-r", "-h", "-x", "--remote-end", "--version", "--help"})
        EXPECT_NE(help.out.find(sw), std::string::npos) << sw;

    // An answer that cannot be written is a failure.
    EXPECT_EQ(run_program("--version >/dev/full").status, 1);

    // A file called --help is viewed, not taken for the switch: the run
    // goes on to the display, which is missing.
    ProgramRun view = run_program("-v --help");
    EXPECT_EQ(view.status, 1);
    EXPECT_EQ(view.out, "");
}
