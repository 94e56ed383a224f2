// Finding lines in the viewer: stepping down, stepping up, the line around
// any offset and line n all agree with a plain split of the whole file, in
// every encoding, with long lines cut into pieces, and at the end of a
// file of gigabytes without reading it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/textfile.h"
#include "lib/fsname.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "viewer/viewlines.h"

namespace {

constexpr int64_t kPiece = ViewLines::kPiece;

struct Encoding {
    const char* name;
    EFileFormat format;
    int width;
    bool big_endian;
    std::string bom;
};

const Encoding kUtf8{"UTF-8", FF_UTF8, 1, false, ""};
const Encoding kUtf8Bom{"UTF-8 with mark", FF_UTF8, 1, false, "\xEF\xBB\xBF"};
const Encoding kUtf16Le{"UTF-16LE", FF_UTF16LE, 2, false, "\xFF\xFE"};
const Encoding kUtf16Be{"UTF-16BE", FF_UTF16BE, 2, true, "\xFE\xFF"};
const Encoding kUtf32Le{"UTF-32LE", FF_UTF32LE, 4, false, std::string("\xFF\xFE\0\0", 4)};
const Encoding kUtf32Be{"UTF-32BE", FF_UTF32BE, 4, true, std::string("\0\0\xFE\xFF", 4)};

// The characters as bytes of the encoding, after its mark.
std::string Encode(const std::vector<uint32_t>& units, const Encoding& encoding) {
    std::string bytes = encoding.bom;
    bytes.reserve(bytes.size() + units.size() * static_cast<size_t>(encoding.width));
    for (uint32_t unit : units) {
        for (int i = 0; i < encoding.width; i++) {
            const int shift = 8 * (encoding.big_endian ? encoding.width - 1 - i : i);
            bytes += static_cast<char>((unit >> shift) & 0xFF);
        }
    }
    return bytes;
}

std::vector<uint32_t> Units(const std::string& ascii) { return std::vector<uint32_t>(ascii.begin(), ascii.end()); }

// The lines of a file found by walking every character: where each starts
// and where its text ends (before its line end).
struct Split {
    std::vector<int64_t> starts;
    std::vector<int64_t> ends;

