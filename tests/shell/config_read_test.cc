// Reading the configuration file: sections, value types, hot directories,
// edge cases and hostile input.

#include <climits>
#include <random>
#include <tuple>

#include "console/cells.h"
#include "console/cliplines.h"
#include "console/dialog.h"
#include "console/win.h"
#include "console/wordedit.h"
#include "lib/codepage.h"
#include "lib/fsname.h"
#include "tests/shell/config_fixture.h"

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
    "extractlistfileswitch=-x@\r\n"
    "Bogus=ignored\r\n"
    "no separator here\r\n"
    "[Archiver:XZ]\r\n"
    "Compress=xz -9 -c %f > %a\r\n"
    "[General Options]\r\n"
    "AutoSave=on\r\n"
    "Background=xterm -e ! &\r\n"
    "CaseMod=uu\r\n"
    "CmdChar=#\r\n"
    "LeftSort=rtime\r\n"
    "RightStyle=brief\r\n"
    "RightType=info\r\n"
    "TimeMode=24\r\n"
    "MaxHist=99\r\n"
    "Shadows=off\r\n"
    "PMClip=off\r\n"
    "BriefWordRight=off\r\n"
    "ScrollDelay=25\r\n"
    "CodePage=1252\r\n"
    "TextCodePage=1251\r\n"
    "FontFamily=Mono Sans\r\n"
    "Viewer=less -R\r\n"
    "Left=/srv/caf\xc3\xa9\r\n"
    "Manual=anything at all\r\n"
    "Use132=on\r\n"
    "Colours=1 2 3\r\n"
    "*.md: glow !\r\n"
    "d3=/srv/www\r\n"
    "d0=/tmp\r\n";

}  // namespace

// The defaults the saving tests do not see written out.
TEST_F(ConfigReadTest, MissingFileKeepsTheDefaults) {
    EXPECT_FALSE(Exists(ini_));
    EXPECT_FALSE(config.AutoSave);
    EXPECT_TRUE(config.Editor2 == L"editor");
    EXPECT_TRUE(config.Viewer2 == L"pager");
    EXPECT_STREQ(config.CaseMod.c_str(), "ll");
    EXPECT_EQ(config.CMPTime, 1);
    EXPECT_EQ(config.MaxHist, 500);
    EXPECT_EQ(config.MaxFieldHist, 20);
    EXPECT_EQ(config.TabWidth, 8);
    EXPECT_EQ(config.StartupSide, 'L');
    EXPECT_EQ(config.RightStyle, DETAIL_FULL);
    EXPECT_EQ(config.LeftType, PANEL_FILES);
    EXPECT_TRUE(brief_word_right);
    EXPECT_TRUE(clip_use_desktop);
    EXPECT_EQ(dialog_scroll_delay, 10);
    EXPECT_EQ(text_codepage, 0);
    EXPECT_STREQ(console_font_family.c_str(), "DejaVu Sans Mono");
    EXPECT_EQ(console_font_size, 12);
    for (const Westring& dir : dirstore) EXPECT_TRUE(dir.empty());
    EXPECT_EQ(execAssociations.count(), 0);
    EXPECT_EQ(ConfEnv.count(), 0);
    EXPECT_TRUE(Archiver[6].delete_cmd.empty());
    EXPECT_STREQ(Archiver[7].extract_list_switch.c_str(), "--files-from=");
    EXPECT_TRUE(Archiver[7].forward_slash);
    EXPECT_FALSE(Archiver[8].forward_slash);
    EXPECT_STREQ(Archiver[10].compress_cmd.c_str(), "xz -c %f > %a");
}

