// Loading into the editor's model and saving back through the text file's
// safe save: unchanged text comes back byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "editor/editmodel.h"
#include "editor/textfile.h"
#include "editmodel_support.h"
#include "textfile_helpers.h"

namespace {
struct Loaded {
    CTextFile file;
    EditModel model;
    EditStatus status = EditStatus::kOk;
};

void LoadInto(Loaded& loaded, const std::string& path, int64_t offset = -1, int length = 0,
              EFileFormat format = FF_UNKNOWN) {
    loaded.file.format = format;
    ASSERT_EQ(0, loaded.file.Open(Wide(path).c_str()));
    loaded.status = loaded.model.Load(loaded.file, offset, length);
}
}  // namespace

TEST(EditFile, UnchangedSaveIsByteIdentical) {
    TextScratch scratch;
    const std::string samples[] = {
        "",
        "no final line end",
        "one\n",
        "dos\r\nunix\nmac\rodd\n\rlast",
        "bad utf-8 \xff\xc3( here\r\n\xed\xa0\x80 surrogate\n\n",
        "\xef\xbb\xbf" "marked\r\n\r\n",
        "tabs\tand\0nul\n",
    };
    int i = 0;
    for (EFileFormat format : {FF_UNKNOWN, FF_UTF8}) {
        for (const std::string& bytes : samples) {
            std::string path = scratch.Write("s" + std::to_string(i++), bytes);
            Loaded loaded;
            LoadInto(loaded, path, -1, 0, format);
            ASSERT_EQ(EditStatus::kOk, loaded.status) << path;
            ASSERT_EQ(0, loaded.model.Save(loaded.file)) << path;
            EXPECT_EQ(bytes, ReadBytes(path)) << path;
        }
    }
}

TEST(EditFile, FinalLineEndGivesAnEmptyLastLine) {
    TextScratch scratch;
    Loaded with_end, without, empty;
    LoadInto(with_end, scratch.Write("a", "x\ny\n"));
    LoadInto(without, scratch.Write("b", "x\ny"));
    LoadInto(empty, scratch.Write("c", ""));
    EXPECT_EQ(L"x\ny\n", AllText(with_end.model));
    EXPECT_EQ(L"x\ny", AllText(without.model));
    EXPECT_EQ(1, empty.model.text.LineCount());
    EXPECT_FALSE(with_end.model.modified);
}

TEST(EditFile, EditedLinesKeepTheirOwnLineEnds) {
    TextScratch scratch;
    std::string path = scratch.Write("mixed", "a\r\nb\nc\r\nd");
    Loaded loaded;
    LoadInto(loaded, path);
    EditModel& model = loaded.model;
    model.SetCursor({1, 1});
    ASSERT_EQ(EditStatus::kOk, model.TypeChar(L'!'));
    model.SetCursor({3, 1});
    ASSERT_EQ(EditStatus::kOk, model.BreakLine());  // the new break is the file's usual end
    model.SetCursor({2, 1});
    ASSERT_EQ(EditStatus::kOk, model.DeleteChar());  // joining takes the lower line's end
    EXPECT_TRUE(model.modified);
    ASSERT_EQ(0, model.Save(loaded.file));
    EXPECT_FALSE(model.modified);
    EXPECT_EQ("a\r\nb!\ncd\r\n", ReadBytes(path));

    model.SetLineEnds(LE_LF);  // every line end, the missing final one stays missing
    ASSERT_EQ(0, model.Save(loaded.file));
    EXPECT_EQ("a\nb!\ncd\n", ReadBytes(path));
    model.SetLineEnds(LE_CRLF);
    model.SetCursor({2, 0});
    ASSERT_EQ(EditStatus::kOk, model.BreakLine());
    ASSERT_EQ(0, model.Save(loaded.file));
    EXPECT_EQ("a\r\nb!\r\n\r\ncd\r\n", ReadBytes(path));
}

