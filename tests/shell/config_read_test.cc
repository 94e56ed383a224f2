// Reading the configuration file: sections, value types, hot directories,
// edge cases and hostile input.

#include <climits>
#include <random>
#include <tuple>

#include "config/config.h"
#include "lib/fsname.h"
#include "tests/shell/config_fixture.h"
#include "tests/support/no_block.h"

namespace {

class ConfigReadTest : public ConfigFileTest {};

const char kFullFile[] =
    "; before the first header, the general options\r\n"
    "Hidden=ON\r\n"
    "[Associations]\r\n"
    "*.c|*.h: vi !\r\n"
    "*.tar.gz : tar tzf !\r\n"
    "[Viewer Associations]\r\n"
    "*.pdf: evince !\r\n"
    "[Editor Associations]\r\n"
    "*.txt: nano !\r\n"
    "[Colours]\r\n"
    "*.o: bright black\r\n"
    "[Directory Colours]\r\n"
    ".*: yellow on blue\r\n"
    "[Environment]\r\n"
    "DV_PROJECT=$DV_ROOT/src\r\n"
    "  DV_JAVA = /opt/jdk  \r\n"
    "[Archiver:ZIP]\r\n"
    "Extract=unzip -o\r\n"
    "Bogus=ignored\r\n"
    "no separator here\r\n"
    "[General Options]\r\n"
    "LeftSort=rtime\r\n"
    "Left=/srv/caf\xc3\xa9\r\n"
    "Manual=anything at all\r\n"
    "*.md: glow !\r\n"
    "d3=/srv/www\r\n";

}  // namespace

TEST_F(ConfigReadTest, FullFileFillsEverySection) {
    EXPECT_TRUE(config.Editor2 == L"editor");  // the defaults first
    EXPECT_STREQ(Archiver[10].compress_cmd.c_str(), "xz -c %f > %a");
    SessionEnv.Set("DV_ROOT", "/work");
    Load(kFullFile);

    ASSERT_EQ(execAssociations.count(), 3);  // two from [Associations], one from the general section
    EXPECT_TRUE(execAssociations[1]->mask == L"*.tar.gz");
    const std::tuple<decltype(&execAssociations), const wchar_t*, const wchar_t*> found[] = {
        {&execAssociations, L"x.h", L"vi !"},           {&execAssociations, L"README.md", L"glow !"},
        {&viewAssociations, L"a.pdf", L"evince !"},     {&editAssociations, L"a.txt", L"nano !"},
        {&colourAssociations, L"a.o", L"bright black"}, {&colourDirAssociations, L".git", L"yellow on blue"}};
    for (const auto& [store, name, expected] : found) {
        Westring command;
        EXPECT_TRUE(store->FindAssociation(Westring(name), command) && command == expected) << Narrow(name);
    }
    EXPECT_STREQ(ConfEnv.Get("DV_PROJECT"), "/work/src");  // substituted
    EXPECT_STREQ(ConfEnv.Get("DV_JAVA"), "/opt/jdk");      // trimmed
    EXPECT_STREQ(Archiver[0].extract_cmd.c_str(), "unzip -o");
    EXPECT_STREQ(Archiver[0].compress_cmd.c_str(), "zip -r");  // untouched keys keep their defaults
    EXPECT_TRUE(config.Hidden);
    EXPECT_EQ(config.LeftSort, SORT_RTIME);
    EXPECT_TRUE(config.Left == L"/srv/caf\u00e9");
    EXPECT_TRUE(dirstore[3] == L"/srv/www");
    EXPECT_TRUE(dirstore[1].empty());
}

TEST_F(ConfigReadTest, ValueTypesAndTheirBadValues) {
    for (const char* value : {"ON", " on "}) {
        Load(std::string("Hidden=") + value + "\n");
        EXPECT_TRUE(config.Hidden) << value;
    }
    for (const char* value : {"yes", "1", "", "onn"}) {  // anything else clears
        Load(std::string("Hidden=on\nHidden=") + value + "\n");
        EXPECT_FALSE(config.Hidden) << value;
    }
    for (const auto& [value, mode] : {std::pair("24", 24), std::pair("024", 12), std::pair("24h", 12)}) {
        Load(std::string("TimeMode=") + value + "\n");
        EXPECT_EQ(config.TimeMode, mode) << value;
    }
    // Unknown words read as the defaults.
    EXPECT_EQ(sort_type("runsorted"), SORT_NAME);
    EXPECT_EQ(sort_type(nullptr), SORT_NAME);
    EXPECT_EQ(det_type("tree"), DETAIL_FULL);

    const std::pair<const char*, int> integers[] = {{"12abc", 12}, {"abc", 0}, {"0x10", 0},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}};
    for (const auto& [text, value] : integers) EXPECT_EQ(ParseConfigInt(text), value) << text;
    EXPECT_EQ(ParseConfigInt(nullptr), 0);

    // Nothing, or a character a byte cannot hold, keeps a one-character setting.
    Load("CmdChar=\nStartupSide=\xc3\xa9\n");
    EXPECT_EQ(config.CmdChar, '!');
    EXPECT_EQ(config.StartupSide, 'L');
}

