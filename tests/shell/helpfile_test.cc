// The help file: the one the build makes from data/help.txt, the records of
// damaged files (each refused whole, never read past their bytes), the files
// that cannot be read, and the generator's refusals of a bad source.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "console/helptopics.h"
#include "shell/cmdline.h"
#include "shell/helpfile.h"
#include "shell/progfiles.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kSourceRoot = std::string(DV_TEST_DATA_DIR) + "/../..";
const std::string kBuiltHelp = std::filesystem::path(DV_BINARY_PATH).parent_path().string() + "/dv.dvh";

// One record as the file holds it: topic and length little-endian, then the text.
std::string Record(int topic, int length, const std::string& text) {
    std::string bytes;
    bytes += static_cast<char>(topic & 0xFF);
    bytes += static_cast<char>((topic >> 8) & 0xFF);
    bytes += static_cast<char>(length & 0xFF);
    bytes += static_cast<char>((length >> 8) & 0xFF);
    return bytes + text;
}
// A sound record of lines, each ending in NUL.
std::string Page(int topic, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\0';
    return Record(topic, static_cast<int>(text.size() + 4), text);
}
const std::string kEnd = Page(HELP_END, {"no page"});

struct Parsed {
    bool ok;
    std::vector<HelpPage> pages;
    std::string why;
};
// Parses a copy of bytes in a block of exactly their size, so that the
// address sanitizer catches any read past it.
Parsed Parse(const std::string& bytes) {
    std::unique_ptr<unsigned char[]> block(new unsigned char[bytes.size() ? bytes.size() : 1]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    Parsed parsed;
    parsed.ok = ParseHelp(block.get(), bytes.size(), parsed.pages, parsed.why);
    return parsed;
}

// Every topic number console/helptopics.h declares, read from its source.
std::vector<int> DeclaredTopics() {
    std::ifstream in(kSourceRoot + "/console/helptopics.h");
    std::vector<int> topics;
    const std::regex entry(R"(^\s*HELP_[A-Z_]+\s*=\s*(\d+)\s*,)");
    std::string line;
    std::smatch match;
    while (std::getline(in, line))
        if (std::regex_search(line, match, entry)) topics.push_back(std::stoi(match[1]));
    return topics;
}

// Runs a shell command; its exit status, and what it wrote to standard error.
int Shell(const std::string& command, std::string* errors = nullptr) {
    CTempDir scratch;
    const std::string err = scratch / "stderr";
    const int status = std::system((command + " 2>" + err).c_str());
    if (errors) *errors = ReadFile(err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
// Runs the generator on source text; its exit status.
int Generate(const CTempDir& dir, const std::string& source, std::string* errors = nullptr) {
    WriteFile(dir / "help.txt", source);
    return Shell("python3 '" + kSourceRoot + "/scripts/make-help' '" + (dir / "help.txt") + "' '" +
                     (dir / "out.dvh") + "'",
                 errors);
}

class HelpFileTest : public ::testing::Test {
protected:
    void TearDown() override { static_cast<void>(LoadHelpFile(Westring((dir_ / "absent").c_str()))); }
    HelpState Load(const std::string& bytes) {
        WriteFile(dir_ / "help.dvh", bytes);
        return LoadHelpFile(Westring((dir_ / "help.dvh").c_str()));
    }
    CTempDir dir_;
};

}  // namespace

TEST_F(HelpFileTest, TheBuiltFileLoadsAndEveryTopicHasAPageOfItsOwn) {
    ASSERT_EQ(LoadHelpFile(Westring(kBuiltHelp.c_str())), HelpState::kLoaded) << help_damage();
    const std::vector<int> topics = DeclaredTopics();
    ASSERT_GE(topics.size(), 20u) << "helptopics.h was not read";
    for (int topic : topics) {
        const HelpPage* page = HelpPageFor(topic);
        ASSERT_NE(page, nullptr) << topic;
        EXPECT_EQ(page->topic, topic) << "topic " << topic << " falls back to the end page";
        EXPECT_GT(page->lines.size(), 0u) << topic;
        for (const std::string& line : page->lines) EXPECT_LE(line.size(), 72u) << topic << ": " << line;
    }
    // The end record comes last: nothing after it could ever be found.
    std::vector<HelpPage> pages;
    std::string why;
    const std::string bytes = ReadFile(kBuiltHelp);
    ASSERT_TRUE(ParseHelp(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pages, why));
    EXPECT_EQ(pages.back().topic, HELP_END);
    EXPECT_EQ(HelpPageFor(12345)->topic, HELP_END);
}

TEST_F(HelpFileTest, TheBuiltProgramFindsItsHelpBesideItself) {
    const Westring saved_prog = DVProg, saved_ini = program_args.ini_file;
    DVProg = Westring(DV_BINARY_PATH);
    program_args.ini_file = Westring();
    const std::string found = DVFilename(DV_HELP).ToUTF8().c_str();
    // A settings file of another name names the user's files, not the program's help.
    program_args.ini_file = Westring((dir_ / "work.ini").c_str());
    const std::string with_ini = DVFilename(DV_HELP).ToUTF8().c_str();
    DVProg = saved_prog;
    program_args.ini_file = saved_ini;
    EXPECT_EQ(std::filesystem::weakly_canonical(found), std::filesystem::weakly_canonical(kBuiltHelp));
    EXPECT_EQ(with_ini, found);
}

TEST_F(HelpFileTest, PagesAreFoundByTopicAndAnUnknownTopicShowsTheEndPage) {
    const Parsed parsed = Parse(Page(1, {"main", "", "second"}) + Page(2, {}) + Record(3, 4, "") + kEnd +
                                Page(5, {"after the end"}));
    ASSERT_TRUE(parsed.ok) << parsed.why;
    const HelpPage* main = FindHelpPage(parsed.pages, 1);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->lines, (std::vector<std::string>{"main", "", "second"}));
    EXPECT_EQ(FindHelpPage(parsed.pages, 2)->lines.size(), 0u);
    EXPECT_EQ(FindHelpPage(parsed.pages, 3)->topic, 3);  // a record of its header only: an empty page
    EXPECT_EQ(FindHelpPage(parsed.pages, 4)->topic, HELP_END);
    EXPECT_EQ(FindHelpPage(parsed.pages, 5)->topic, HELP_END);  // the search ends at the end record
    EXPECT_EQ(FindHelpPage(parsed.pages, -1)->topic, HELP_END);
    // The first of two records of one topic counts.
    const Parsed twice = Parse(Page(7, {"first"}) + Page(7, {"second"}) + kEnd);
    ASSERT_TRUE(twice.ok);
    EXPECT_EQ(FindHelpPage(twice.pages, 7)->lines[0], "first");
}

TEST_F(HelpFileTest, EachDamageRefusesTheWholeFileWithAReason) {
    const std::string good = Page(1, {"page"});
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"length 0 would never move on", good + Record(2, 0, "") + kEnd, "shorter than its header"},
        {"length 3", good + Record(2, 3, "") + kEnd, "shorter than its header"},
        {"a negative length", good + Record(2, 0x8000, std::string(40, 'x')) + kEnd, "shorter than its header"},
        {"length -1", Record(2, 0xFFFF, "x") + kEnd, "shorter than its header"},
        {"a length past the end", good + Record(HELP_END, 200, std::string("text\0", 5)), "past the end"},
        {"the last record's length past the end by one", good + Record(HELP_END, 10, std::string("12345", 5)),
         "past the end"},
        {"text without its NUL", Record(1, 8, "abcd") + kEnd, "does not end in NUL"},
        {"the end record's text without its NUL", good + Record(HELP_END, 7, "end"), "does not end in NUL"},
        {"no end record", good + Page(2, {"x"}), "end record"},
        {"an empty file", "", "empty"},
        {"a header cut off", good + kEnd + std::string("\x01\x00", 2), "cut off"},
        {"one stray byte", kEnd + "z", "cut off"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = Parse(c.bytes);
        EXPECT_FALSE(parsed.ok) << c.what;
        EXPECT_TRUE(parsed.pages.empty()) << c.what;
        EXPECT_NE(parsed.why.find(c.reason), std::string::npos) << c.what << ": " << parsed.why;

        EXPECT_EQ(Load(c.bytes), HelpState::kDamaged) << c.what;
        EXPECT_EQ(HelpPageFor(1), nullptr) << c.what;
        EXPECT_EQ(help_file_name().ToUTF8().c_str(), dir_ / "help.dvh");
    }
}

