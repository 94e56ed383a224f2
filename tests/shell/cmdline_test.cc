// The command line of the program: its switches, the configuration file
// argument, where the program's files are, and the real program's exit.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "shell/cmdline.h"
#include "shell/progfiles.h"
#include "tests/fileops/env_guard.h"
#include "tests/fileops/temp_dir.h"

namespace {

std::string narrow(const Westring& w) { return w.ToUTF8().c_str(); }

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

std::string real(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    std::string out = resolved ? resolved : "";
    free(resolved);
    return out;
}

}  // namespace

TEST(CommandLine, SwitchesTakeTheirValues) {
    Parsed p = parse({"-l", "/tmp/a", "-r", "/tmp/b", "-v", "view.txt", "-e", "edit.txt", "-h", "host", "-x", "out"});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(narrow(p.args.left_dir), "/tmp/a");
    EXPECT_EQ(narrow(p.args.right_dir), "/tmp/b");
    EXPECT_EQ(narrow(p.args.view_file), "view.txt");
    EXPECT_EQ(narrow(p.args.edit_file), "edit.txt");
    EXPECT_STREQ(p.args.remote_host.c_str(), "host");
    EXPECT_EQ(narrow(p.args.dir_file), "out");
    EXPECT_TRUE(p.args.ini_file.empty());
    // Switches ignore case and may start with a backslash.
    p = parse({"\\L", "/tmp", "-R", "/var"});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(narrow(p.args.left_dir), "/tmp");
    EXPECT_EQ(narrow(p.args.right_dir), "/var");
    // A value switch at the end is not given.
    for (const char* sw : {"-l", "-r", "-h", "-x"}) {
        p = parse({sw});
        EXPECT_EQ(p.result, 0) << sw;
        EXPECT_TRUE(p.args.left_dir.empty() && p.args.right_dir.empty() && p.args.dir_file.empty() &&
                    p.args.remote_host.empty());
    }
}

TEST(CommandLine, BadSwitchesGiveTheUsage) {
    for (auto args : {std::initializer_list<const char*>{"-q"}, {"-"}, {"\\"}, {"-5"}, {"-l", "/tmp", "-z"}}) {
        Parsed p = parse(args);
        EXPECT_EQ(p.result, 1);
        EXPECT_EQ(p.message, kUsageText);
    }
    EXPECT_EQ(std::string(kUsageText),
              "Usage:\tdv [ini_file] [-v|-e file_name] [-l|-r directory]\n\t-v: invoke internal viewer\n"
              "\t-e: invoke internal editor\n\t-l: specify left panel's directory\n"
              "\t-r: specify right panel's directory\n");
    for (const char* sw : {"-v", "-e", "\\V"}) {  // view or edit without a file
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
    EXPECT_EQ(narrow(p.args.ini_file), real(ini));
    // An existing directory in that place is ignored.
    p = parse({dir.path().c_str()});
    EXPECT_EQ(p.result, 0);
    EXPECT_TRUE(p.args.ini_file.empty());
    // A file that does not exist yet is still resolved to a full path.
    std::string missing = dir / "new.ini";
    p = parse({missing.c_str()});
    EXPECT_EQ(narrow(p.args.ini_file), real(dir.path()) + "/new.ini");
    // A relative name is made absolute.
    char* old = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    p = parse({"rel.ini"});
    ASSERT_EQ(chdir(old), 0);
    free(old);
    EXPECT_EQ(narrow(p.args.ini_file), real(dir.path()) + "/rel.ini");
}

class ProgramFiles : public ::testing::Test {
protected:
    void SetUp() override {
        program_args = PROGRAM_ARGS();
        DVProg = L"/usr/bin/dv";
    }
    void TearDown() override {
        program_args = saved_args_;
        DVProg = saved_prog_;
    }

private:
    PROGRAM_ARGS saved_args_ = program_args;
    Westring saved_prog_ = DVProg;
    CEnvGuard home_{"HOME", "/home/u"};
};

TEST_F(ProgramFiles, DefaultLocations) {
    EXPECT_EQ(narrow(DVFilename(DV_HELP)), "/usr/share/dorvik/dv.dvh");
    EXPECT_EQ(narrow(DVFilename(DV_MANUAL)), "/usr/share/doc/dorvik/manual/dv.html");
    EXPECT_EQ(narrow(DVFilename(DV_USER_MENU)), "/home/u/.dvl/dv.mnu");
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/.dvl/dv.ini");
    EXPECT_EQ(narrow(DVFilename(DV_HISTORY)), "/home/u/.dvl/dv.hst");
    EXPECT_EQ(narrow(DVFilename(DV_LOG)), "/home/u/.dvl/dv.log");
    EXPECT_EQ(narrow(DVFilename(DV_SYNTAX, 0)), "/home/u/.dvl/dvsyntax.ini");
    EXPECT_EQ(narrow(DVFilename(DV_SYNTAX, 1)), "/usr/share/dorvik/dvsyntax.ini");
    // The program's name without its extension.
    DVProg = L"/opt/x/dv.bin";
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/.dvl/dv.ini");
    DVProg = L"/opt/x/my.dv.bin";
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/.dvl/my.dv.ini");
}

TEST_F(ProgramFiles, NamedConfigurationFileMovesTheUserFiles) {
    program_args.ini_file = L"/home/u/alt/my.ini";
    EXPECT_EQ(narrow(DVFilename(DV_HISTORY)), "/home/u/alt/my.hst");
    EXPECT_EQ(narrow(DVFilename(DV_USER_MENU)), "/home/u/alt/my.mnu");
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/alt/my.ini");
    EXPECT_EQ(narrow(DVFilename(DV_HELP)), "/usr/share/dorvik/my.dvh");
}

// The real program's exit status and standard output; it runs without a
// display, so good arguments end at the missing display.
TEST(ProgramEntry, RealProgramExitStatusAndOutput) {
    const std::pair<const char*, const char*> cases[] = {
        {"-q", kUsageText}, {"-v", "No file specified\n"}, {"-l /tmp -r /tmp", ""}};
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