TEST_F(ConfigReadTest, FullFileFillsEverySection) {
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
    EXPECT_STREQ(ConfEnv.Get("dv_java"), "/opt/jdk");      // trimmed

    EXPECT_STREQ(Archiver[0].extract_cmd.c_str(), "unzip -o");
    EXPECT_STREQ(Archiver[0].extract_list_switch.c_str(), "-x@");
    EXPECT_STREQ(Archiver[0].compress_cmd.c_str(), "zip -r");  // untouched keys keep their defaults
    EXPECT_STREQ(Archiver[10].compress_cmd.c_str(), "xz -9 -c %f > %a");

    EXPECT_TRUE(config.Hidden);
    EXPECT_TRUE(config.AutoSave);
    EXPECT_TRUE(config.Background == L"xterm -e ! &");
    EXPECT_STREQ(config.CaseMod.c_str(), "uu");
    EXPECT_EQ(config.CmdChar, '#');
    EXPECT_EQ(config.LeftSort, SORT_RTIME);
    EXPECT_EQ(config.RightStyle, DETAIL_BRIEF);
    EXPECT_EQ(config.RightType, PANEL_INFO);
    EXPECT_EQ(config.TimeMode, 24);
    EXPECT_EQ(config.MaxHist, 99);
    EXPECT_FALSE(win_shadows);
    EXPECT_FALSE(clip_use_desktop);
    EXPECT_FALSE(brief_word_right);
    EXPECT_EQ(dialog_scroll_delay, 25);
    EXPECT_EQ(codepage, 1252);
    EXPECT_EQ(text_codepage, 1251);
    EXPECT_STREQ(console_font_family.c_str(), "Mono Sans");
    EXPECT_TRUE(config.Viewer == L"less -R");
    EXPECT_TRUE(config.Left == L"/srv/caf\u00e9");
    EXPECT_EQ(colours[0], 1);
    EXPECT_EQ(colours[2], 3);
    EXPECT_EQ(colours[3], default_colours[3]);  // fewer numbers leave the rest alone
    EXPECT_TRUE(dirstore[3] == L"/srv/www");
    EXPECT_TRUE(dirstore[0] == L"/tmp");
    EXPECT_TRUE(dirstore[1].empty());
}

TEST_F(ConfigReadTest, OnOffIgnoresCaseAndAnythingElseClears) {
    const char* set[] = {"on", "ON", "On", " on "};
    for (const char* value : set) {
        Load(std::string("Hidden=") + value + "\n");
        EXPECT_TRUE(config.Hidden) << value;
    }
    const char* clear[] = {"off", "yes", "1", "true", "", "onn", "o n"};
    for (const char* value : clear) {
        Load(std::string("Hidden=on\nHidden=") + value + "\nKeepExtVisible=" + value + "\n");
        EXPECT_FALSE(config.Hidden) << value;
        EXPECT_FALSE(config.KeepExtVisible) << value;
    }
}

TEST_F(ConfigReadTest, TimeModeIsTwentyFourOnlyForExactly24) {
    const std::pair<const char*, short> cases[] = {{"24", 24}, {" 24 ", 24}, {"12", 12}, {"024", 12},
                                                   {"24h", 12}, {"23", 12},  {"", 12}};
    for (const auto& [value, mode] : cases) {
        Load(std::string("TimeMode=") + value + "\n");
        EXPECT_EQ(config.TimeMode, mode) << value;
    }
}

TEST_F(ConfigReadTest, WordTypesIncludingUnknownWords) {
    const std::pair<const char*, sortby> sorts[] = {
        {"name", SORT_NAME},   {"Extension", SORT_EXTENSION},   {"TIME", SORT_TIME},   {"size", SORT_SIZE},
        {"unsorted", SORT_UNSORTED}, {"rname", SORT_RNAME},     {"rextension", SORT_REXTENSION},
        {"RTime", SORT_RTIME}, {"rsize", SORT_RSIZE},           {"runsorted", SORT_NAME},
        {"bogus", SORT_NAME},  {"", SORT_NAME}};
    for (const auto& [word, sort] : sorts) EXPECT_EQ(sort_type(word), sort) << word;
    EXPECT_EQ(sort_type(nullptr), SORT_NAME);

    const std::pair<const char*, paneldetail> styles[] = {
        {"brief", DETAIL_BRIEF}, {"FULL", DETAIL_FULL}, {"wide", DETAIL_WIDE}, {"BriefWide", DETAIL_BRIEFWIDE},
        {"unix", DETAIL_UNIX},   {"tree", DETAIL_FULL}, {"x", DETAIL_FULL}};
    for (const auto& [word, detail] : styles) EXPECT_EQ(det_type(word), detail) << word;

    EXPECT_EQ(panel_type("files"), PANEL_FILES);
    EXPECT_EQ(panel_type("INFO"), PANEL_INFO);
    EXPECT_EQ(panel_type("tree"), PANEL_FILES);

    // The words written back read as the same values.
    for (int s = SORT_NAME; s <= SORT_RSIZE; s++) EXPECT_EQ(sort_type(sort_word(static_cast<sortby>(s))), s);
    for (int d = DETAIL_BRIEF; d <= DETAIL_UNIX; d++) EXPECT_EQ(det_type(det_word(static_cast<paneldetail>(d))), d);
    EXPECT_STREQ(det_word(DETAIL_TREE), "full");
    EXPECT_STREQ(panel_word(PANEL_INFO), "info");
}