TEST_F(HelpFileTest, AFileThatCannotBeReadIsNotLoadedAndATooLargeOneIsDamaged) {
    ASSERT_EQ(Load(Page(1, {"x"}) + kEnd), HelpState::kLoaded);
    // A missing file drops what was loaded before.
    EXPECT_EQ(LoadHelpFile(Westring((dir_ / "missing.dvh").c_str())), HelpState::kNotLoaded);
    EXPECT_EQ(HelpPageFor(1), nullptr);
    EXPECT_EQ(LoadHelpFile(Westring(dir_.path().c_str())), HelpState::kNotLoaded);  // a directory
    if (geteuid() != 0) {
        WriteFile(dir_ / "locked.dvh", Page(1, {"x"}) + kEnd);
        chmod((dir_ / "locked.dvh").c_str(), 0);
        EXPECT_EQ(LoadHelpFile(Westring((dir_ / "locked.dvh").c_str())), HelpState::kNotLoaded);
    }
    // Past the limit the file is not read into memory at all.
    WriteFile(dir_ / "huge.dvh", kEnd);
    ASSERT_EQ(truncate((dir_ / "huge.dvh").c_str(), static_cast<off_t>(kMaxHelpFileBytes) + 1), 0);
    EXPECT_EQ(LoadHelpFile(Westring((dir_ / "huge.dvh").c_str())), HelpState::kDamaged);
    EXPECT_NE(help_damage().find("larger"), std::string::npos) << help_damage();
    // The load at start-up reads the file named in place of the program's own.
    help_file_override = Westring((dir_ / "help.dvh").c_str());
    WriteFile(dir_ / "help.dvh", Page(1, {"override"}) + kEnd);
    load_help();
    help_file_override = Westring();
    ASSERT_EQ(help_state(), HelpState::kLoaded);
    EXPECT_EQ(HelpPageFor(1)->lines[0], "override");
}

