// The command line of the program: its switches, the configuration file
// argument, and the real program's exit.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

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

// The real program's exit status and standard output; it runs without a
// display, so good arguments end at the missing display.
TEST(ProgramEntry, RealProgramExitStatusAndOutput) {
    const std::pair<const char*, const char*> cases[] = {{"-l /tmp -z", kUsageText}, {"-l /tmp -r /tmp", ""}};
    for (const auto& [args, output] : cases) {
        std::string command = std::string("env -u DISPLAY '") + DV_BINARY_PATH + "' " + args + " 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        int status = pclose(pipe);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args;
        EXPECT_EQ(out, output) << args;
    }
}