TEST_F(ConfigReadTest, IntegersReadLikeAtoiWithoutOverflow) {
    const std::pair<const char*, int> cases[] = {
        {"42", 42}, {"  7", 7}, {"-5", -5}, {"+3", 3}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"0x10", 0},
        {"2147483647", INT_MAX}, {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseConfigInt(text), value) << text;
    EXPECT_EQ(ParseConfigInt(nullptr), 0);

    Load("MaxHist=abc\nConfirmations=31\nCMPSize=-2\n");
    EXPECT_EQ(config.MaxHist, 0);
    EXPECT_EQ(config.Confirmations, 31);
    EXPECT_EQ(config.CMPSize, -2);
}

TEST_F(ConfigReadTest, OneCharacterSettings) {
    // Nothing, or a character a byte cannot hold, keeps the setting.
    for (const auto& [text, cmd_char, side] : {std::tuple("CmdChar=%\nStartupSide=Right\n", '%', 'R'),
                                               std::tuple("CmdChar=\nStartupSide=\xc3\xa9\n", '!', 'L')}) {
        Load(text);
        EXPECT_EQ(config.CmdChar, cmd_char) << text;
        EXPECT_EQ(config.StartupSide, side) << text;
    }
}

TEST_F(ConfigReadTest, ColoursTakeAtMostNineteenNumbers) {
    std::string many;
    for (int i = 1; i <= 25; i++) many += std::to_string(i) + "  ";
    Load("Colours=" + many + "\n");
    for (int i = 0; i < COLOUR_ITEMS; i++) EXPECT_EQ(colours[i], i + 1) << i;

    Load("Colours=7 x 300 -1\n");
    EXPECT_EQ(colours[0], 7);
    EXPECT_EQ(colours[1], 0);     // no digits
    EXPECT_EQ(colours[2], 44);    // one byte: 300 & 255
    EXPECT_EQ(colours[3], 255);
    EXPECT_EQ(colours[4], default_colours[4]);

    Load("Colours=\n");
    for (int i = 0; i < COLOUR_ITEMS; i++) EXPECT_EQ(colours[i], default_colours[i]) << i;
}

TEST_F(ConfigReadTest, RangeRulesAfterReading) {
    struct {
        const char* line;
        int* setting;
        int expected;
    } cases[] = {
        {"MouSpeed=0", &config.MouSpeed, 8},       {"MouSpeed=1001", &config.MouSpeed, 8},
        {"MouSpeed=1000", &config.MouSpeed, 1000}, {"MouSpeed=-3", &config.MouSpeed, 8},
        {"TabWidth=0", &config.TabWidth, 8},       {"TabWidth=9", &config.TabWidth, 8},
        {"TabWidth=1", &config.TabWidth, 1},       {"TabWidth=4", &config.TabWidth, 4},
        {"Lines=251", &config.Lines, 25},          {"Lines=0", &config.Lines, 0},
    };
    for (const auto& c : cases) {
        Load(std::string(c.line) + "\n");
        EXPECT_EQ(*c.setting, c.expected) << c.line;
    }
}

TEST_F(ConfigReadTest, ScreenSizeAndFontResizeTheConsole) {
    int columns = 0, rows = 0;
    auto load = [&](const std::string& text) {
        Load(text);
        console->GetSize(columns, rows);
        EXPECT_EQ(config.screen_columns, columns) << text;  // also when the console refused a size
        EXPECT_EQ(config.screen_rows, rows) << text;
    };
    load("Lines=30\nColumns=100\n");
    EXPECT_EQ(columns, 100);
    EXPECT_EQ(rows, 30);
    load("Lines=0\nFontSize=15\nFontFamily=Courier\n");
    EXPECT_EQ(rows, 30);  // 0 keeps the window's size
    EXPECT_EQ(console->font_size(), 15);
    EXPECT_STREQ(console->font_name().c_str(), "Courier");
    load("Lines=300\n");
    EXPECT_EQ(rows, 25);
    load("Columns=100000\n");
}

