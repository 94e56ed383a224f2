// The history file: what commands and field values leave in it, how it reads
// back, compaction, removal, and that no rewrite ever loses the old file.
// Expected files are made by coreutils and sed where that is possible.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "config/config.h"
#include "console/dialog.h"
#include "exec/histories.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tools/historyfile.h"
#include "tools/historytext.h"

namespace {

std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (int i = 0; i < history.count(); i++) out.push_back(Narrow(*history[i]));
    return out;
}

std::vector<std::string> Values(int field) {
    std::vector<std::string> out;
    WestringStore& store = Dialog::FieldHistory[field];
    for (int i = 0; i < store.count(); i++) out.push_back(Narrow(*store[i]));
    return out;
}

// The files in dir, to see that no temporary file stayed behind.
int EntriesIn(const std::string& dir) {
    return std::stoi(ShellOutput("ls -A '" + dir + "' | wc -l"));
}

class HistoryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clear();
        SetHistoryFile(Westring(file_.c_str()));
        InstallHistoryHooks();
        saved_umask_ = umask(022);
    }
    void TearDown() override {
        umask(saved_umask_);
        RemoveHistoryHooks();
        SetHistoryFile(Westring());
        Clear();
        config = saved_config_;
    }
    static void Clear() {
        history.DestroyAll();
        for (WestringStore& store : Dialog::FieldHistory) store.DestroyAll();
    }
    // Reads the file again, as a new run would.
    static void Reload() {
        Clear();
        init_history();
    }
    std::string Content() const { return ReadFile(file_); }
    // The output of a shell pipeline, for the expected content of the file.
    static std::string Expected(const std::string& pipeline) { return ShellOutput(pipeline); }

    CTempDir dir_;
    std::string file_ = dir_ / "dv.hst";
    CONFIG saved_config_ = config;
    mode_t saved_umask_ = 0;
};

// ---- commands and values as they are added

TEST_F(HistoryFileTest, RepeatedCommandIsKeptOnceAtItsLastUse) {
    for (const char* command : {"make", "ls -l", "make", "  vi x", "LS -L"}) add_hist(Westring(command), false, nullptr);
    const std::vector<std::string> expected = {"ls -l", "make", "vi x", "LS -L"};
    EXPECT_EQ(Commands(), expected);
    // Every run is appended as it happens; the file holds each use.
    EXPECT_EQ(Content(), "make\r\nls -l\r\nmake\r\nvi x\r\nLS -L\r\n");
    Reload();
    EXPECT_EQ(Commands(), expected);
    // Running the oldest again makes it the newest, also after the next start.
    add_hist(Westring("ls -l"), false, nullptr);
    Reload();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"make", "vi x", "LS -L", "ls -l"}));
}

TEST_F(HistoryFileTest, FieldValuesAreAppendedAndReadBackIntoTheirHistory) {
    AddFieldHist(L"*.c", 3, false);
    AddFieldHist(L"/tmp/é", 11, false);
    AddFieldHist(L"*.C", 3, false);  // field values are equal ignoring case
    EXPECT_EQ(Content(), "3\x19*.c\r\n11\x19/tmp/\xC3\xA9\r\n3\x19*.C\r\n");
    Reload();
    EXPECT_EQ(Values(3), std::vector<std::string>{"*.C"});
    EXPECT_EQ(Values(11), std::vector<std::string>{"/tmp/é"});
    EXPECT_TRUE(Commands().empty());
}

TEST_F(HistoryFileTest, WhatWouldNotReadBackTheSameIsNotWritten) {
    add_hist(Westring(L"a\nrm -rf x"), false, nullptr);  // would read as two commands
    add_hist(Westring(L"1\x19x"), false, nullptr);      // would read as a field value
    add_hist(Westring(L"   "), false, nullptr);         // nothing at all
    AddFieldHist(L"two\rlines", 2, false);
    EXPECT_EQ(Content(), "");
    EXPECT_EQ(history.count(), 2);  // the run still remembers them
}

// ---- reading

TEST_F(HistoryFileTest, ReaderTakesEveryLineEndAndIgnoresForeignFieldNumbers) {
    WriteFile(file_, std::string("cc\r\n\r\nls\n7\x19seven\r\r\n12\x19twelve\n99\x19ninety\nx\x19no\n") +
                         "ab\x19" "cmd\n05\x19" "five\n" "1\x19\n" "last");
    init_history();
    // A mark at byte 1 or 2 makes a field line even without a number before it.
    EXPECT_EQ(Commands(), (std::vector<std::string>{"cc", "ls", "last"}));
    EXPECT_EQ(Values(7), std::vector<std::string>{"seven"});
    EXPECT_EQ(Values(5), std::vector<std::string>{"five"});
    EXPECT_EQ(Values(1), std::vector<std::string>{""});
    for (int field : {0, 2, 3, 4, 6, 8, 9, 10, 11}) EXPECT_TRUE(Values(field).empty()) << field;
}

