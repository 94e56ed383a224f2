// Replacing in found files: the text as sed replaces it, in UTF-8 and in
// UTF-16 files (iconv decodes them for the comparison), keeping mode,
// owner, byte-order mark and line ends; through symbolic links without
// replacing the link; and a file that fails keeps every byte.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tools/findreplace.h"

namespace {

ReplaceOutcome Replace(const std::string& path, const char* text, const char* with, bool case_sensitive = true,
                       bool whole_word = false) {
    return ReplaceInFile(Westring(path.c_str()), Westring(text), Westring(with), case_sensitive, whole_word);
}

// How many times grep -o finds the text (options such as -i, -w).
int GrepCount(const std::string& path, const std::string& options, const std::string& text) {
    return std::stoi(ShellOutput("grep -o " + options + " -F '" + text + "' '" + path + "' | wc -l"));
}

std::string Sed(const std::string& path, const std::string& script) {
    return ShellOutput("sed -e '" + script + "' '" + path + "'");
}

struct stat StatOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

const char kText[] =
    "the cat sat on the mat\r\n"
    "Cat and CAT and concatenate\r\n"
    "no match here\n"
    "last line without end cat";

}  // namespace

TEST(FindReplaceUtf8, MatchesSedAndKeepsModeOwnerAndLineEnds) {
    CTempDir dir;
    const std::string file = dir.Write("a.txt", kText);
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    if (getuid() == 0) {
        ASSERT_EQ(chown(file.c_str(), 1234, 5678), 0);
    }
    const struct stat before = StatOf(file);

    const std::string expected = Sed(file, "s/cat/tiger/g");
    const int count = GrepCount(file, "", "cat");
    ReplaceOutcome outcome = Replace(file, "cat", "tiger");
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.replaced, count);
    EXPECT_EQ(ReadFile(file), expected);
    const struct stat after = StatOf(file);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // Shorter, without regard to case, and whole words only.
    dir.Write("b.txt", kText);
    const int any_case = GrepCount(dir / "b.txt", "-i", "cat");
    EXPECT_EQ(Replace(dir / "b.txt", "CAT", "x", false).replaced, any_case);
    dir.Write("c.txt", kText);
    const std::string words = Sed(dir / "c.txt", "s/\\bcat\\b/dog/gI");
    const int whole_words = GrepCount(dir / "c.txt", "-iw", "cat");
    EXPECT_EQ(Replace(dir / "c.txt", "cat", "dog", false, true).replaced, whole_words);
    EXPECT_EQ(ReadFile(dir / "c.txt"), words);
    EXPECT_EQ(ReadFile(dir / "b.txt"), Sed(dir / "a.txt", "s/tiger/x/g;s/Cat/x/g;s/CAT/x/g"));
}

TEST(FindReplaceUtf8, NoMatchLeavesTheFileUntouched) {
    CTempDir dir;
    const std::string file = dir.Write("a.txt", kText);
    const struct stat before = StatOf(file);
    ReplaceOutcome outcome = Replace(file, "zebra", "lion");
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.replaced, 0);
    EXPECT_EQ(ReadFile(file), kText);
    EXPECT_EQ(StatOf(file).st_ino, before.st_ino);  // not even rewritten
    // An empty search text replaces nothing.
    EXPECT_EQ(Replace(file, "", "lion").replaced, 0);
    EXPECT_EQ(ReadFile(file), kText);
    // A missing file is an error and creates nothing.
    EXPECT_EQ(Replace(dir / "missing.txt", "cat", "dog").error, ENOENT);
    EXPECT_FALSE(PathExists(dir / "missing.txt"));
}