    int64_t StartOf(int64_t offset) const {
        return *(std::upper_bound(starts.begin(), starts.end(), offset) - 1);
    }
};

Split SplitLines(const std::string& bytes, const Encoding& encoding) {
    const int64_t size = static_cast<int64_t>(bytes.size());
    const int64_t first = static_cast<int64_t>(encoding.bom.size());
    const int width = encoding.width;
    const auto unit = [&](int64_t at) {
        uint32_t value = 0;
        for (int i = 0; i < width; i++) {
            const int shift = 8 * (encoding.big_endian ? width - 1 - i : i);
            value |= uint32_t{static_cast<uint8_t>(bytes[static_cast<size_t>(at + i)])} << shift;
        }
        return value;
    };
    const auto is_end = [](uint32_t value) { return value == '\n' || value == '\r'; };
    Split split;
    split.starts.push_back(first);
    int64_t last_end = -2 * kPiece;
    for (int64_t at = first; at < size;) {
        if (at > first && at % kPiece == 0 && last_end < at - kPiece) {
            split.ends.push_back(at);
            split.starts.push_back(at);
        }
        if (at + width > size) break;
        const uint32_t here = unit(at);
        if (!is_end(here)) {
            at += width;
            continue;
        }
        split.ends.push_back(at);
        int64_t next = at + width;
        if (next + width <= size && is_end(unit(next)) && unit(next) != here) next += width;
        last_end = next - width;
        at = next;
        if (next < size) split.starts.push_back(next);
    }
    if (split.ends.size() < split.starts.size()) split.ends.push_back(size);
    return split;
}

struct OpenFile {
    std::string path;
    CTextFile file;
    OpenFile(const CTempDir& dir, const std::string& bytes, EFileFormat format, const std::string& leaf = "t") {
        path = dir.Write(leaf, bytes);
        file.format = format;
        EXPECT_EQ(0, file.Open(DecodeFileName(path.c_str()).c_str()));
        EXPECT_EQ(format, file.format);
    }
};

// Checks every way of finding lines against the split: walking down with
// Next and EndOf, walking up with Prev, the line around random offsets, the
// last page and line numbers asked in any order.
void ExpectAgrees(const std::string& bytes, const Encoding& encoding, std::mt19937& random) {
    SCOPED_TRACE(encoding.name);
    CTempDir dir;
    OpenFile opened(dir, bytes, encoding.format);
    const Split split = SplitLines(bytes, encoding);
    const int64_t size = static_cast<int64_t>(bytes.size());
    const size_t lines = split.starts.size();

    ViewLines down(opened.file);
    for (size_t i = 0; i < lines; i++) {
        ASSERT_EQ(split.ends[i], down.EndOf(split.starts[i])) << "line " << i;
        ASSERT_EQ(i + 1 < lines ? split.starts[i + 1] : size, down.Next(split.starts[i])) << "line " << i;
    }

    ViewLines up(opened.file);
    EXPECT_EQ(split.starts.back(), up.Prev(size));
    for (size_t i = lines - 1; i > 0; i--) ASSERT_EQ(split.starts[i - 1], up.Prev(split.starts[i])) << "line " << i;
    EXPECT_EQ(split.starts[0], up.Prev(split.starts[0]));

    ViewLines around(opened.file);
    std::uniform_int_distribution<int64_t> anywhere(0, std::max<int64_t>(size - 1, 0));
    for (int i = 0; i < 300; i++) {
        // Half the probes land on or beside a line end, where pairs matter.
        int64_t offset = anywhere(random);
        if (i % 2 && lines > 1) {
            const size_t line = static_cast<size_t>(offset) % lines;
            offset = std::clamp<int64_t>(split.ends[line] + (i % 3) * encoding.width, 0, size);
        }
        const int64_t last = std::max<int64_t>(size - 1, split.starts[0]);
        const int64_t expected = split.StartOf(std::clamp<int64_t>(offset, split.starts[0], last));
        ASSERT_EQ(expected, around.StartOf(offset)) << "offset " << offset;
    }

    for (int rows : {1, 5, 24}) {
        ViewLines last(opened.file);
        EXPECT_EQ(split.starts[lines - std::min<size_t>(lines, static_cast<size_t>(rows))], last.LastPage(rows))
            << rows << " rows";
    }

    ViewLines numbered(opened.file);
    std::uniform_int_distribution<int64_t> line_number(0, static_cast<int64_t>(lines) + 2);
    for (int i = 0; i < 40; i++) {
        const int64_t n = line_number(random);
        int64_t count = -5;
        const int64_t start = numbered.LineStart(n, &count);
        if (n < static_cast<int64_t>(lines)) {
            ASSERT_EQ(split.starts[static_cast<size_t>(n)], start) << "line " << n;
        } else {
            ASSERT_EQ(-1, start) << "line " << n;
            ASSERT_EQ(static_cast<int64_t>(lines), count);
        }
    }
}

// Text of random lines with every kind of line end, runs of blank lines
// ended alike and alternately, and now and then a line longer than a piece.
// Wide encodings get characters whose bytes hold LF and CR off their place.
std::vector<uint32_t> RandomText(std::mt19937& random, const Encoding& encoding, int line_count, int long_lines) {
    static const std::vector<std::vector<uint32_t>> kEnds = {
        {'\n'}, {'\r'}, {'\r', '\n'}, {'\n', '\r'}, {'\n', '\n'}, {'\r', '\r'},
        {'\r', '\n', '\r', '\n', '\r'}, {'\n', '\r', '\n'}, {'\r', '\n', '\n', '\r'},
    };
    std::vector<uint32_t> letters = {'a', 'b', ' ', 'z', 0xE9, '0'};
    if (encoding.width == 2) letters.insert(letters.end(), {0x0A0D, 0x0D0A, 0x010A, 0x0A00, 0x0D00});
    if (encoding.width == 4) letters.insert(letters.end(), {0x0A0D, 0x0D0A0000, 0x000A0000, 0x0A000000, 0x0100000D});
    std::vector<uint32_t> units;
    std::uniform_int_distribution<int> length(0, 90);
    std::uniform_int_distribution<int> pick(0, 1 << 20);
    std::vector<int> long_at;
    for (int i = 0; i < long_lines; i++) long_at.push_back(pick(random) % line_count);
    for (int line = 0; line < line_count; line++) {
        int chars = length(random);
        if (std::count(long_at.begin(), long_at.end(), line)) {
            chars = static_cast<int>(kPiece / encoding.width) + pick(random) * 2 / encoding.width;
        }
        for (int i = 0; i < chars; i++) units.push_back(letters[static_cast<size_t>(pick(random)) % letters.size()]);
        if (line + 1 < line_count || pick(random) % 2) {
            const auto& end = kEnds[static_cast<size_t>(pick(random)) % kEnds.size()];
            units.insert(units.end(), end.begin(), end.end());
        }
    }
    return units;
}

TEST(ViewLinesAgree, RandomUtf8FilesWithLongLines) {
    for (unsigned seed = 1; seed <= 5; seed++) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const Encoding& encoding = seed % 2 ? kUtf8 : kUtf8Bom;
        ExpectAgrees(Encode(RandomText(random, encoding, 400, seed == 1 ? 0 : 2), encoding), encoding, random);
    }
}