TEST_F(HistoryFileTest, LongValueIsReadWhole) {
    const std::string command(5000, 'c'), value = std::string(4095, 'v') + "\xC3\xA9" + std::string(903, 'w');
    add_hist(Westring(command.c_str()), false, nullptr);
    AddFieldHist(Westring(value.c_str()), 4, false);
    Reload();
    EXPECT_EQ(Commands(), std::vector<std::string>{command});
    EXPECT_EQ(Values(4), std::vector<std::string>{value});
}

TEST_F(HistoryFileTest, MissingUnreadableOrOversizedFileLoadsNothing) {
    history.Add(L"typed before");
    init_history();  // no file at all
    EXPECT_EQ(Commands(), std::vector<std::string>{"typed before"});
    EXPECT_FALSE(PathExists(file_));
    // A file read into a list that holds commands already keeps each once.
    WriteFile(file_, "typed before\r\nls\r\n");
    init_history();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"typed before", "ls"}));
    ASSERT_EQ(unlink(file_.c_str()), 0);
    ASSERT_EQ(mkdir(file_.c_str(), 0700), 0);  // a directory where the file belongs
    Reload();
    add_hist(Westring("ls"), false, nullptr);  // the append is skipped without a word
    EXPECT_EQ(Commands(), std::vector<std::string>{"ls"});
    ASSERT_EQ(rmdir(file_.c_str()), 0);
    ASSERT_EQ(truncate(dir_.Write("dv.hst", "ls\r\n").c_str(), kMaxHistoryFileBytes + 1), 0);
    Reload();
    EXPECT_TRUE(Commands().empty());
}

// ---- compaction at start-up

