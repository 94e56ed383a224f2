// Writing the configuration file: every directive and section comes back as
// it was read, and a failed save never harms the file already there.

#include <cerrno>
#include <fcntl.h>

#include "config/config.h"
#include "console/console.h"
#include "shell/progfiles.h"
#include "tests/shell/config_fixture.h"
#include "tests/support/env_guard.h"

namespace {

class ConfigSaveTest : public ConfigFileTest {};

// A value for a directive that differs from its default.
std::string OtherValue(const DIRECTIVE& row) {
    std::string name = row.name;
    if (name == "Lines") return "30";
    if (name == "Columns") return "100";
    if (name == "CodePage") return "1252";
    if (name == "TextCodePage") return "1251";
    if (name == "FontSize") return "14";
    switch (row.type) {
    case DT_NARROW: return "n-" + name;
    case DT_TEXT: return "t-" + name + " caf\xc3\xa9 !";
    case DT_INTEGER: return "7";
    case DT_ONOFF: return *static_cast<const bool*>(row.setting) ? "off" : "on";
    case DT_LINES: return "2500";
    case DT_CHAR: return "#";
    case DT_TIMEMODE: return "24";
    case DT_SORT: return "rsize";
    case DT_STYLE: return "briefwide";
    case DT_PANELTYPE: return "info";
    case DT_COLOURS: {
        std::string out;
        for (int i = 1; i <= COLOUR_ITEMS; i++) out += std::to_string(i) + " ";
        return out;
    }
    case DT_IGNORED: break;
    }
    return "";
}

const char kSections[] =
    "[Associations]\r\n"
    "*.c|*.h: vi !\r\n"
    "[Viewer Associations]\r\n"
    "*.pdf: evince !\r\n"
    "[Colours]\r\n"
    "*.o: bright black\r\n"
    "[Environment]\r\n"
    "DV_SRC=$DV_ROOT/src\r\n"
    "DV_HOME_BIN=~/bin\r\n"
    "[Archiver:RAR]\r\n"
    "Extract=unrar x\r\n"
    "[General Options]\r\n"
    "Hidden=on\r\n"
    "d5=/srv/five\r\n"
    "d1=/srv/one\r\n";

}  // namespace

TEST_F(ConfigSaveTest, EveryDirectiveComesBackAsItWasRead) {
    std::string file = "[General Options]\n";
    std::map<std::string, std::string> expected;
    for (int i = 0; i < directive_count; i++) {
        const DIRECTIVE& row = directives[i];
        file += std::string(row.name) + "=" + OtherValue(row) + "\n";
        if (row.type != DT_IGNORED) expected[row.name] = OtherValue(row);
    }
    file += "d2=/two\nd9=/nine\n";
    Load(file);
    ASSERT_EQ(Save(), 0);

    std::string first = ReadFile(ini_);
    EXPECT_EQ(Section(first, "[General Options]"), expected);
    EXPECT_NE(first.find("\r\n\r\nd2=/two\r\nd9=/nine\r\n"), std::string::npos) << first;
    EXPECT_EQ(first.find("Manual="), std::string::npos);
    EXPECT_EQ(first.find("Use132="), std::string::npos);

    // Read the saved file from the defaults and save again: the same file.
    Reset();
    Read(false);
    ASSERT_EQ(Save(), 0);
    EXPECT_EQ(ReadFile(ini_), first);
}