TEST(ViewLinesAgree, RandomWideFilesWithAMark) {
    unsigned seed = 10;
    for (const Encoding* encoding : {&kUtf16Le, &kUtf16Be, &kUtf32Le, &kUtf32Be}) {
        std::mt19937 random(++seed);
        ExpectAgrees(Encode(RandomText(random, *encoding, 300, 1), *encoding), *encoding, random);
    }
}

TEST(ViewLinesAgree, PairsAndLoneLineEnds) {
    std::mt19937 random(7);
    for (const char* text : {"a\r\nb\n\rc\rd\ne", "a\n\r\nb", "a\r\n\r\n\rb", "\n\r\n\r\n", "\r\r\n\n\r",
                             "x\n", "x", "", "\n", "\r\n", "ab\n\ncd\r\r"}) {
        SCOPED_TRACE(text);
        for (const Encoding* encoding : {&kUtf8, &kUtf8Bom, &kUtf16Le, &kUtf32Be}) {
            ExpectAgrees(Encode(Units(text), *encoding), *encoding, random);
        }
    }
}

TEST(ViewLinesText, LineEndsAndEdgesByHand) {
    CTempDir dir;
    // LF CR is one line end and CR LF another; the CR after that pair ends
    // an empty line, and two LFs are two line ends.
    OpenFile mixed(dir, "one\n\rtwo\r\n\rthree\n\nfour", FF_UTF8);
    ViewLines lines(mixed.file);
    EXPECT_EQ(5, lines.Next(0));
    EXPECT_EQ(3, lines.EndOf(0));
    EXPECT_EQ(10, lines.Next(5));
    EXPECT_EQ(11, lines.Next(10));  // the lone CR after the pair is an empty line
    EXPECT_EQ(17, lines.Next(11));
    EXPECT_EQ(18, lines.Next(17));
    EXPECT_EQ(22, lines.Next(18));  // no final line end: the file's size
    EXPECT_EQ(22, lines.EndOf(18));
    EXPECT_EQ(17, lines.Prev(18));
    EXPECT_EQ(11, lines.Prev(17));
    EXPECT_EQ(10, lines.Prev(11));
    EXPECT_EQ(5, lines.StartOf(9));  // on the second half of a pair
    EXPECT_EQ(10, lines.StartOf(10));
    EXPECT_EQ(18, lines.StartOf(1000));
    int64_t count = 0;
    EXPECT_EQ(-1, lines.LineStart(6, &count));
    EXPECT_EQ(6, count);

    // An empty file and one holding only a mark are one empty line.
    OpenFile empty(dir, "", FF_UTF8, "empty");
    ViewLines none(empty.file);
    EXPECT_EQ(0, none.StartOf(5));
    EXPECT_EQ(0, none.Next(0));
    EXPECT_EQ(0, none.Prev(0));
    EXPECT_EQ(0, none.LastPage(24));
    EXPECT_EQ(0, none.LineStart(0));
    EXPECT_EQ(-1, none.LineStart(1, &count));
    EXPECT_EQ(1, count);
    OpenFile mark(dir, "\xFF\xFE", FF_UTF16LE, "mark");
    ViewLines marked(mark.file);
    EXPECT_EQ(2, marked.StartOf(0));
    EXPECT_EQ(2, marked.LastPage(3));
    EXPECT_EQ(2, marked.Prev(2));

    // A torn last character of a wide file holds no line end.
    OpenFile torn(dir, std::string("\xFF\xFE" "a\0\n\0\n", 7), FF_UTF16LE, "torn");
    ViewLines tail(torn.file);
    EXPECT_EQ(6, tail.Next(2));
    EXPECT_EQ(7, tail.Next(6));
    EXPECT_EQ(6, tail.StartOf(6));
}