TEST_F(HistoryFileTest, ThousandCommandsCompactToTheNewestFiveHundredAndTheFieldValues) {
    config.MaxHist = 500;
    config.MaxFieldHist = 20;
    WriteFile(file_, Expected("seq 0 999 | sed 's/^/cmd /; s/$/\\r/'") + "2\x19mask\r\n0\x19" "a\r\n2\x19" "b\r\n");
    init_history();
    EXPECT_EQ(history.count(), 500);
    EXPECT_EQ(Content(), Expected("seq 500 999 | sed 's/^/cmd /; s/$/\\r/'; printf '0\\031a\\r\\n2\\031mask\\r\\n2\\031b\\r\\n'"));
    struct stat status;
    ASSERT_EQ(stat(file_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(EntriesIn(dir_.path()), 1);
    // The compacted file loads to the same lists and needs no second compaction.
    const std::string compacted = Content();
    Reload();
    EXPECT_EQ(Commands().front(), "cmd 500");
    EXPECT_EQ(Content(), compacted);
}

TEST_F(HistoryFileTest, RepeatsCountTowardsCompaction) {
    config.MaxHist = 3;
    WriteFile(file_, "a\r\nb\r\na\r\nb\r\n");
    init_history();
    EXPECT_EQ(Content(), "a\r\nb\r\n");
    // Within the limits the file is left as it is, repeats and all.
    WriteFile(file_, "a\r\nb\r\na\r\n");
    Reload();
    EXPECT_EQ(Content(), "a\r\nb\r\na\r\n");
    EXPECT_EQ(Commands(), (std::vector<std::string>{"b", "a"}));
}

TEST_F(HistoryFileTest, TooManyFieldValuesCompactEachFieldToItsNewest) {
    config.MaxFieldHist = 2;
    WriteFile(file_, Expected("for i in 1 2 3 4; do printf '9\\031v%s\\r\\n1\\031w%s\\r\\n' $i $i; done; printf 'ls\\r\\n'"));
    init_history();
    EXPECT_EQ(Content(), "ls\r\n1\x19w3\r\n1\x19w4\r\n9\x19v3\r\n9\x19v4\r\n");
    EXPECT_EQ(Values(9), (std::vector<std::string>{"v3", "v4"}));
}

// ---- removing a command

TEST_F(HistoryFileTest, RemovingCommandDropsEveryExactCopyAndKeepsTheRest) {
    const std::string original = std::string("ls\r\nls -l\r\n3\x19ls\r\nLS\r\n  ls\r\nls\n0\x19ls\r\n42\x19ls\r\nvi\r\nls");
    WriteFile(file_, original);
    ASSERT_TRUE(RemoveFromHistory(Westring("ls")));
    // Every command line that is "ls" (after its leading blanks) goes; field
    // lines, unknown field lines and other commands stay as they were.
    EXPECT_EQ(Content(), Expected("printf '%s' '" + original + "' | sed 's/\\r$//; /^ *ls$/d; s/$/\\r/'"));
    EXPECT_EQ(Content(), "ls -l\r\n3\x19ls\r\nLS\r\n0\x19ls\r\n42\x19ls\r\nvi\r\n");
    EXPECT_EQ(EntriesIn(dir_.path()), 1);
    // Nothing to remove: the file is not touched.
    struct stat before, after;
    ASSERT_EQ(stat(file_.c_str(), &before), 0);
    ASSERT_TRUE(RemoveFromHistory(Westring("absent")));
    ASSERT_EQ(stat(file_.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(HistoryFileTest, RewriteThroughLinkKeepsTheLink) {
    const std::string real = dir_ / "real.hst";
    WriteFile(real, "a\r\nb\r\n");
    ASSERT_EQ(symlink(real.c_str(), file_.c_str()), 0);
    ASSERT_TRUE(RemoveFromHistory(Westring("a")));
    struct stat status;
    ASSERT_EQ(lstat(file_.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(ReadFile(real), "b\r\n");
}

// ---- the file's safety

TEST_F(HistoryFileTest, FileIsPrivateWhetherAppendedOrRewritten) {
    add_hist(Westring("secret --password x"), false, nullptr);
    struct stat status;
    ASSERT_EQ(stat(file_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(chmod(file_.c_str(), 0644), 0);
    add_hist(Westring("other"), false, nullptr);
    ASSERT_TRUE(RemoveFromHistory(Westring("other")));
    ASSERT_EQ(stat(file_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(Content(), "secret --password x\r\n");
}

// The panels' tests know how to run a body as the user "nobody".
struct AsNobody : PanelTest {
    using PanelTest::RunAsNobody;
};

TEST_F(HistoryFileTest, MissingProgramFolderIsMadeForTheFirstLine) {
    const std::string folder = dir_ / ".dvl";
    SetHistoryFile(Westring((folder + "/dv.hst").c_str()));
    add_hist(Westring("ls"), false, nullptr);
    struct stat status;
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(ReadFile(folder + "/dv.hst"), "ls\r\n");
    // Only the last folder is made: a deeper missing path stays missing.
    SetHistoryFile(Westring((dir_ / "a/b/dv.hst").c_str()));
    add_hist(Westring("ls"), false, nullptr);
    EXPECT_FALSE(PathExists(dir_ / "a"));
}

// Runs body where the history file's directory cannot be written: as the
// unprivileged user "nobody" (in a child) when the tests run as root, whom
// no permission stops, else with the directory made read-only. body's result
// is the child's exit status.
int WithReadOnlyDirectory(const std::string& dir, const std::string& file, const std::function<int()>& body) {
    if (geteuid() != 0) {
        EXPECT_EQ(chmod(dir.c_str(), 0555), 0);
        const int result = body();
        EXPECT_EQ(chmod(dir.c_str(), 0700), 0);
        return result;
    }
    EXPECT_EQ(chmod(dir.c_str(), 0755), 0);
    EXPECT_EQ(chown(file.c_str(), 65534, 65534), 0);
    return AsNobody::RunAsNobody(body);
}

TEST_F(HistoryFileTest, RewriteThatCannotWriteLeavesTheFileByteForByte) {
    config.MaxHist = 2;
    const std::string original = "a\r\nb\r\nc\r\n5\x19v\r\n";
    WriteFile(file_, original);
    CTempDir elsewhere;
    const std::string saved = elsewhere / "copy";
    ASSERT_EQ(std::system(("cp '" + file_ + "' '" + saved + "'").c_str()), 0);
    const int status = WithReadOnlyDirectory(dir_.path(), file_, [] {
        init_history();
        // The lists are compacted even so; the file waits for the next start.
        int failures = history.count() == 2 ? 0 : 1;
        if (RemoveFromHistory(Westring("a"))) failures |= 2;
        return failures;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::system(("cmp -s '" + file_ + "' '" + saved + "'").c_str()), 0);
    EXPECT_EQ(EntriesIn(dir_.path()), 1);
}

// ---- the text form

TEST(HistoryText, LinesRoundTripOrAreRefused) {
    for (const wchar_t* command : {L"ls", L"é ü \x4E2D", L"abc\x19" L"d", L"x\tz", L"\x19x"}) {
        const std::string line = CommandHistoryLine(command);
        ASSERT_FALSE(line.empty()) << Narrow(command);
        const HistoryLine read = ClassifyHistoryLine(line);
        EXPECT_EQ(read.kind, HistoryLine::kCommand) << line;
        EXPECT_TRUE(SameChars(read.text, command)) << line;
    }
    for (const wchar_t* refused : {L"", L"a\x19", L"ab\x19x", L"\xE9\x19", L"two\nlines", L"cr\r"})
        EXPECT_EQ(CommandHistoryLine(refused), "") << Narrow(refused);
    for (int field : {0, 9, 10, 11}) {
        const HistoryLine read = ClassifyHistoryLine(FieldHistoryLine(field, L"v\x19w"));
        EXPECT_EQ(read.kind, HistoryLine::kFieldValue);
        EXPECT_EQ(read.field, field);
        EXPECT_EQ(Narrow(read.text), "v\x19w");
    }
    for (int field : {-1, 12, 100}) EXPECT_EQ(FieldHistoryLine(field, L"v"), "") << field;
}

}  // namespace