TEST_F(ConfigSaveTest, SectionsComeBackAsTheFileHasThem) {
    SessionEnv.Set("DV_ROOT", "/work");
    Load(kSections);
    // Changes the program made in memory do not reach the file; the file's
    // own sections do, with the environment as written, not as expanded.
    execAssociations.AddAssociation(L"*.new", L"new");
    ConfEnv.Set("DV_MEMORY", "1");
    Archiver[1].extract_cmd = "changed";
    ASSERT_EQ(Save(), 0);
    std::string text = ReadFile(ini_);

    for (const char* part : {"[Associations]\r\n*.c|*.h: vi !\r\n\r\n", "[Viewer Associations]\r\n*.pdf: evince !\r\n\r\n",
                             "[Editor Associations]\r\n\r\n", "[Colours]\r\n*.o: bright black\r\n\r\n",
                             "[Directory Colours]\r\n\r\n",
                             "[Environment]\r\nDV_SRC=$DV_ROOT/src\r\nDV_HOME_BIN=~/bin\r\n\r\n",
                             "\r\n\r\nd1=/srv/one\r\nd5=/srv/five\r\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_EQ(text.find("*.new"), std::string::npos);
    EXPECT_EQ(text.find("DV_MEMORY"), std::string::npos);

    std::map<std::string, std::string> rar = Section(text, "[Archiver:RAR]");
    EXPECT_EQ(rar["Extract"], "unrar x");
    EXPECT_EQ(rar["Compress"], "rar a -std -r0");
    EXPECT_EQ(Section(text, "[Archiver:ZIP]")["CompressListfileSwitch"], "-@ < ");  // the trailing blank stays

    // The order of the sections, and every line ended by CR LF.
    EXPECT_LT(text.find("[Environment]"), text.find("[Archiver:ZIP]"));
    EXPECT_LT(text.find("[Archiver:XZ]"), text.find("[General Options]"));
    for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;

    // Invalid UTF-8 and command characters round-trip.
    Load("Left=/srv/\xff\xfe\nViewer=less -R !\n[Associations]\n*.\xe9: open !\n");
    ASSERT_EQ(Save(), 0);
    text = ReadFile(ini_);
    for (const char* line : {"Left=/srv/\xff\xfe\r\n", "Viewer=less -R !\r\n", "*.\xe9: open !\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(ConfigSaveTest, TheSizeTheUserLastHadIsKept) {
    Load("[General Options]\nLines=30\n");
    config.screen_columns = 120;  // the window was resized
    config.screen_rows = 40;
    ASSERT_EQ(Save(), 0);
    std::string text = ReadFile(ini_);
    EXPECT_NE(text.find("Lines=40\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Columns=120\r\n"), std::string::npos) << text;

    Load("[General Options]\n");  // never resized: no size is written
    config.screen_columns = CConsole::kMinColumns;
    config.screen_rows = CConsole::kMinRows;
    ASSERT_EQ(Save(), 0);
    text = ReadFile(ini_);
    EXPECT_NE(text.find("Lines=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Columns=0\r\n"), std::string::npos) << text;
}

TEST_F(ConfigSaveTest, AFirstSaveCreatesTheSettingsDirectory) {
    CEnvGuard home("HOME", dir_.path().c_str());
    Westring saved_prog = DVProg;
    DVProg = Westring();
    program_args.ini_file = Westring();
    std::string file = dir_ / ".dvl/dv.ini";
    EXPECT_TRUE(DVFilename(DV_CONFIG) == Westring(file.c_str()));
    ASSERT_EQ(Save(), 0);
    EXPECT_TRUE(PathExists(file));
    EXPECT_EQ(std::filesystem::status(dir_ / ".dvl").permissions(), std::filesystem::perms(0700));
    EXPECT_FALSE(PathExists(dir_ / ".dvl/dv.!!!"));
    DVProg = saved_prog;
}

TEST_F(ConfigSaveTest, PermissionsAndSymbolicLinksAreKept) {
    std::string real = dir_ / "real.ini";
    WriteFile(real, "Hidden=on\n");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(symlink("real.ini", ini_.c_str()), 0);
    Read(false);
    ASSERT_EQ(Save(), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(ini_));  // the link still points at the file
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0600));
    EXPECT_NE(ReadFile(real).find("Hidden=on\r\n"), std::string::npos);
}

// Each step of saving failing in turn: the old file stays as it was, the
// temporary file is gone and the system's message is shown with the file name.
TEST_F(ConfigSaveTest, AnyFailedStepLeavesTheOldFile) {
    const std::string old = "Hidden=on\n[Associations]\n*.c: cc\n";
    static int failing_step;
    config_save_fault = [](int step) { return step == failing_step ? EIO : 0; };
    for (int step : {SAVE_OPEN, SAVE_WRITE, SAVE_SYNC, SAVE_CLOSE, SAVE_RENAME}) {
        SCOPED_TRACE(step);
        failing_step = step;
        WriteFile(ini_, old);
        EXPECT_EQ(Save(1), EIO);
        EXPECT_EQ(ReadFile(ini_), old);
        EXPECT_FALSE(PathExists(dir_ / "dv.!!!"));
        EXPECT_TRUE(Showed(0, "Input/output error")) << Dump(0);
        EXPECT_TRUE(Showed(0, ini_)) << Dump(0);
    }
}

TEST_F(ConfigSaveTest, AFileThatCannotBeReadIsNotReplaced) {
    // Larger than any configuration: reading it stops with an error, and
    // saving over it would lose what was not read.
    int fd = open(ini_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 65 << 20), 0);
    close(fd);
    Read(false, 1);
    EXPECT_EQ(Save(1), EFBIG);
    EXPECT_EQ(std::filesystem::file_size(ini_), 65u << 20);
    EXPECT_FALSE(PathExists(dir_ / "dv.!!!"));
}