TEST_F(ConfigReadTest, HotDirectoriesBadDirectivesAndTheNumLockHook) {
    static int calls;
    calls = 0;
    config_hooks.numlock_on = [] { calls++; };  // runs only when on
    Load("NumLock=off\n");
    EXPECT_EQ(calls, 0);
    Load("NumLock=on\n");
    EXPECT_EQ(calls, 1);

    Load("[General Options]\nd3=/srv/a\nD7=/srv/b\ndx=/nowhere\nd10=/nowhere\n", 2);
    EXPECT_TRUE(dirstore[3] == L"/srv/a");
    EXPECT_TRUE(dirstore[7] == L"/srv/b");  // keys ignore case
    EXPECT_TRUE(Showed(0, "Bad directive (dx) in dv.ini, line 4")) << Dump(0);
    EXPECT_TRUE(Showed(1, "Bad directive (d10) in dv.ini, line 5")) << Dump(1);

    // The line number counts blank lines; reading goes on.
    Load("Hidden=on\n\n  Bogus = 1  \nAutoSave=on\n", 1);
    ASSERT_EQ(Screens().size(), 1u);
    int x = 0, y = 0;
    ASSERT_TRUE(Screens()[0].Find("Bad directive (Bogus) in dv.ini, line 3", &x, &y)) << Screens()[0].Dump();
    EXPECT_EQ(Screens()[0].Attr(x, y), colours[CLR_ERRORS]);
    EXPECT_TRUE(Screens()[0].Find("OK"));
    EXPECT_TRUE(config.Hidden);
    EXPECT_TRUE(config.AutoSave);
}

TEST_F(ConfigReadTest, AssociationWithABrokenMaskIsDroppedWithAMessage) {
    Load("[Associations]\n(*.c: cc !\n*.h: vi !\n", 1);
    EXPECT_TRUE(Showed(0, "Syntax error in association")) << Dump(0);
    EXPECT_TRUE(Showed(0, "(*.c:cc !")) << Dump(0);
    ASSERT_EQ(execAssociations.count(), 1);
    EXPECT_TRUE(execAssociations[0]->mask == L"*.h");
}

TEST_F(ConfigReadTest, SeparatorsDependOnTheSection) {
    Load("[General Options]\n"
         "*.txt: less !\n"          // ':' first: an association
         "Viewer=less: -R\n"        // '=' first: a directive
         "[Associations]\n"
         "*.sh: sh -c 'a=b' !\n"    // only ':' counts here
         "just words\n"
         "[Environment]\n"
         "DV_URL=http://host:80/\n"  // only '=' counts here
         "DV_NOVALUE\n"
         "=nameless\n");
    ASSERT_EQ(execAssociations.count(), 2);
    EXPECT_TRUE(execAssociations[0]->command == L"less !");
    EXPECT_TRUE(execAssociations[1]->command == L"sh -c 'a=b' !");
    EXPECT_TRUE(config.Viewer == L"less: -R");
    EXPECT_STREQ(ConfEnv.Get("DV_URL"), "http://host:80/");
    EXPECT_EQ(ConfEnv.count(), 1);
}

TEST_F(ConfigReadTest, HeadersMatchExactlyAndKeysIgnoreCase) {
    // "[environment]" is no header: X=1 stays in the general section.
    Load("[environment]\nDV_X=1\nhIdDeN=on\n[Archiver:zip]\n", 1);
    EXPECT_TRUE(Showed(0, "Bad directive (DV_X) in dv.ini, line 2")) << Dump(0);
    EXPECT_EQ(ConfEnv.Get("DV_X"), nullptr);
    EXPECT_TRUE(config.Hidden);
    Load("[Archiver:RAR]\nEXTRACT=unrar x\n[ Archiver:ZIP ]\nExtract=still rar\n");
    EXPECT_STREQ(Archiver[1].extract_cmd.c_str(), "still rar");  // " [ Archiver:ZIP ]" trimmed is not a header
    EXPECT_STREQ(Archiver[0].extract_cmd.c_str(), "unzip --z");
}

TEST_F(ConfigReadTest, DuplicateKeysLastWinsAndInvalidUtf8Survives) {
    Load("Viewer=one\nViewer=two\n[Archiver:TAR]\nExtract=a\nextract=b\n[Environment]\nDV_E=1\ndv_e=2\n"
         "[General Options]\nLeft=/srv/\xff\xfe\n");
    EXPECT_STREQ(EncodeFileName(config.Left).c_str(), "/srv/\xff\xfe");
    EXPECT_TRUE(config.Viewer == L"two");
    EXPECT_STREQ(Archiver[7].extract_cmd.c_str(), "b");
    EXPECT_STREQ(ConfEnv.Get("DV_E"), "2");
}

TEST_F(ConfigReadTest, LineEndsAMissingFinalNewlineAndLongLines) {
    Load("Hidden=on\r\nAutoSave=on\nClock=on");
    EXPECT_TRUE(config.Hidden);
    EXPECT_TRUE(config.AutoSave);
    EXPECT_TRUE(config.Clock);
    Load("Viewer=a b\r\r\n");
    EXPECT_TRUE(config.Viewer == L"a b");
    Load("Viewer=" + std::string(10000, 'x') + "\nHidden=on\n");  // read whole
    EXPECT_EQ(config.Viewer.strlen(), 10000);
    EXPECT_TRUE(config.Hidden);
}

