// Description files: lines carried along with copies, moves, renames and
// deletions, and lines of any length.
#include <sys/file.h>

#include <tuple>

#include "fileops/descriptions.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class DescriptionsTest : public FileOpsTest {
protected:
    std::string Desc(const std::string& dir) { return ReadFile(Path(dir) + "/descript.ion"); }
    bool HasDesc(const std::string& dir) { return PathExists(Path(dir) + "/descript.ion"); }
    // Copies the line of from to to, opening from's file.
    void CopyDesc(const std::string& from, const std::string& to) {
        StdFile source;
        ASSERT_EQ(open_desc(W(Path(from)).c_str(), nullptr, source, false, false), 0);
        copy_desc(W(Path(from)).c_str(), W(Path(to)).c_str(), source);
    }
};

TEST_F(DescriptionsTest, ParsesNames) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"  file.txt   some text", "   some text", "file.txt"}, {"\"unterminated", "", "unterminated"}};
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
    EXPECT_EQ(delete_desc(W(Path("d/b")).c_str(), nullptr), 0);
    EXPECT_EQ(Desc("d"), "a changed\r\n");
    // The last line goes: the file goes too; nothing to delete from a missing file.
    EXPECT_EQ(delete_desc(W(Path("d/a")).c_str(), nullptr), 1);
    EXPECT_FALSE(HasDesc("d"));
    EXPECT_EQ(delete_desc(W(Path("d/a")).c_str(), nullptr), 0);
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
    EXPECT_EQ(delete_desc(W(Path("d/my file")).c_str(), nullptr), 1);

    std::string huge(1100000, 'x');  // past 1 MB, far past 4096
    tmp.Write("d/descript.ion", "first " + huge + "\r\nsecond s\r\n");
    EXPECT_EQ(delete_desc(W(Path("d/second")).c_str(), nullptr), 0);
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
    StdFile descriptions;
    ASSERT_EQ(open_dir_desc(W(Path("src")), descriptions), 0);
    EXPECT_EQ(Move(Path("src/file"), Path("src/renamed"), true, &descriptions), 0);
    EXPECT_EQ(Desc("src"), "stale line\r\nrenamed moved along\r\n");
    EXPECT_EQ(Move(Path("src/renamed"), Path("dst/renamed"), false, &descriptions), 0);
    // The stale line for a name that does not exist is left alone.
    Expect({"src/descript.ion=stale line\r\n", "dst/descript.ion=renamed moved along\r\n"});
}

}  // namespace
