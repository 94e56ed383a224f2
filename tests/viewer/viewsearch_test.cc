#include "viewer/viewsearch.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "console/cells.h"
#include "console/console.h"
#include "editor/textfile.h"
#include "lib/codepage.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

namespace {

// Each byte's upper-case byte in a code page, as Python's codecs and
// Unicode tables see it: the oracle for case folding.
std::vector<int> PythonFoldTable(const std::string& codec) {
    const std::string command =
        "python3 -c \"import sys\n"
        "for b in range(256):\n"
        "  u = b\n"
        "  try:\n"
        "    e = bytes([b]).decode('" + codec + "').upper().encode('" + codec + "')\n"
        "    u = e[0] if len(e) == 1 and b else b\n"
        "  except Exception: pass\n"
        "  print(u)\"";
    std::vector<int> table;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return table;
    int value = 0;
    while (std::fscanf(pipe, "%d", &value) == 1) table.push_back(value);
    pclose(pipe);
    return table;
}

std::vector<int> IdentityTable() {
    std::vector<int> table(256);
    for (int b = 0; b < 256; b++) table[static_cast<size_t>(b)] = b;
    return table;
}

bool IsWordByte(unsigned char b) {
    return b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
           (b >= 128 && b <= 254);
}

// The obvious search, window by window.
long long BruteForce(const std::string& text, const std::string& word, const std::vector<int>& fold, long long start,
                     bool reverse, bool whole_word) {
    const long long n = static_cast<long long>(text.size()), m = static_cast<long long>(word.size());
    auto at = [&](long long i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
    auto matches = [&](long long i) {
        for (long long k = 0; k < m; k++)
            if (fold[at(i + k)] != fold[static_cast<unsigned char>(word[static_cast<size_t>(k)])]) return false;
        if (!whole_word) return true;
        return !(i > 0 && IsWordByte(at(i - 1))) && !(i + m < n && IsWordByte(at(i + m)));
    };
    if (reverse) {
        for (long long i = std::min(start - (m - 1), n - m); i >= 0; i--)
            if (matches(i)) return i;
    } else {
        for (long long i = std::max(start, 0LL); i + m <= n; i++)
            if (matches(i)) return i;
    }
    return -2;
}

long long Search(const std::string& path, long long start, const Westring& word, bool reverse, bool case_sensitive,
                 bool whole_word, int code_page) {
    RandomFile file;
    if (file.open(Westring(path.c_str())) != 0) return -100;
    return SearchFile(file, start, word, reverse, case_sensitive, whole_word, code_page);
}

// A file of size bytes that reads as zeros, taking no room on the disk: a
// search through it runs long enough to be stopped.
std::string SparseFile(const CTempDir& dir, long long size, const std::string& head) {
    const std::string path = dir.Write("sparse", head);
    const int fd = open(path.c_str(), O_WRONLY);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(0, ftruncate(fd, size));
    close(fd);
    return path;
}

// Keeps break_status at 2 (as a user's Esc does) until the search returns.
template <typename Body>
long long WithBreak(Body body) {
    std::atomic<bool> finished{false};
    std::thread breaker([&finished] {
        while (!finished) {
            break_status = 2;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const long long result = body();
    finished = true;
    breaker.join();
    break_status = 0;
    return result;
}

constexpr long long kSparseSize = 4LL << 30;

struct CodePageCase {
    int code_page;
    const char* codec;
    // Bytes the texts are made of: letters of both cases, ASCII and not,
    // word and non-word bytes, NUL.
    std::string alphabet;
};

// The searches that must agree whether the vector filter or the skip loop
// finds the windows.
class ViewSearchBothWays : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { search_file_vector_filter = GetParam(); }
    void TearDown() override { search_file_vector_filter = true; }
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Filters, ViewSearchBothWays, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "VectorFilter" : "SkipLoop");
                         });

TEST_P(ViewSearchBothWays, AgreesWithBruteForceOnRandomBytes) {
    const std::vector<CodePageCase> cases = {
        {1252, "cp1252", std::string("aA\xE9\xC9\x9A\x8A\xFF\x9F_ 1\xD7\x00", 14)},
        {866, "cp866", std::string("zZ\xA0\x80\xF1\xF0\xE0\x90_ \xFF\x00", 12)},
        // Greek; the final sigma stays itself, as the program's case pairs
        // are those that map both ways.
        {1253, "cp1253", std::string("\xF3\xD3\xE1\xC1\xDC\xA2 _\x00", 9)},
    };
    CTempDir dir;
    std::mt19937 random(20261208);
    for (const CodePageCase& c : cases) {
        const std::vector<int> fold = PythonFoldTable(c.codec);
        ASSERT_EQ(256u, fold.size()) << c.codec;
        // 40000 bytes: the file's cache blocks of 16384 bytes end inside it.
        std::string text(40000, ' ');
        for (char& byte : text) byte = c.alphabet[random() % c.alphabet.size()];
        for (int trial = 0; trial < 40; trial++) {
            // Short words match all over; long ones where they are planted.
            const size_t lengths[] = {1, 2, 3, 4, 5, 17, 33};
            const size_t m = lengths[random() % 7];
            std::string word;
            while (word.size() < m) {
                const char byte = c.alphabet[random() % c.alphabet.size()];
                if (byte != 0) word += byte;
            }
            // Matches at the very start, the very end and across 16384.
            std::string content = text;
            content.replace(0, m, word);
            content.replace(content.size() - m, m, word);
            content.replace(16384 - m / 2 - 1, m, word);
            const std::string path = dir.Write("random", content);
            const Westring wide(word.c_str(), c.code_page);
            for (int query = 0; query < 12; query++) {
                const bool reverse = random() % 2, case_sensitive = random() % 2, whole = random() % 3 == 0;
                const long long starts[] = {0, static_cast<long long>(content.size()) - 1,
                                            static_cast<long long>(content.size()) + 5,
                                            static_cast<long long>(random() % content.size())};
                const long long start = starts[random() % 4];
                const long long expected =
                    BruteForce(content, word, case_sensitive ? IdentityTable() : fold, start, reverse, whole);
                EXPECT_EQ(expected, Search(path, start, wide, reverse, case_sensitive, whole, c.code_page))
                    << c.codec << " word " << Narrow(wide) << " start " << start << " reverse " << reverse
                    << " case " << case_sensitive << " whole " << whole;
            }
        }
    }
}

TEST_P(ViewSearchBothWays, FindsEveryMatchWalkingBothWays) {
    // Walking from match to match visits exactly the brute-force list, with
    // overlapping matches and folded non-ASCII letters (cp1252).
    const std::vector<int> fold = PythonFoldTable("cp1252");
    ASSERT_EQ(256u, fold.size());
    CTempDir dir;
    std::string text;
    std::mt19937 random(7);
    const std::string pieces[] = {"\xE9t\xE9", "\xC9T\xC9", "\xE9T", "x", " ", "\xE9t\xC9t\xE9"};
    while (text.size() < 8000) text += pieces[random() % 6];
    const std::string path = dir.Write("walk", text);
    const std::string word = "\xC9t\xE9";
    const Westring wide(word.c_str(), 1252);
    std::vector<long long> expected;
    for (long long at = BruteForce(text, word, fold, 0, false, false); at >= 0;
         at = BruteForce(text, word, fold, at + 1, false, false))
        expected.push_back(at);
    ASSERT_GT(expected.size(), 500u);
    std::vector<long long> forward, backward;
    for (long long at = Search(path, 0, wide, false, false, false, 1252); at >= 0;
         at = Search(path, at + 1, wide, false, false, false, 1252))
        forward.push_back(at);
    for (long long at = Search(path, static_cast<long long>(text.size()) - 1, wide, true, false, false, 1252);
         at >= 0; at = Search(path, at + static_cast<long long>(word.size()) - 2, wide, true, false, false, 1252))
        backward.insert(backward.begin(), at);
    EXPECT_EQ(expected, forward);
    EXPECT_EQ(expected, backward);
}

TEST_P(ViewSearchBothWays, FindsMatchesAcrossItsOwnBlocks) {
    CTempDir dir;
    const long long size = 2LL * kSearchFileBlock + 100;
    const std::string word = "Needle";
    const long long m = static_cast<long long>(word.size());
    for (long long split = 1; split < m; split++) {
        // Forward from 0 the second block begins m - 1 bytes before the
        // first one's end; backward from the end a block begins at
        // size - kSearchFileBlock.
        const long long forward_at = kSearchFileBlock - split;
        const long long backward_at = size - kSearchFileBlock - split;
        std::string text(static_cast<size_t>(size), '.');
        text.replace(static_cast<size_t>(forward_at), word.size(), "NEEDLE");
        text.replace(static_cast<size_t>(backward_at), word.size(), "needle");
        const std::string path = dir.Write("blocks", text);
        EXPECT_EQ(forward_at, Search(path, 0, L"needle", false, false, true, 1252)) << split;
        EXPECT_EQ(backward_at, Search(path, size - 1, L"NEEDLE", true, false, true, 1252)) << split;
        EXPECT_EQ(-2, Search(path, 0, L"Needle", false, true, false, 1252)) << split;
    }

    // The byte before a match at the start of a block lies in the block
    // before: "xneedle" there is no whole word, the later one is.
    std::string text(static_cast<size_t>(size), 'x');
    const long long second_block = kSearchFileBlock - (m - 1);
    text.replace(static_cast<size_t>(second_block), word.size(), "needle");
    text.replace(static_cast<size_t>(second_block + 1000), word.size() + 2, " needle ");
    const std::string path = dir.Write("edge", text);
    EXPECT_EQ(second_block, Search(path, 0, L"needle", false, true, false, 1252));
    EXPECT_EQ(second_block + 1001, Search(path, 0, L"needle", false, true, true, 1252));
    // Backward, the byte after a match at a block's end lies beyond it.
    EXPECT_EQ(second_block + 1001, Search(path, second_block + 1006, L"needle", true, true, true, 1252));
    EXPECT_EQ(-2, Search(path, second_block + 1005, L"needle", true, true, true, 1252));
}

TEST_P(ViewSearchBothWays, ReverseStaysInsideTheFile) {
    CTempDir dir;
    const std::string path = dir.Write("short", "abcdef");
    // A word longer than the bytes before start + 1 cannot start at or
    // after 0: nothing is found and nothing before 0 is read.
    EXPECT_EQ(-2, Search(path, 2, L"abcd", true, true, false, 1252));
    EXPECT_EQ(0, Search(path, 3, L"abcd", true, true, false, 1252));
    EXPECT_EQ(-2, Search(path, 5, L"abcdefg", true, true, false, 1252));
    EXPECT_EQ(-2, Search(path, -1, L"a", true, true, false, 1252));
    // A start beyond the end searches from the end.
    EXPECT_EQ(4, Search(path, 1000, L"EF", true, false, false, 1252));
    EXPECT_EQ(-2, Search(path, 1000, L"EF", false, false, false, 1252));
}

TEST(ViewSearch, WordsTheCodePageCannotHoldAndTheDefaultCodePage) {
    CTempDir dir;
    const std::string path = dir.Write("cp", "price 5\x80, caf\xE9");
    EXPECT_EQ(-1, Search(path, 0, L"", false, true, false, 1252));
    EXPECT_EQ(6, Search(path, 0, L"5\u20AC", false, true, false, 1252));
    // The euro sign has no byte in cp866.
    EXPECT_EQ(-2, Search(path, 0, L"5\u20AC", false, true, false, 866));
    const int saved = text_codepage;
    text_codepage = 0;
    ASSERT_EQ(819, DefaultTextCodePage());
    EXPECT_EQ(10, Search(path, 0, L"CAF\u00C9", false, false, false, 0));
    text_codepage = saved;
}

TEST(ViewSearch, BreakStopsTheSearchAndTheFlagIsRestored) {
    CTempDir dir;
    const std::string small = dir.Write("small", "one two");
    for (int before : {0, 1}) {
        break_status = before;
        EXPECT_EQ(4, Search(small, 0, L"two", false, true, false, 1252));
        EXPECT_EQ(before, break_status.load());
    }
    break_status = 0;
    const std::string sparse = SparseFile(dir, kSparseSize, "head");
    RandomFile file;
    ASSERT_EQ(0, file.open(Westring(sparse.c_str())));
    EXPECT_EQ(-1, WithBreak([&] { return SearchFile(file, 0, L"needle", false, false, false, 1252); }));
    EXPECT_EQ(-1, WithBreak([&] { return SearchFile(file, kSparseSize, L"needle", true, true, true, 1252); }));
}

TEST(ViewSearch, BreakStopsTheTextFileSearch) {
    CTempDir dir;
    // Smaller: without a break, searching it character by character takes long.
    const std::string sparse = SparseFile(dir, kSparseSize / 4, "plain text\n");
    CTextFile file;
    ASSERT_EQ(0, file.Open(Westring(sparse.c_str()).c_str()));
    // Through the byte search, and character by character.
    EXPECT_EQ(-1, WithBreak([&] { return file.Search(L"needle", 0, true, false, false); }));
    EXPECT_EQ(-1, WithBreak([&] { return file.Search(L"needle", 0, false, false, false); }));
    EXPECT_EQ(0, file.Search(L"PLAIN", 0, false, false, false));
}

TEST(ViewSearch, TextFileBackwardSearchStopsAtTheByteOrderMark) {
    CTempDir dir;
    const std::string utf8 = dir.Write("utf8", "\xEF\xBB\xBF" "ab");
    const std::string utf16 = dir.Write("utf16", std::string("\xFF\xFE" "a\0b\0", 6));
    for (const std::string& path : {utf8, utf16}) {
        CTextFile file;
        ASSERT_EQ(0, file.Open(Westring(path.c_str()).c_str())) << path;
        ASSERT_GT(file.data_start, 0) << path;
        EXPECT_EQ(file.data_start, file.Search(L"a", -1, true, false, true)) << path;
        EXPECT_EQ(file.data_start, file.Search(L"AB", -1, false, true, true)) << path;
        EXPECT_EQ(-2, file.Search(L"\uFEFFa", -1, true, false, true)) << path;
        EXPECT_EQ(-2, file.Search(L"\uFEFFa", -1, false, false, true)) << path;
    }
}

namespace {

long long QuickSearch(void* context) { return *static_cast<long long*>(context); }

long long SlowSearch(void* context) {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    return *static_cast<long long*>(context);
}

struct FileSearch {
    RandomFile* file;
    std::atomic<bool> saw_break{false};
};

long long LongFileSearch(void* context) {
    auto* search = static_cast<FileSearch*>(context);
    const long long result = SearchFile(*search->file, 0, L"needle", false, false, false, 1252);
    if (result == -1) search->saw_break = true;
    return result;
}

}  // namespace

TEST(ViewSearchWorker, ReturnsTheSearchResult) {
    break_status = 0;
    long long value = 1234;
    EXPECT_EQ(1234, RunSearchWorker(QuickSearch, &value));
    value = -2;
    EXPECT_EQ(-2, RunSearchWorker(QuickSearch, &value));
    EXPECT_EQ(0, break_status.load());
}

TEST(ViewSearchWorker, ShowsSearchingWhileItRunsAndLeavesKeysAlone) {
    CUiTest ui;
    ui.AllowIdle(true);
    ui.RecordScreens(true);
    ui.FillPattern();
    const auto before = ui.Snapshot();
    long long value = 77;
    EXPECT_EQ(77, ui.Run([&] { return static_cast<int>(RunSearchWorker(SlowSearch, &value)); }));
    // In the middle of the screen, in the Messages colour.
    bool shown = false;
    for (const CUiTest::Screen& screen : ui.Screens()) {
        int x = 0, y = 0;
        if (!screen.Find("Searching...", &x, &y)) continue;
        shown = true;
        EXPECT_NEAR(40, x + 6, 1);
        EXPECT_NEAR(12, y, 1);
        EXPECT_EQ(colours[CLR_MESSAGES], screen.Attr(x, y));
        break;
    }
    EXPECT_TRUE(shown) << ui.Dump();
    EXPECT_TRUE(before == ui.Snapshot()) << ui.Dump();

    // A search over before the first look for Esc reads no key.
    ui.Keys("a");
    EXPECT_EQ(77, ui.Run([&] { return static_cast<int>(RunSearchWorker(QuickSearch, &value)); }));
    EXPECT_EQ(1, ui.QueueLength());
    ui.ClearQueue();
}

TEST(ViewSearchWorker, EscStopsALongSearch) {
    CTempDir dir;
    const std::string sparse = SparseFile(dir, kSparseSize, "head");
    RandomFile file;
    ASSERT_EQ(0, file.open(Westring(sparse.c_str())));
    FileSearch search{&file};
    break_status = 0;
    CUiTest ui;
    ui.AllowIdle(true);
    ui.Keys("Esc");
    EXPECT_EQ(-1, ui.Run([&] { return static_cast<int>(RunSearchWorker(LongFileSearch, &search)); }));
    EXPECT_TRUE(search.saw_break);
    EXPECT_EQ(0, ui.QueueLength());
    EXPECT_EQ(0, break_status.load());
}
