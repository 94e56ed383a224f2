// Description files: lines carried along with copies, moves, renames and
// deletions, and lines of any length.
#include <sys/file.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <iterator>
#include <tuple>
#include <vector>

#include "fileops/descbatch.h"
#include "fileops/descriptions.h"
#include "fileops/hooks.h"
#include "tests/fileops/fileops_fixture.h"
#include "tests/support/no_block.h"

namespace {

class DescriptionsTest : public FileOpsTest {
protected:
    std::string Desc(const std::string& dir) { return ReadFile(Path(dir) + "/descript.ion"); }
    bool HasDesc(const std::string& dir) { return PathExists(Path(dir) + "/descript.ion"); }
    long LineCount(const std::string& dir) {
        const std::string text = Desc(dir);
        return std::count(text.begin(), text.end(), '\n');
    }
    // Copies the line of from to to.
    void CopyDesc(const std::string& from, const std::string& to) {
        DescBatch batch;
        batch.Copy(W(Path(from)), W(Path(to)));
    }
};

TEST_F(DescriptionsTest, ParsesNames) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"  file.txt   some text", "   some text", "file.txt"}, {"\"unterminated", "", "unterminated"},
        // A doubled quote is one quote of the name; without one a quoted
        // name ends at its next quote.
        {"\"say \"\"hi\"\"\" x", " x", "say \"hi\""}, {"\"a b\"text", "text", "a b"}, {"a\"b c", " c", "a\"b"}};
    for (const auto& [line, rest, expected] : cases) {
        Westring name;
        EXPECT_STREQ(fname_from_desc(line, name), rest) << line;
        EXPECT_STREQ(name.ToUTF8().c_str(), expected);
    }
}

TEST_F(DescriptionsTest, WriteReplaceAndDelete) {
    Files({"d/", "d/a", "d/b"});
    EXPECT_EQ(write_desc(W(Path("d/a")).c_str(), "first"), 0);
    EXPECT_EQ(write_desc(W(Path("d/b")).c_str(), "second"), 0);
    EXPECT_EQ(Desc("d"), "a first\r\nb second\r\n");
    EXPECT_EQ(write_desc(W(Path("d/a")).c_str(), "changed"), 0);
    EXPECT_EQ(Desc("d"), "b second\r\na changed\r\n");
    EXPECT_EQ(delete_desc(W(Path("d/b")).c_str()), 0);
    EXPECT_EQ(Desc("d"), "a changed\r\n");
    // The last line goes: the file goes too; nothing to delete from a missing file.
    EXPECT_EQ(delete_desc(W(Path("d/a")).c_str()), 1);
    EXPECT_FALSE(HasDesc("d"));
    EXPECT_EQ(delete_desc(W(Path("d/a")).c_str()), 0);
    // A last line without its line end gets one before a new line follows.
    tmp.Write("d/descript.ion", "one 1");
    EXPECT_EQ(write_desc(W(Path("d/new")).c_str(), "n"), 0);
    EXPECT_EQ(Desc("d"), "one 1\r\nnew n\r\n");
}

TEST_F(DescriptionsTest, NamesWithBlanksAndVeryLongLines) {
    Files({"d/", "e/"});
    EXPECT_EQ(write_desc(W(Path("d/my file")).c_str(), "spaced"), 0);
    EXPECT_EQ(Desc("d"), "\"my file\" spaced\r\n");
    CopyDesc("d/my file", "e/my file");
    EXPECT_EQ(Desc("e"), "\"my file\" spaced\r\n");
    EXPECT_EQ(delete_desc(W(Path("d/my file")).c_str()), 1);

    std::string huge(1100000, 'x');  // past 1 MB, far past 4096
    tmp.Write("d/descript.ion", "first " + huge + "\r\nsecond s\r\n");
    EXPECT_EQ(delete_desc(W(Path("d/second")).c_str()), 0);
    EXPECT_EQ(Desc("d"), "first " + huge + "\r\n");
    CopyDesc("d/first", "e/first");
    EXPECT_EQ(Desc("e"), "\"my file\" spaced\r\nfirst " + huge + "\r\n");
}