TEST(ViewLinesHex, SixteenBytesALineFromTheFileStart) {
    CTempDir dir;
    OpenFile opened(dir, std::string(40, '\n'), FF_UTF8);
    ViewLines lines(opened.file);
    lines.SetHex(true);
    EXPECT_EQ(32, lines.StartOf(39));
    EXPECT_EQ(32, lines.StartOf(1000));
    EXPECT_EQ(40, lines.Next(32));
    EXPECT_EQ(16, lines.Next(0));
    EXPECT_EQ(0, lines.Prev(5));
    EXPECT_EQ(16, lines.Prev(32));
    EXPECT_EQ(16, lines.LastPage(2));
    EXPECT_EQ(0, lines.LastPage(10));
    EXPECT_EQ(32, lines.LineStart(2));
    int64_t count = 0;
    EXPECT_EQ(-1, lines.LineStart(3, &count));
    EXPECT_EQ(3, count);
    lines.SetHex(false);
    EXPECT_EQ(39, lines.StartOf(39));
}

// A line of three megabytes is three pieces, down and back up, with no
// line end in it, after a short line, and with one right at a boundary.
TEST(ViewLinesPieces, ThreeMegabyteLineSteppedDownAndUp) {
    CTempDir dir;
    const int64_t size = 3 * kPiece + 100;
    OpenFile single(dir, std::string(static_cast<size_t>(size), 'x'), FF_UTF8);
    ViewLines lines(single.file);
    const std::vector<int64_t> starts = {0, kPiece, 2 * kPiece, 3 * kPiece};
    int64_t at = 0;
    for (size_t i = 1; i < starts.size(); i++) EXPECT_EQ(starts[i], at = lines.Next(at));
    EXPECT_EQ(size, lines.Next(at));
    EXPECT_EQ(2 * kPiece, lines.EndOf(kPiece));
    for (size_t i = starts.size() - 1; i > 0; i--) EXPECT_EQ(starts[i - 1], at = lines.Prev(at));
    EXPECT_EQ(2 * kPiece, lines.StartOf(2 * kPiece + 12345));
    EXPECT_EQ(3 * kPiece, lines.LineStart(3));
    EXPECT_EQ(3 * kPiece, lines.LastPage(1));
    EXPECT_EQ(kPiece, lines.LastPage(3));

    // The pieces of a file that goes on growing stay where they were, and
    // the new lines are counted once the file is taken again.
    std::string bytes(static_cast<size_t>(size), 'x');
    bytes += "\nend\n";
    WriteFile(single.path, bytes);
    ASSERT_EQ(0, single.file.Refresh());
    int64_t count = 0;
    EXPECT_EQ(size + 1, lines.LineStart(4, &count));
    EXPECT_EQ(-1, lines.LineStart(5, &count));
    EXPECT_EQ(5, count);
    EXPECT_EQ(size + 1, lines.LastPage(1));

    std::mt19937 random(3);
    std::string after_short = "ab\n" + std::string(static_cast<size_t>(3 * kPiece), 'y');
    ExpectAgrees(after_short, kUtf8, random);
    std::string at_boundary = std::string(static_cast<size_t>(kPiece - 1), 'z') + "\n" +
                              std::string(static_cast<size_t>(2 * kPiece + 5), 'z');
    ExpectAgrees(at_boundary, kUtf8, random);
    // A boundary in the torn last character of a wide file still cuts.
    const std::string torn = Encode(std::vector<uint32_t>(static_cast<size_t>(kPiece - 2) / 2, 'w'), kUtf16Le) + "w";
    ExpectAgrees(torn, kUtf16Le, random);
}