TEST_F(ConfigReadTest, ColoursTakeAtMostNineteenNumbers) {
    std::string many;
    for (int i = 1; i <= 25; i++) many += std::to_string(i) + "  ";
    Load("Colours=" + many + "\n");
    for (int i = 0; i < COLOUR_ITEMS; i++) EXPECT_EQ(colours[i], i + 1) << i;

    Load("Colours=7 x 300 -1\n");
    EXPECT_EQ(colours[1], 0);     // no digits
    EXPECT_EQ(colours[2], 44);    // one byte: 300 & 255
    EXPECT_EQ(colours[3], 255);
    EXPECT_EQ(colours[4], default_colours[4]);
}

TEST_F(ConfigReadTest, RangeRulesAndTheScreenSize) {
    struct {
        const char* line;
        int* setting;
        int expected;
    } cases[] = {
        {"MouSpeed=1001", &config.MouSpeed, 8}, {"MouSpeed=1000", &config.MouSpeed, 1000},
        {"TabWidth=9", &config.TabWidth, 8},    {"Lines=251", &config.Lines, 25},
    };
    for (const auto& c : cases) {
        Load(std::string(c.line) + "\n");
        EXPECT_EQ(*c.setting, c.expected) << c.line;
    }
    int columns = 0, rows = 0;
    for (const char* text : {"Lines=30\nColumns=100\n", "Columns=100000\n"}) {
        Load(text);
        console->GetSize(columns, rows);
        EXPECT_EQ(config.screen_columns, columns) << text;  // also when the console refused a size
        EXPECT_EQ(config.screen_rows, rows) << text;
    }
    EXPECT_EQ(rows, 30);  // no Lines setting keeps the window's size
}

TEST_F(ConfigReadTest, BadDirectivesAreReportedWithTheirLine) {
    Load("[General Options]\nd3=/srv/a\nD7=/srv/b\ndx=/nowhere\nd10=/nowhere\n", 2);
    EXPECT_TRUE(dirstore[7] == L"/srv/b");  // keys ignore case
    EXPECT_TRUE(Showed(0, "Bad directive (dx) in dv.ini, line 4")) << Dump(0);
    EXPECT_TRUE(Showed(1, "Bad directive (d10) in dv.ini, line 5")) << Dump(1);

    // The line number counts blank lines; reading goes on.
    Load("Hidden=on\n\n  Bogus = 1  \nAutoSave=on\n", 1);
    int x = 0, y = 0;
    ASSERT_TRUE(Screens()[0].Find("Bad directive (Bogus) in dv.ini, line 3", &x, &y)) << Screens()[0].Dump();
    EXPECT_EQ(Screens()[0].Attr(x, y), colours[CLR_ERRORS]);
    EXPECT_TRUE(config.AutoSave);

    Load("[Associations]\n(*.c: cc !\n*.h: vi !\n", 1);
    EXPECT_TRUE(Showed(0, "Syntax error in association")) << Dump(0);
    EXPECT_TRUE(Showed(0, "(*.c:cc !")) << Dump(0);
    ASSERT_EQ(execAssociations.count(), 1);
    EXPECT_TRUE(execAssociations[0]->mask == L"*.h");
}

TEST_F(ConfigReadTest, SeparatorsAndHeaders) {
    Load("[General Options]\n"
         "Viewer=less: -R\n"        // '=' first: a directive
         "[Associations]\n"
         "*.sh: sh -c 'a=b' !\n"    // only ':' counts here
         "[Environment]\n"
         "DV_URL=http://host:80/\n"  // only '=' counts here
         "=nameless\n");
    ASSERT_EQ(execAssociations.count(), 1);
    EXPECT_TRUE(execAssociations[0]->command == L"sh -c 'a=b' !");
    EXPECT_TRUE(config.Viewer == L"less: -R");
    EXPECT_STREQ(ConfEnv.Get("DV_URL"), "http://host:80/");
    EXPECT_EQ(ConfEnv.count(), 1);

    // "[environment]" is no header: DV_X=1 stays in the general section.
    Load("[environment]\nDV_X=1\n", 1);
    EXPECT_TRUE(Showed(0, "Bad directive (DV_X) in dv.ini, line 2")) << Dump(0);
    Load("[Archiver:RAR]\nEXTRACT=unrar x\n[ Archiver:ZIP ]\nExtract=still rar\n");
    EXPECT_STREQ(Archiver[1].extract_cmd.c_str(), "still rar");  // " [ Archiver:ZIP ]" is not a header
}