TEST_F(ConfigReadTest, HugeLinesAreSkippedAndStillCounted) {
    std::string huge = "Editor=" + std::string(2 << 20, 'y');
    Load(huge + "\nHidden=on\nBogus=1\n" + huge + "=", 1);
    EXPECT_TRUE(config.Editor.empty());
    EXPECT_TRUE(config.Hidden);
    EXPECT_TRUE(Showed(0, "Bad directive (Bogus) in dv.ini, line 3")) << Dump(0);
}

TEST_F(ConfigReadTest, LinesWithNulBytesAreSkipped) {
    const char text[] = "Hidden=on\0junk\nAutoSave=on\nBogus\0=1\nFoo=1\n";
    Load(std::string(text, sizeof text - 1), 1);
    EXPECT_FALSE(config.Hidden);
    EXPECT_TRUE(config.AutoSave);
    EXPECT_TRUE(Showed(0, "Bad directive (Foo) in dv.ini, line 4")) << Dump(0);
}

TEST_F(ConfigReadTest, AtMostTenMessagesPerRead) {
    std::string file;
    for (int i = 1; i <= 15; i++) file += "Bogus" + std::to_string(i) + "=1\n";
    Load(file + "Hidden=on\n", 10);
    EXPECT_TRUE(Showed(9, "Bad directive (Bogus10) in dv.ini, line 10")) << Dump(9);
    EXPECT_TRUE(config.Hidden);
    // The next read starts counting again.
    Load("Bogus=1\n", 1);
}

TEST_F(ConfigReadTest, BinaryJunkNeverCrashesAndShowsFewMessages) {
    std::mt19937 random(20240601);
    std::string junk;
    for (int i = 0; i < 200000; i++) junk += static_cast<char>(random() & 0xFF);
    Write(ini_, junk + "\n[General Options]\nHidden=on\n");
    for (int i = 0; i < 10; i++) ui.Keys("Enter");
    ui.RunVoid([] { configure(false); });
    EXPECT_FALSE(ui.RanDry()) << "more than ten messages for one file";
    ui.ClearQueue();
    EXPECT_TRUE(config.Hidden);
}

TEST_F(ConfigReadTest, FilesThatCannotBeReadAreReportedAndTheDefaultsStay) {
    ASSERT_EQ(symlink("/dev/zero", ini_.c_str()), 0);  // never ends: cut off
    Read(false, 1);
    EXPECT_TRUE(Showed(0, "File too large")) << Dump(0);
    EXPECT_FALSE(config.Hidden);
    ASSERT_EQ(unlink(ini_.c_str()), 0);
    ASSERT_EQ(mkdir(ini_.c_str(), 0755), 0);  // a directory cannot be read as a file
    Read(false, 1);
    EXPECT_TRUE(Showed(0, "Is a directory")) << Dump(0);
    EXPECT_FALSE(config.Hidden);
    rmdir(ini_.c_str());
}

TEST_F(ConfigReadTest, ReloadReadsOnlyAssociationsEnvironmentAndArchivers) {
    Load("Hidden=on\n[Associations]\n*.c: cc\n[Environment]\nDV_A=1\n");
    Write(ini_, "Hidden=off\nAutoSave=on\n[Associations]\n*.h: vi\n[Environment]\nDV_B=2\n"
                "[Archiver:ZIP]\nDelete=zip -dd\n");
    Read(true);
    EXPECT_TRUE(config.Hidden);  // the general section is left alone
    EXPECT_FALSE(config.AutoSave);
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
    Write(named, "Hidden=on\n");
    EXPECT_TRUE(decide_ini_file(1) == Westring(named.c_str()));
    Reset();
    EXPECT_TRUE(config.Hidden);
}

TEST(ConfigTextTest, TrimAndDespace) {
    Estring narrow(" \t a b \r\n");
    trim(narrow);
    EXPECT_STREQ(narrow.c_str(), "a b");
    Westring wide(L"\u00a0x y  ");
    trim(wide);
    EXPECT_TRUE(wide == L"\u00a0x y");  // only ASCII white space
    despace(narrow);
    EXPECT_STREQ(narrow.c_str(), "ab");
    Westring spaced(L" a\tb c ");
    despace(spaced);
    EXPECT_TRUE(spaced == L"abc");
    Estring blank("   ");
    trim(blank);
    EXPECT_TRUE(blank.empty());
}