TEST(FindReplaceUtf16, ReplacesInTheFilesOwnEncoding) {
    CTempDir dir;
    const std::string utf8 = dir.Write("plain.txt", "caf\xc3\xa9 one\r\ncaf\xc3\xa9 two\r\n");
    const std::string wide = dir / "wide.txt";
    ASSERT_EQ(system(("iconv -f UTF-8 -t UTF-16 '" + utf8 + "' > '" + wide + "'").c_str()), 0);
    const std::string bom = ReadFile(wide).substr(0, 2);

    ReplaceOutcome outcome = Replace(wide, "caf\xc3\xa9", "th\xc3\xa9");
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.replaced, 2);
    EXPECT_EQ(ReadFile(wide).substr(0, 2), bom);
    EXPECT_EQ(ShellOutput("iconv -f UTF-16 -t UTF-8 '" + wide + "'"), Sed(utf8, "s/caf\xc3\xa9/th\xc3\xa9/g"));

    // Big-endian without a mark stays so: the round trip through iconv
    // from the same bytes gives the expected text.
    const std::string big = dir / "big.txt";
    ASSERT_EQ(system(("printf '\\376\\377' > '" + big + "'; iconv -f UTF-8 -t UTF-16BE '" + utf8 + "' >> '" + big + "'").c_str()), 0);
    EXPECT_EQ(Replace(big, "two", "2").replaced, 1);
    EXPECT_EQ(ShellOutput("iconv -f UTF-16 -t UTF-8 '" + big + "'"), Sed(utf8, "s/two/2/"));
}

TEST(FindReplaceCodePage, WritesBackInTheGivenCodePage) {
    CTempDir dir;
    const std::string utf8 = dir.Write("plain.txt", "x \xd0\xb4\xd0\xbe\xd0\xbc y\n");
    const std::string cyr = dir / "cyr.txt";
    ASSERT_EQ(system(("iconv -f UTF-8 -t CP1251 '" + utf8 + "' > '" + cyr + "'").c_str()), 0);
    ReplaceOutcome outcome = ReplaceInFile(Westring(cyr.c_str()), Westring("\xd0\xb4\xd0\xbe\xd0\xbc"),
                                           Westring("\xd0\xbc\xd0\xb8\xd1\x80"), true, false, 1251);
    EXPECT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.replaced, 1);
    EXPECT_EQ(ShellOutput("iconv -f CP1251 -t UTF-8 '" + cyr + "'"),
              Sed(utf8, "s/\xd0\xb4\xd0\xbe\xd0\xbc/\xd0\xbc\xd0\xb8\xd1\x80/"));
}

// Links: the target of a symbolic link is replaced and the link stays; a
// file with another hard link is reported, and that name keeps the old text.
TEST(FindReplaceLinks, SymbolicLinkStaysAndHardLinksAreReported) {
    CTempDir dir;
    const std::string target = dir.Write("target.txt", kText);
    const std::string link = dir / "link.txt";
    ASSERT_EQ(symlink("target.txt", link.c_str()), 0);
    const std::string expected = Sed(target, "s/mat/rug/g");
    const int mats = GrepCount(target, "", "mat");
    EXPECT_EQ(Replace(link, "mat", "rug").replaced, mats);
    EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
    EXPECT_EQ(ReadFile(target), expected);

    const std::string other = dir / "other.txt";
    ASSERT_EQ(::link(target.c_str(), other.c_str()), 0);
    ReplaceOutcome outcome = Replace(target, "rug", "mat");
    EXPECT_EQ(outcome.links_broken, 1);
    EXPECT_EQ(ReadFile(target), kText);
    EXPECT_EQ(ReadFile(other), expected);
}

// A directory the user may not write into: the new file cannot be made,
// the error is reported and the file keeps every byte (cmp against a copy).
TEST(FindReplaceFailures, UnwritableDirectoryKeepsTheOriginal) {
    CTempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const std::string locked = dir.MakeDir("locked", 0755);
    const std::string file = dir.Write("locked/a.txt", kText, 0666);
    const std::string copy = dir.Write("copy.txt", kText);
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        ReplaceOutcome outcome = Replace(file, "cat", "dog");
        _exit(outcome.error == EACCES && outcome.replaced == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(system(("cmp -s '" + file + "' '" + copy + "'").c_str()), 0);
    EXPECT_EQ(ShellOutput("ls -A '" + locked + "'"), "a.txt\n");
    ASSERT_EQ(chmod(locked.c_str(), 0755), 0);
}