TEST_F(ConfigReadTest, OddLinesInvalidUtf8AndHugeLines) {
    Load("Hidden=on\r\nViewer=a b\r\r\nLeft=/srv/\xff\xfe\nClock=on");
    EXPECT_TRUE(config.Hidden);
    EXPECT_TRUE(config.Viewer == L"a b");
    EXPECT_STREQ(EncodeFileName(config.Left).c_str(), "/srv/\xff\xfe");
    EXPECT_TRUE(config.Clock);

    std::string huge = "Editor=" + std::string(2 << 20, 'y');
    Load("Viewer=" + std::string(10000, 'x') + "\n" + huge + "\nAutoSave=on\nBogus=1\n" + huge + "=", 1);
    EXPECT_EQ(config.Viewer.strlen(), 10000);  // read whole
    EXPECT_TRUE(config.Editor.empty());        // skipped, and still counted
    EXPECT_TRUE(config.AutoSave);
    EXPECT_TRUE(Showed(0, "Bad directive (Bogus) in dv.ini, line 4")) << Dump(0);

    const char text[] = "Hidden=on\0junk\nAutoSave=on\nBogus\0=1\nFoo=1\n";
    Load(std::string(text, sizeof text - 1), 1);
    EXPECT_FALSE(config.Hidden);
    EXPECT_TRUE(config.AutoSave);
    EXPECT_TRUE(Showed(0, "Bad directive (Foo) in dv.ini, line 4")) << Dump(0);
}

TEST_F(ConfigReadTest, AtMostTenMessagesPerReadAndJunkNeverCrashes) {
    std::string file;
    for (int i = 1; i <= 15; i++) file += "Bogus" + std::to_string(i) + "=1\n";
    Load(file + "Hidden=on\n", 10);
    EXPECT_TRUE(Showed(9, "Bad directive (Bogus10) in dv.ini, line 10")) << Dump(9);
    EXPECT_TRUE(config.Hidden);

    std::mt19937 random(20240601);
    std::string junk;
    for (int i = 0; i < 200000; i++) junk += static_cast<char>(random() & 0xFF);
    WriteFile(ini_, junk + "\n[General Options]\nAutoSave=on\n");
    for (int i = 0; i < 10; i++) ui.Keys("Enter");
    ui.RunVoid([] { configure(false); });
    ui.ClearQueue();
    EXPECT_TRUE(config.AutoSave);
}

TEST_F(ConfigReadTest, FilesThatCannotBeReadAreReportedAndTheDefaultsStay) {
    ASSERT_EQ(symlink("/dev/zero", ini_.c_str()), 0);  // a device is never read
    Read(false, 1);
    EXPECT_TRUE(Showed(0, "No such device")) << Dump(0);
    ASSERT_EQ(unlink(ini_.c_str()), 0);
    ASSERT_EQ(mkdir(ini_.c_str(), 0755), 0);  // a directory cannot be read as a file
    Read(false, 1);
    EXPECT_TRUE(Showed(0, "Is a directory")) << Dump(0);
    EXPECT_FALSE(config.Hidden);
    rmdir(ini_.c_str());
}

TEST_F(ConfigReadTest, ReloadReadsOnlyAssociationsEnvironmentAndArchivers) {
    Load("Hidden=on\n[Associations]\n*.c: cc\n[Environment]\nDV_A=1\n");
    WriteFile(ini_, "Hidden=off\n[Associations]\n*.h: vi\n[Environment]\nDV_B=2\n[Archiver:ZIP]\nDelete=zip -dd\n");
    Read(true);
    EXPECT_TRUE(config.Hidden);  // the general section is left alone
    ASSERT_EQ(execAssociations.count(), 1);  // replaced, not added to
    EXPECT_TRUE(execAssociations[0]->mask == L"*.h");
    EXPECT_EQ(ConfEnv.Get("DV_A"), nullptr);
    EXPECT_STREQ(ConfEnv.Get("DV_B"), "2");
    EXPECT_STREQ(Archiver[0].delete_cmd.c_str(), "zip -dd");
}

TEST_F(ConfigReadTest, TheFileNamedOnTheCommandLineOrTheDefault) {
    std::string named = dir_ / "alt.conf";
    UseFile(named);
    // A named file that does not exist: the default name beside it is read,
    // the named one is written.
    EXPECT_TRUE(decide_ini_file(1) == Westring((dir_ / "alt.ini").c_str()));
    EXPECT_TRUE(decide_ini_file(6) == Westring(named.c_str()));
    WriteFile(named, "Hidden=on\n");
    EXPECT_TRUE(decide_ini_file(1) == Westring(named.c_str()));
    Reset();
    EXPECT_TRUE(config.Hidden);
}

namespace {

// A FIFO under the configuration file's name holds up neither the start nor
// a save, is reported as a bad file, and stays a FIFO.
TEST_F(ConfigReadTest, FifoIsReportedAndLeftAlone) {
    ASSERT_EQ(mkfifo(ini_.c_str(), 0600), 0);
    EXPECT_EQ(RunInChildWithin(5, [] {
                  console = nullptr;  // messages to standard error
                  configure(false);
                  const int read_error = last_config_read_error();
                  return save_config() == read_error ? read_error : 255;
              }),
              ENODEV);
    struct stat status;
    ASSERT_EQ(lstat(ini_.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

}  // namespace