TEST_F(DescriptionsTest, WriterWaitsForAnotherWriter) {
    MakeDir("d");
    int held = open(tmp.Write("d/descript.ion", "a 1\r\n").c_str(), O_RDWR);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    std::thread release([held] {
        usleep(200000);
        flock(held, LOCK_UN);
    });
    EXPECT_EQ(write_desc(W(Path("d/b")).c_str(), "2"), 0);
    release.join();
    close(held);
    EXPECT_EQ(Desc("d"), "a 1\r\nb 2\r\n");
}

// ---- descriptions following the file operations

TEST_F(DescriptionsTest, MoveCarriesTheLineAndRenameKeepsIt) {
    Files({"src/", "dst/", "src/file=f", "src/ghost.txt=g", "src/descript.ion=file moved along\r\nstale line\r\n"});
    EXPECT_EQ(Move(Path("src/file"), Path("src/renamed"), true), 0);
    EXPECT_EQ(Desc("src"), "stale line\r\nrenamed moved along\r\n");
    EXPECT_EQ(Move(Path("src/renamed"), Path("dst/renamed"), false), 0);
    // The stale line for a name that does not exist is left alone.
    Expect({"src/descript.ion=stale line\r\n", "dst/descript.ion=renamed moved along\r\n"});
}

// Every name that can be stored reads back as its own; a name with a line
// break gets no line at all, so no other file is given its text.
TEST_F(DescriptionsTest, AwkwardNamesKeepTheirOwnLines) {
    Files({"d/", "e/", "d/line=", "d/say=", "d/say \"hi\"="});
    const std::string names[] = {"say \"hi\"", "\"quoted", "end\"", "a\"b", "two  blanks", "  leading", "tab\there"};
    for (size_t i = 0; i < std::size(names); i++)
        EXPECT_EQ(write_desc(W(Path("d/" + names[i])).c_str(), NumberedName("text", static_cast<long>(i)).c_str()), 0);
    const std::string written = Desc("d");
    for (const std::string& name : names) CopyDesc("d/" + name, "e/" + name);
    EXPECT_EQ(Desc("e"), written);
    // Each name's line goes with it, and only its own.
    for (size_t i = 0; i < std::size(names); i++) {
        const long lines_before = LineCount("d");
        EXPECT_EQ(delete_desc(W(Path("d/" + names[i])).c_str()), i + 1 == std::size(names) ? 1 : 0);
        EXPECT_EQ(LineCount("d"), lines_before - 1) << names[i];
    }
    EXPECT_FALSE(HasDesc("d"));

    static std::vector<std::string> told;
    told.clear();
    fileops_hooks.desc_not_stored = [](const Westring& path, const Westring&) { told.push_back(Narrow(path)); };
    for (const char* name : {"say\nline", "new\nline", "cr\rline", "end\r"})
        EXPECT_EQ(write_desc(W(Path("d/") + name).c_str(), "lost"), EINVAL) << name;
    // Description text with a line break stays on its own line.
    EXPECT_EQ(write_desc(W(Path("d/one")).c_str(), "two\nline x"), 0);
    fileops_hooks.desc_not_stored = nullptr;
    EXPECT_EQ(told.size(), 4u);
    EXPECT_EQ(Desc("d"), "one two line x\r\n");
    // A move carries a quoted name's line and none for a name with a line break.
    Files({"f/", "d/new\nline="});
    ASSERT_EQ(write_desc(W(Path("d/say \"hi\"")).c_str(), "quoted"), 0);
    EXPECT_EQ(Move(Path("d/say \"hi\""), Path("f/say \"hi\""), true), 0);
    EXPECT_EQ(Move(Path("d/new\nline"), Path("f/new\nline"), true), 0);
    EXPECT_EQ(Desc("d"), "one two line x\r\n");
    EXPECT_EQ(Desc("f"), "\"say \"\"hi\"\"\" quoted\r\n");
}