TEST(EditFile, LongLinesComeInPiecesAndSaveWhole) {
    TextScratch scratch;
    std::string bytes = std::string(70000, 'q') + "\nshort\n";
    std::string path = scratch.Write("long", bytes);
    Loaded loaded;
    LoadInto(loaded, path);
    EXPECT_EQ(1, loaded.model.text.split_lines);
    EXPECT_EQ(kMaxLineLength, loaded.model.text.LineLength(0));
    EXPECT_EQ(70000 - kMaxLineLength, loaded.model.text.LineLength(1));
    ASSERT_EQ(0, loaded.model.Save(loaded.file));
    EXPECT_EQ(bytes, ReadBytes(path));

    Loaded exact;  // a full line that ends the file was not cut
    LoadInto(exact, scratch.Write("exact", std::string(kMaxLineLength, 'q')));
    EXPECT_EQ(0, exact.model.text.split_lines);
    EXPECT_EQ(1, exact.model.text.LineCount());
}

TEST(EditFile, ByteOffsetPlacesTheCursorAndSelects) {
    TextScratch scratch;
    std::string bytes = "h\xc3\xa9llo\nw\xc3\xb6rld foo bar\n";
    std::string path = scratch.Write("utf8", bytes);
    Loaded loaded;
    LoadInto(loaded, path, static_cast<int64_t>(bytes.find("foo")), 3);
    EXPECT_EQ(1, loaded.model.cursor().line);
    EXPECT_EQ(6, loaded.model.cursor().pos);
    EXPECT_EQ(L"foo", loaded.model.SelectionText());
    EXPECT_EQ(1, loaded.model.top);

    Loaded beyond;
    LoadInto(beyond, path, 1LL << 40, 0);  // past the end: the end of the text
    EXPECT_EQ(2, beyond.model.cursor().line);
}

TEST(EditFile, InvalidBytesAreCountedPerLine) {
    TextScratch scratch;
    Loaded loaded;
    LoadInto(loaded, scratch.Write("bad", "ok\n\xff\xfe\nfine\n\x80"), -1, 0, FF_UTF8);
    EXPECT_EQ(2, loaded.model.text.bad_lines);
}

TEST(EditFile, LoadsInStepsAndPlacesTheCursorWhenTheOffsetArrives) {
    TextScratch scratch;
    std::string bytes = "l0\nl1\nl2\nthe target\nl4\n";
    std::string path = scratch.Write("steps", bytes);
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(path).c_str()));
    EditModel model;
    model.BeginLoad(file, static_cast<int64_t>(bytes.find("target")), 6);
    bool done = false;
    ASSERT_EQ(EditStatus::kOk, model.LoadMore(file, 2, done));
    EXPECT_FALSE(done);
    EXPECT_EQ(2, model.text.LineCount());  // the first screen can be shown
    EXPECT_EQ(0, model.cursor().line);
    ASSERT_EQ(EditStatus::kOk, model.LoadMore(file, 2, done));
    EXPECT_EQ(3, model.cursor().line);
    EXPECT_EQ(L"target", model.SelectionText());
    while (!done) ASSERT_EQ(EditStatus::kOk, model.LoadMore(file, 2, done));
    EXPECT_EQ(L"l0\nl1\nl2\nthe target\nl4\n", AllText(model));
    ASSERT_EQ(0, model.Save(file));
    EXPECT_EQ(bytes, ReadBytes(path));
}

TEST(EditFile, AStoppedLoadSaysSo) {
    TextScratch scratch;
    std::string bytes;
    for (int i = 0; i < 70000; i++) bytes += "line\n";
    CTextFile file;
    ASSERT_EQ(0, file.Open(Wide(scratch.Write("many", bytes)).c_str()));
    EditModel model;
    int asked = 0;
    EXPECT_EQ(EditStatus::kStopped, model.Load(file, -1, 0, [&](int64_t pos) {
        asked++;
        EXPECT_GT(pos, 0);
        return false;
    }));
    EXPECT_EQ(1, asked);
    EXPECT_LT(model.text.LineCount(), 70000);
    EXPECT_GT(model.text.LineCount(), 0);
    EXPECT_TRUE(model.incomplete);
    EXPECT_EQ(EditModel::kIncompleteText, model.Save(file));
    EXPECT_EQ(bytes, ReadBytes(scratch.dir() + "/many"));
}
