// Saving text files: the encoding, mark and line ends come back as they
// were, characters the encoding cannot hold are found before the save, and
// a save that fails leaves the file exactly as it was.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/editor/textfile_helpers.h"

namespace {

int SaveText(CTextFile& file, const std::vector<std::wstring>& lines) {
    int result = file.BeginSave();
    if (result != 0) return result;
    for (const std::wstring& line : lines)
        if ((result = file.WriteStr(line.c_str(), true)) != 0) break;
    int ended = file.EndSave();
    return result != 0 ? result : ended;
}

int Entries(const std::string& dir) {
    std::string listing;
    FILE* ls = popen(("ls -A '" + dir + "'").c_str(), "r");
    char buffer[256];
    int count = 0;
    while (ls && fgets(buffer, sizeof buffer, ls)) count++;
    if (ls) pclose(ls);
    return count;
}

TEST(TextFileSave, KeepsEncodingMarkAndLineEnds) {
    TextScratch scratch;
    std::string ascii = scratch.Write("ascii", "one\ntwo\n");
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(ascii).c_str()));
    ReadAllLines(file);
    ASSERT_EQ(0, SaveText(file, {L"eins", L"zwei"}));
    EXPECT_EQ("eins\nzwei\n", ReadBytes(ascii));  // no mark appears

    std::string dos = scratch.Write("dos", "a\r\nb\r\n");
    ASSERT_EQ(0, file.Open(Wide(dos).c_str()));
    ReadAllLines(file);
    ASSERT_EQ(0, SaveText(file, {L"x", L"y"}));
    EXPECT_EQ("x\r\ny\r\n", ReadBytes(dos));

    std::string marked = scratch.Write("marked", std::string("\xFE\xFF\0a\0\n", 6));
    ASSERT_EQ(0, file.Open(Wide(marked).c_str()));
    ReadAllLines(file);
    ASSERT_EQ(0, SaveText(file, {L"\U0001F600"}));
    EXPECT_EQ(std::string("\xFE\xFF\xD8\x3D\xDE\x00\0\n", 8), ReadBytes(marked));
    // The file reads on in what was written.
    int len = 0;
    const wchar_t* line = file.ReadTextLine(len);
    ASSERT_NE(nullptr, line);
    EXPECT_EQ(std::wstring(L"\U0001F600"), std::wstring(line, len));
}

TEST(TextFileSave, CharactersTheCodePageLacksAreFoundAndWrittenAsQuestionMarks) {
    TextScratch scratch;
    std::string path = scratch.Write("latin", "caf\xE9\n");
    CTextFile file;
    file.code_page = 1252;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    ASSERT_EQ(FF_CODEPAGE, file.format);
    ReadAllLines(file);
    const std::wstring text = L"\u20AC caf\u00E9 \u0436\u0437";
    EXPECT_EQ(2, file.CountUnwritable(text.c_str(), static_cast<int>(text.size())));
    EXPECT_EQ(7, file.FirstUnwritable(text.c_str(), static_cast<int>(text.size())));
    EXPECT_EQ(-1, file.FirstUnwritable(L"caf\u00E9", 4));
    ASSERT_EQ(0, SaveText(file, {text}));
    EXPECT_EQ(2, file.unwritable_written);
    EXPECT_EQ("\x80 caf\xE9 ??\n", ReadBytes(path));

    // UTF-8 holds everything but values beyond Unicode and lone surrogates.
    std::string utf8 = scratch.Write("utf8", "x\n");
    file.format = FF_UNKNOWN;  // a format set before opening would stay
    ASSERT_EQ(0, file.Open(Wide(utf8).c_str()));
    const wchar_t odd[] = {L'a', 0xD800, 0x10FFFF, 0x7000000, TextRawByte(0xFF)};
    EXPECT_EQ(2, file.CountUnwritable(odd, 5));
}

// A write that fails part-way (here the file-size limit, as a full disk
// would) leaves the original byte for byte and no temporary file behind.
TEST(TextFileSave, FailedWriteLeavesTheFileUntouched) {
    TextScratch scratch;
    std::string original(8000, 'o');
    std::string path = scratch.Write("keep", original);
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    ReadAllLines(file);

    struct rlimit saved;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &saved));
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    void (*old_handler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
    int result = file.BeginSave();
    std::wstring big(3000, L'\u00E9');  // two bytes each in UTF-8
    for (int i = 0; i < 3 && result == 0; i++) result = file.WriteStr(big.c_str(), true);
    int ended = file.EndSave();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, old_handler);

    EXPECT_EQ(EFBIG, ended);
    EXPECT_EQ(original, ReadBytes(path));
    EXPECT_EQ(1, Entries(scratch.dir()));
}

TEST(TextFileSave, ModeAndSymbolicLinksSurvive) {
    TextScratch scratch;
    std::string target = scratch.Write("target", "old\n");
    ASSERT_EQ(0, chmod(target.c_str(), 0640));
    std::string link = scratch.dir() + "/link";
    ASSERT_EQ(0, symlink("target", link.c_str()));

    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(link).c_str()));
    ReadAllLines(file);
    ASSERT_EQ(0, SaveText(file, {L"new"}));
    struct stat status;
    ASSERT_EQ(0, lstat(link.c_str(), &status));
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ("new\n", ReadBytes(target));
    ASSERT_EQ(0, stat(target.c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(0, file.links_broken);
    EXPECT_EQ(2, Entries(scratch.dir()));
}

// The saved name gets the new text; another hard link keeps the old one,
// and the caller learns it.
TEST(TextFileSave, HardLinksAreReportedAsBroken) {
    TextScratch scratch;
    std::string first = scratch.Write("first", "shared\n");
    std::string second = scratch.dir() + "/second";
    ASSERT_EQ(0, link(first.c_str(), second.c_str()));
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(first).c_str()));
    ReadAllLines(file);
    ASSERT_EQ(0, SaveText(file, {L"changed"}));
    EXPECT_EQ(1, file.links_broken);
    EXPECT_EQ("changed\n", ReadBytes(first));
    EXPECT_EQ("shared\n", ReadBytes(second));
}

TEST(TextFileSave, NewFileAndMissingDirectory) {
    TextScratch scratch;
    CTextFile file;
    std::string fresh = scratch.dir() + "/fresh";
    EXPECT_NE(0, file.Open(Wide(fresh).c_str()));
    ASSERT_EQ(0, SaveText(file, {L"hello"}));
    EXPECT_EQ("hello\r\n", ReadBytes(fresh));  // no line end seen yet: CR LF

    std::string nowhere = scratch.dir() + "/no/such/file";
    EXPECT_NE(0, file.Open(Wide(nowhere).c_str()));
    EXPECT_EQ(ENOENT, file.BeginSave());
    EXPECT_NE(0, file.EndSave());
}

}  // namespace