// A batch sees its own pending lines: a file renamed twice in one command
// keeps its description, and a line removed stays removed.
TEST_F(DescriptionsTest, OneBatchFollowsItsOwnChanges) {
    Files({"d/", "d/descript.ion=a first\r\nb second\r\n"});
    {
        DescBatch batch;
        batch.Move(W(Path("d/a")), W(Path("d/b")));
        batch.Move(W(Path("d/b")), W(Path("d/c")));
        batch.Copy(W(Path("d/a")), W(Path("d/e")));
        EXPECT_EQ(Desc("d"), "a first\r\nb second\r\n");  // nothing written before the flush
    }
    EXPECT_EQ(Desc("d"), "c first\r\n");
}

// A directory of many described files costs time in proportion to its size:
// its description file is read and written once, not once per file. A copy
// of the directory, a move of its files one by one (as tagged files go) and
// the deletion of the tree are timed at n and 4n files; a quadratic cost
// gives a ratio of 16 and more, a linear one about 4.
TEST_F(DescriptionsTest, ManyDescribedFilesCostInProportion) {
    auto run = [&](const std::string& dir, int n) {
        MakeDir(dir);
        MakeDir(dir + "_moved");
        std::vector<std::string> names, lines;
        std::string text;
        for (int i = 0; i < n; i++) {
            names.push_back(NumberedName("file_", i));
            Touch(Path(dir + "/" + names.back()));
            lines.push_back(names.back() + " " + std::string(100, 'x') + NumberedName("_", i) + "\r");
            text += lines.back() + "\n";
        }
        tmp.Write(dir + "/descript.ion", text);
        std::sort(lines.begin(), lines.end());

        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Copy(Path(dir), Path(dir + "_copy")), 0);
        EXPECT_EQ(ui.Run([&] {
                      DescBatch batch;
                      for (const std::string& name : names) {
                          copy_status status;
                          int moved = move_file(W(Path(dir + "_copy/" + name)).c_str(),
                                                W(Path(dir + "_moved/" + name)).c_str(), 1, 1, &status, batch, true);
                          if (moved != 0) return moved;
                      }
                      return 0;
                  }),
                  0);
        EndCopyProgress(nullptr);
        EXPECT_EQ(ui.Run([&] { return delete_tree2(W(Path(dir)).c_str(), nullptr); }), 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        EXPECT_FALSE(PathExists(Path(dir)));
        EXPECT_FALSE(HasDesc(dir + "_copy"));
        // Every line arrived, once (in the order of the listing).
        std::vector<std::string> arrived;
        std::istringstream moved(Desc(dir + "_moved"));
        for (std::string line; std::getline(moved, line);) arrived.push_back(line);
        std::sort(arrived.begin(), arrived.end());
        EXPECT_EQ(arrived, lines);
        return seconds;
    };
    // Other work on the machine can slow one run: a ratio too high is measured
    // again, and a quadratic cost fails every time.
    double small = 0, large = 0;
    for (int attempt = 0; attempt < 3; attempt++) {
        small = run(NumberedName("small", attempt), 1000);
        large = run(NumberedName("large", attempt), 4000);
        if (large / small < 10) break;
    }
    EXPECT_LT(large / small, 10) << small << " s at 1000 files, " << large << " s at 4000";
}

// A FIFO named like the description file is never waited on nor written.
TEST_F(DescriptionsTest, FifoIsNotADescriptionFile) {
    Files({"d/", "e/", "d/a"});
    ASSERT_EQ(mkfifo(Path("d/descript.ion").c_str(), 0600), 0);
    const std::string dir = Path("d"), file = Path("d/a");
    EXPECT_EQ(RunInChildWithin(5, [&] {
                  StdFile descriptions;
                  return open_dir_desc(W(dir), descriptions);
              }),
              ENODEV);
    EXPECT_EQ(RunInChildWithin(5, [&] { return write_desc(W(file).c_str(), "text"); }), ENODEV);
    EXPECT_EQ(RunInChildWithin(5, [&] { return delete_desc(W(file).c_str()); }), 0);
    EXPECT_EQ(RunInChildWithin(5, [&] { return carry_desc_leftovers(W(dir), W(Path("e"))); }), 0);
    struct stat status;
    ASSERT_EQ(lstat(Path("d/descript.ion").c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_FALSE(HasDesc("e"));
}

}  // namespace
