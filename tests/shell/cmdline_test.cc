#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "shell/cmdline.h"
#include "shell/progfiles.h"

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

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/dv-cmdline-XXXXXX";
        path_ = mkdtemp(tmpl);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name, const char* content = "") const {
        std::string p = path_ + "/" + name;
        FILE* f = std::fopen(p.c_str(), "w");
        std::fputs(content, f);
        std::fclose(f);
        return p;
    }

private:
    std::string path_;
};

// Runs the real program and captures its standard output and exit status.
// The program's exit status and standard output; the program runs without a
// display, so a good command line ends with "cannot open the display".
std::pair<int, std::string> run_dv(const std::string& args) {
    const char* binary = DV_BINARY_PATH;
    std::string cmd = std::string("env -u DISPLAY '") + binary + "' " + args + " 2>/dev/null";
    FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    char buf[256];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
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
}

TEST(CommandLine, SwitchesIgnoreCaseAndMayStartWithBackslash) {
    Parsed p = parse({"\\L", "/tmp", "-R", "/var"});
    ASSERT_EQ(p.result, 0);
    EXPECT_EQ(narrow(p.args.left_dir), "/tmp");
    EXPECT_EQ(narrow(p.args.right_dir), "/var");
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
}

TEST(CommandLine, ViewOrEditWithoutAFile) {
    for (const char* sw : {"-v", "-e", "\\V"}) {
        Parsed p = parse({sw});
        EXPECT_EQ(p.result, 1);
        EXPECT_EQ(p.message, "No file specified\n");
    }
}

TEST(CommandLine, TrailingValueSwitchesAreNotGiven) {
    for (const char* sw : {"-l", "-r", "-h", "-x"}) {
        Parsed p = parse({sw});
        EXPECT_EQ(p.result, 0) << sw;
        EXPECT_TRUE(p.args.left_dir.empty() && p.args.right_dir.empty() && p.args.dir_file.empty() &&
                    p.args.remote_host.empty());
    }
}

TEST(CommandLine, ConfigurationFileArgument) {
    TempDir dir;
    std::string ini = dir.file("my.ini", "[dv]\n");
    Parsed p = parse({ini.c_str()});
    ASSERT_EQ(p.result, 0);
    char* real = realpath(ini.c_str(), nullptr);
    EXPECT_EQ(narrow(p.args.ini_file), real);
    free(real);

    // An existing directory in that place is ignored.
    p = parse({dir.path().c_str()});
    EXPECT_EQ(p.result, 0);
    EXPECT_TRUE(p.args.ini_file.empty());

    // A file that does not exist yet is still resolved to a full path.
    std::string missing = dir.path() + "/new.ini";
    p = parse({missing.c_str()});
    char* real_dir = realpath(dir.path().c_str(), nullptr);
    EXPECT_EQ(narrow(p.args.ini_file), std::string(real_dir) + "/new.ini");
    free(real_dir);
}

TEST(CommandLine, RelativeConfigurationFileIsMadeAbsolute) {
    TempDir dir;
    char* old = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    Parsed p = parse({"rel.ini"});
    ASSERT_EQ(chdir(old), 0);
    free(old);
    char* real_dir = realpath(dir.path().c_str(), nullptr);
    EXPECT_EQ(narrow(p.args.ini_file), std::string(real_dir) + "/rel.ini");
    free(real_dir);
}

class ProgramFiles : public ::testing::Test {
protected:
    void SetUp() override {
        saved_args_ = program_args;
        saved_prog_ = DVProg;
        const char* home = getenv("HOME");
        saved_home_ = home ? home : "";
        setenv("HOME", "/home/u", 1);
        program_args = PROGRAM_ARGS();
        DVProg = L"/usr/bin/dv";
    }
    void TearDown() override {
        program_args = saved_args_;
        DVProg = saved_prog_;
        setenv("HOME", saved_home_.c_str(), 1);
    }

private:
    PROGRAM_ARGS saved_args_;
    Westring saved_prog_;
    std::string saved_home_;
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
}

TEST_F(ProgramFiles, NamedConfigurationFileMovesTheUserFiles) {
    program_args.ini_file = L"/home/u/alt/my.ini";
    EXPECT_EQ(narrow(DVFilename(DV_HISTORY)), "/home/u/alt/my.hst");
    EXPECT_EQ(narrow(DVFilename(DV_USER_MENU)), "/home/u/alt/my.mnu");
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/alt/my.ini");
    EXPECT_EQ(narrow(DVFilename(DV_HELP)), "/usr/share/dorvik/my.dvh");
}

TEST_F(ProgramFiles, ProgramNameWithAnExtension) {
    DVProg = L"/opt/x/dv.bin";
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/.dvl/dv.ini");
    DVProg = L"/opt/x/my.dv.bin";
    EXPECT_EQ(narrow(DVFilename(DV_CONFIG)), "/home/u/.dvl/my.dv.ini");
}

TEST(ProgramEntry, RealProgramExitStatusAndOutput) {
    auto [status, out] = run_dv("-q");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, kUsageText);

    std::tie(status, out) = run_dv("-v");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "No file specified\n");

    // Good arguments get as far as the display, which is missing.
    std::tie(status, out) = run_dv("-l /tmp -r /tmp");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "");
}