// The last page of a 4 GiB file holding nothing but its last short line,
// found by reading little more than a piece a row.
TEST(ViewLinesPieces, EndOfAHugeSparseFileIsNear) {
    CTempDir dir;
    const std::string path = dir / "huge";
    const int64_t hole = int64_t{4} << 30;
    const std::string tail = "the last line\n";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const bool made = ftruncate(fd, hole) == 0 &&
                      pwrite(fd, tail.data(), tail.size(), hole) == static_cast<ssize_t>(tail.size());
    close(fd);
    if (!made) GTEST_SKIP() << "no room for a sparse file";
    CTextFile file;
    file.format = FF_UTF8;
    ASSERT_EQ(0, file.Open(DecodeFileName(path.c_str()).c_str()));
    const int64_t size = hole + static_cast<int64_t>(tail.size());

    ViewLines lines(file);
    EXPECT_EQ(hole, lines.StartOf(size - 1));
    EXPECT_LE(lines.bytes_examined(), kPiece + 4096);
    EXPECT_EQ(hole + static_cast<int64_t>(tail.size()) - 1, lines.EndOf(hole));

    const int rows = 23;
    ViewLines page(file);
    const int64_t top = page.LastPage(rows);
    EXPECT_EQ(hole - (rows - 1) * kPiece, top);
    int64_t at = top;
    for (int row = 1; row < rows; row++) at = page.Next(at);
    EXPECT_EQ(hole, at);
    EXPECT_EQ(size, page.Next(at));
    EXPECT_LE(page.bytes_examined(), (rows + 1) * kPiece);

    ViewLines top_down(file);
    EXPECT_EQ(kPiece, top_down.Next(0));
    EXPECT_EQ(0, top_down.Prev(kPiece));
    EXPECT_LE(top_down.bytes_examined(), 2 * kPiece + 4096);
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Line numbers against sed and wc: LF lines as they are, CR lines through
// tr, CR LF lines with their CR taken off.
TEST(ViewLinesNumbers, LineStartMatchesSedAndWc) {
    CTempDir dir;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> length(0, 160);
    std::string text;
    int lines = 0;
    for (; lines < 60000; lines++) {
        const int chars = length(random);
        for (int i = 0; i < chars; i++) text += static_cast<char>('a' + (i * 7 + lines) % 26);
        text += std::to_string(lines);
        text += '\n';
    }
    std::string crlf, cr;
    for (char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    struct Case {
        const char* leaf;
        const std::string& bytes;
        std::string (*line)(const std::string& file, int n);
        // The command counting the lines: before and after the file's name.
        const char* count_before;
        const char* count_after;
    };
    const Case cases[] = {
        {"lf", text, [](const std::string& file, int n) { return ShellOutput("sed -n '" + std::to_string(n) + "p' " + file); },
         "wc -l < ", ""},
        {"crlf", crlf,
         [](const std::string& file, int n) {
             return ShellOutput("sed -n '" + std::to_string(n) + "p' " + file + " | tr -d '\\r'");
         },
         "wc -l < ", ""},
        {"cr", cr,
         [](const std::string& file, int n) {
             return ShellOutput("tr '\\r' '\\n' < " + file + " | sed -n '" + std::to_string(n) + "p'");
         },
         "tr '\\r' '\\n' < ", " | wc -l"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.leaf);
        OpenFile opened(dir, c.bytes, FF_UTF8, c.leaf);
        ViewLines numbered(opened.file);
        for (int line : {1, 2, 777, 30001, 29999, 59999, 60000}) {
            const int64_t start = numbered.LineStart(line - 1);
            ASSERT_GE(start, 0) << line;
            const int64_t end = numbered.EndOf(start);
            const std::string ours = c.bytes.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
            EXPECT_EQ(c.line(Quoted(opened.path), line), ours + "\n") << "line " << line;
        }
        int64_t count = 0;
        EXPECT_EQ(-1, numbered.LineStart(lines, &count));
        EXPECT_EQ(lines, count);
        EXPECT_EQ(count, std::stoll(ShellOutput(c.count_before + Quoted(opened.path) + c.count_after)));
    }
}

// Stepping up through a run of blank lines and through a long line costs
// in proportion to their length, not its square.
TEST(ViewLinesCost, SteppingUpGrowsLinearly) {
    CTempDir dir;
    const auto walk_up_cost = [&](const std::string& bytes) {
        OpenFile opened(dir, bytes, FF_UTF8);
        ViewLines lines(opened.file);
        int64_t steps = 0;
        for (int64_t at = static_cast<int64_t>(bytes.size()); at > 0; steps++) at = lines.Prev(at);
        EXPECT_GT(steps, 0);
        return lines.bytes_examined();
    };
    const auto blank_lines = [](int n) {
        std::string bytes = "top";
        for (int i = 0; i < n; i++) bytes += "\r\n";
        return bytes + "bottom";
    };
    const int64_t blank_small = walk_up_cost(blank_lines(3000));
    const int64_t blank_large = walk_up_cost(blank_lines(12000));
    EXPECT_LT(blank_large, 6 * blank_small) << blank_small << " then " << blank_large;

    const int64_t long_small = walk_up_cost(std::string(static_cast<size_t>(4 * kPiece), 'q'));
    const int64_t long_large = walk_up_cost(std::string(static_cast<size_t>(16 * kPiece), 'q'));
    EXPECT_LT(long_large, 6 * long_small) << long_small << " then " << long_large;
}

}  // namespace