TEST(HelpGeneratorTest, WritesCodePage850RecordsWithTheEndPageLast) {
    CTempDir dir;
    const std::string text = "caf\u00e9 \u2550\u2550 \u00fcber \u00bd";
    ASSERT_EQ(Generate(dir, "# comment\n@topic 30000 End\nnone\n@topic 1 Main\n" + text + "\n\n\n@topic 2 Two\n"), 0);
    // iconv, not the generator's own codec, says what the bytes must be.
    const std::string expected = dir / "expected";
    ASSERT_EQ(Shell("printf '%s' '" + text + "' | iconv -f UTF-8 -t CP850 > '" + expected + "'"), 0);
    const std::string bytes = ReadFile(dir / "out.dvh");
    const Parsed parsed = Parse(bytes);
    ASSERT_TRUE(parsed.ok) << parsed.why;
    ASSERT_EQ(parsed.pages.size(), 3u);
    EXPECT_EQ(parsed.pages[0].topic, 1);
    EXPECT_EQ(parsed.pages[0].lines, std::vector<std::string>{ReadFile(expected)});  // blank lines at the end dropped
    EXPECT_EQ(parsed.pages[1].topic, 2);
    EXPECT_TRUE(parsed.pages[1].lines.empty());
    EXPECT_EQ(parsed.pages[2].topic, HELP_END);
    // The record's length field counts its header.
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]) | (static_cast<unsigned char>(bytes[3]) << 8),
              static_cast<int>(4 + ReadFile(expected).size() + 1));
}

TEST(HelpGeneratorTest, RefusesABadSourceNamingTheLineAndWritesNothing) {
    const std::string end = "@topic 30000 End\nnone\n";
    const std::string wide(73, 'w');
    const struct {
        const char* what;
        std::string source;
        const char* message;
    } cases[] = {
        {"a character code page 850 lacks", "@topic 1 A\nprice 5 \u20ac\n" + end, "help.txt:2: code page 850 has no"},
        {"an arrow", "@topic 1 A\n\u2192\n" + end, "help.txt:2: code page 850 has no"},
        {"a line over 72 columns", "@topic 1 A\n" + wide + "\n" + end, "help.txt:2: line is 73 columns wide"},
        {"a tab", "@topic 1 A\na\tb\n" + end, "help.txt:2: control character"},
        {"a topic given twice", "@topic 1 A\nx\n@topic 1 B\n" + end, "help.txt:3: topic 1 is given twice"},
        {"no end page", "@topic 1 A\nx\n", "no page for topic 30000"},
        {"a topic out of range", "@topic 40000 A\n" + end, "outside 0 to 32767"},
        {"a topic that is no number", "@topic one A\n" + end, "is not a number"},
        {"text before the first page", "stray\n" + end, "help.txt:1: text before the first @topic"},
        {"a page too long for a record", "@topic 1 A\n" + [] {
             std::string lines;
             for (int i = 0; i < 500; i++) lines += std::string(70, 'p') + "\n";
             return lines;
         }() + end, "more than 32767"},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        std::string errors;
        EXPECT_EQ(Generate(dir, c.source, &errors), 1) << c.what;
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.what << ": " << errors;
        EXPECT_FALSE(PathExists(dir / "out.dvh")) << c.what;
    }
    // 72 columns of the widest accepted characters fit.
    CTempDir dir;
    std::string errors;
    std::string full;
    for (int i = 0; i < 72; i++) full += "\u2550";
    EXPECT_EQ(Generate(dir, "@topic 1 A\n" + full + "\n" + end, &errors), 0) << errors;
}
