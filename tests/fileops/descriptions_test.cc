// Description files: lines carried along with copies, moves, renames and
// deletions, and lines of any length.
#include <sys/file.h>

#include "fileops/descriptions.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class DescriptionsTest : public FileOpsTest {
protected:
    std::string Desc(const std::string& dir) { return Read(Path(dir) + "/descript.ion"); }
    bool HasDesc(const std::string& dir) { return Exists(Path(dir) + "/descript.ion"); }
    // Copies the line of from to to, opening from's file.
    void CopyDesc(const std::string& from, const std::string& to) {
        StdFile source;
        ASSERT_EQ(open_desc(W(Path(from)).c_str(), nullptr, source, false, false), 0);
        copy_desc(W(Path(from)).c_str(), W(Path(to)).c_str(), source);
    }
};

TEST_F(DescriptionsTest, ParsesNames) {
    const struct {
        std::string line;
        const char* rest;
        std::string name;
    } cases[] = {
        {"  file.txt   some text", "   some text", "file.txt"},
        {"\"with blank.txt\" text", " text", "with blank.txt"},
        {"\"unterminated", "", "unterminated"},
        {"", "", ""},
        {std::string(5000, 'n') + " d", " d", std::string(5000, 'n')},  // far longer than any fixed buffer
    };
    for (const auto& c : cases) {
        Westring name;
        EXPECT_STREQ(fname_from_desc(c.line.c_str(), name), c.rest) << c.line;
        EXPECT_EQ(name.ToUTF8().c_str(), c.name);
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
}

TEST_F(DescriptionsTest, LinesMovedUpKeepTheirText) {
    MakeDir("d");
    tmp.Write("d/descript.ion", "one 1\r\ntwo 2\nthree 3\r\n\"four x\" 4");
    StdFile also;
    ASSERT_EQ(also.open(W(Path("d/descript.ion")), 0), 0);
    EXPECT_EQ(delete_desc(W(Path("d/two")).c_str(), &also), 0);
    EXPECT_TRUE(also.isopen());
    EXPECT_EQ(Desc("d"), "one 1\r\nthree 3\r\n\"four x\" 4\r\n");
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

TEST_F(DescriptionsTest, OpenNamesTheLastComponentAndTheCurrentDirectory) {
    MakeDir("d");
    StdFile file;
    Westring name;
    EXPECT_EQ(open_desc(W(Path("d/x")).c_str(), &name, file, true, true), 0);
    EXPECT_STREQ(name.ToUTF8().c_str(), "x");
    file.close();
    EXPECT_TRUE(HasDesc("d"));
    EXPECT_EQ(open_desc(W(Path("nowhere/x")).c_str(), &name, file, false, false), ENOENT);
    // Without "/" the current directory's file is meant.
    char* cwd = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(Path("d").c_str()), 0);
    EXPECT_EQ(open_desc(L"plain", &name, file, false, false), 0);
    EXPECT_STREQ(file.getname().ToUTF8().c_str(), "descript.ion");
    file.close();
    ASSERT_EQ(chdir(cwd), 0);
    free(cwd);
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

TEST_F(DescriptionsTest, CopyIntoADirectoryWithoutDescriptions) {
    Files({"src/", "dst/", "src/file=f", "src/descript.ion=other o\r\nfile the file\r\n"});
    StdFile descriptions;
    ASSERT_EQ(open_dir_desc(W(Path("src")), descriptions), 0);
    EXPECT_EQ(Copy(Path("src/file"), Path("dst/file"), &descriptions), 0);
    // Exactly one line.
    Expect({"dst/descript.ion=file the file\r\n", "src/descript.ion=other o\r\nfile the file\r\n"});
}

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

TEST_F(DescriptionsTest, DeletingTheOnlyDescribedFileDeletesTheDescriptions) {
    Files({"d/", "d/only=o", "d/descript.ion=only the one\r\n"});
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("d/only")).c_str(), DELETE_SILENT); }), 1);
    EXPECT_FALSE(HasDesc("d"));
    // Deleting the description file itself when it is gone is no error.
    EXPECT_EQ(ui.Run([&] { return delete_file(W(Path("d/descript.ion")).c_str(), DELETE_SILENT); }), 0);
}

TEST_F(DescriptionsTest, TreesCarryTheirDescriptions) {
    Files({"src/", "src/sub/", "src/sub/f=f", "src/descript.ion=sub the subdirectory\r\n",
           "src/sub/descript.ion=f a file\r\ngone nothing\r\n", "dst/"});
    StdFile descriptions;
    ASSERT_EQ(open_dir_desc(W(Path("src")), descriptions), 0);
    // Across devices (by copying): the stale line travels so nothing is lost.
    EXPECT_EQ(Move(Path("src/sub"), Path("dst/sub"), false, &descriptions), 0);
    Expect({"!src/sub", "!src/descript.ion", "dst/descript.ion=sub the subdirectory\r\n",
            "dst/sub/descript.ion=f a file\r\ngone nothing\r\n"});
}

}  // namespace
