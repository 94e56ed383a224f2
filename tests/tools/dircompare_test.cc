// The directory compare's tagging over real directories: which files of two
// listed panels get tagged for each choice of conditions, that directories
// and special files are never read or tagged wrongly, and that a stopped
// content comparison leaves nothing tagged.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <set>
#include <string>

#include "console/helptopics.h"
#include "fileops/copyseams.h"
#include "lib/fsname.h"
#include "panels/panel.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"
#include "tests/support/thread_time.h"
#include "tools/dircompare.h"
#include "tools/filecontents.h"

namespace {

using Names = std::set<std::string>;

class DirCompareTest : public ::testing::Test {
protected:
    void TearDown() override {
        copy_seams.read = nullptr;
        copy_seams.esc_pending = nullptr;
    }
    static void List(PANEL& panel, const CTempDir& dir) {
        panel.FreeEntries();
        panel.dir = DecodeFileName(dir.path().c_str());
        panel.read_dir = Westring();
        panel.visible = 1;
        panel.type = PANEL_FILES;
        panel.detail = DETAIL_FULL;
        panel.filter = L"*";
        read_panel(&panel);
    }
    // Lists both directories and tags them with options and the real
    // content comparison; whether it ran to its end.
    bool Compare(const CompareOptions& options) {
        List(left_panel_, left_);
        List(right_panel_, right_);
        return tag_differences(left_panel_, right_panel_, options, compare_file_contents);
    }
    static Names Tagged(const PANEL& panel) {
        Names names;
        for (int i = 0; i < panel.num_files; i++)
            if (panel.files[i]->tagged) names.insert(Westring(panel.files[i]->name).ToUTF8().c_str());
        return names;
    }
    // The panel's counts must agree with its tags.
    static void ExpectCounts(const PANEL& panel) {
        int count = 0;
        uint64_t size = 0;
        for (int i = 0; i < panel.num_files; i++)
            if (panel.files[i]->tagged) {
                count++;
                size += panel.files[i]->size;
            }
        EXPECT_EQ(panel.num_tagged, count);
        EXPECT_EQ(panel.tagged_size, size);
    }
    static CompareOptions Options(int date_mode, int size_mode, bool contents, bool unmatched,
                                  const wchar_t* mask = L"*") {
        CompareOptions options;
        options.date_mode = date_mode;
        options.size_mode = size_mode;
        options.contents = contents;
        options.unmatched = unmatched;
        options.mask = mask;
        return options;
    }

    CTempDir left_, right_;
    PANEL left_panel_, right_panel_;
};

TEST_F(DirCompareTest, IdenticalCopiesTagNothing) {
    for (const CTempDir* dir : {&left_, &right_}) {
        dir->Write("a.txt", "alpha");
        dir->Write("b.bin", std::string(1000, 'b'));
        dir->MakeDir("sub");
        SetFileTime(*dir / "a.txt", 1000000);
        SetFileTime(*dir / "b.bin", 2000000);
    }
    EXPECT_TRUE(Compare(Options(3, 3, true, true)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{});
    EXPECT_EQ(left_panel_.num_tagged + right_panel_.num_tagged, 0);
}

TEST_F(DirCompareTest, UnmatchedFilesOnEitherSideFollowTheMaskAndDirectoriesNever) {
    left_.Write("left.txt", "1");
    left_.Write("left.log", "1");
    left_.Write("descript.ion", "notes");
    left_.Write("same", "file on the left");
    left_.MakeDir("onlyleftdir.txt");
    right_.Write("right.txt", "2");
    right_.Write("right.log", "2");
    right_.Write("RIGHT.TXT", "names differing in case are different files");
    right_.MakeDir("same");  // a directory is never a file's partner
    right_.MakeDir("onlyrightdir.txt");

    EXPECT_TRUE(Compare(Options(0, 0, false, true, L"*.txt")));
    EXPECT_EQ(Tagged(left_panel_), Names{"left.txt"});
    EXPECT_EQ(Tagged(right_panel_), (Names{"right.txt", "RIGHT.TXT"}));  // masks ignore case
    ExpectCounts(left_panel_);
    ExpectCounts(right_panel_);

    EXPECT_TRUE(Compare(Options(0, 0, false, true)));
    EXPECT_EQ(Tagged(left_panel_), (Names{"left.txt", "left.log", "same"}));
    EXPECT_EQ(Tagged(right_panel_), (Names{"right.txt", "right.log", "RIGHT.TXT"}));

    EXPECT_TRUE(Compare(Options(3, 3, false, false)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{});
}

TEST_F(DirCompareTest, DateAndSizeModesTagTheRightSide) {
    left_.Write("newer_left", "x");
    right_.Write("newer_left", "x");
    SetFileTime(left_ / "newer_left", 2000000);
    SetFileTime(right_ / "newer_left", 1000000);
    left_.Write("bigger_right", "x");
    right_.Write("bigger_right", "xxxx");
    SetFileTime(left_ / "bigger_right", 1000000);
    SetFileTime(right_ / "bigger_right", 1000000);
    left_.MakeDir("dir");
    right_.MakeDir("dir");
    SetFileTime(left_ / "dir", 5000000);

    EXPECT_TRUE(Compare(Options(1, 0, false, false)));
    EXPECT_EQ(Tagged(left_panel_), Names{"newer_left"});
    EXPECT_EQ(Tagged(right_panel_), Names{});
    EXPECT_TRUE(Compare(Options(2, 0, false, false)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{"newer_left"});
    EXPECT_TRUE(Compare(Options(0, 1, false, false)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{"bigger_right"});
    EXPECT_TRUE(Compare(Options(0, 2, false, false)));
    EXPECT_EQ(Tagged(left_panel_), Names{"bigger_right"});
    EXPECT_EQ(Tagged(right_panel_), Names{});
    EXPECT_TRUE(Compare(Options(3, 3, false, false)));
    EXPECT_EQ(Tagged(left_panel_), (Names{"newer_left", "bigger_right"}));
    EXPECT_EQ(Tagged(right_panel_), (Names{"newer_left", "bigger_right"}));
    ExpectCounts(left_panel_);
    ExpectCounts(right_panel_);
    EXPECT_EQ(right_panel_.tagged_size, 1u + 4u);
}

TEST_F(DirCompareTest, TimesOnCoarseFileSystemsDifferOnlyBeyondTwoSeconds) {
    left_.Write("near", "x");
    right_.Write("near", "x");
    left_.Write("far", "x");
    right_.Write("far", "x");
    SetFileTime(left_ / "near", 1000002);
    SetFileTime(right_ / "near", 1000000);
    SetFileTime(left_ / "far", 1000003);
    SetFileTime(right_ / "far", 1000000);
    List(left_panel_, left_);
    List(right_panel_, right_);
    right_panel_.fs_type = L"vfat";
    EXPECT_TRUE(tag_differences(left_panel_, right_panel_, Options(1, 0, false, false), compare_file_contents));
    EXPECT_EQ(Tagged(left_panel_), Names{"far"});

    right_panel_.fs_type = L"ext4";
    EXPECT_TRUE(tag_differences(left_panel_, right_panel_, Options(1, 0, false, false), compare_file_contents));
    EXPECT_EQ(Tagged(left_panel_), (Names{"near", "far"}));
}

TEST_F(DirCompareTest, ContentsDecideFilesOfEqualSizeAndOthersAreNotRead) {
    // Equal times and sizes: only the bytes tell these apart.
    const std::string big(3 * 262144 + 17, 'q');
    std::string big_changed = big;
    big_changed.back() = 'r';
    left_.Write("same_big", big);
    right_.Write("same_big", big);
    left_.Write("last_byte", big);
    right_.Write("last_byte", big_changed);
    left_.Write("empty", "");
    right_.Write("empty", "");
    left_.Write("sizes", "short");
    right_.Write("sizes", "longer");
    // A FIFO and a regular file of the same name: neither hangs the compare.
    left_.Write("pipe_vs_file", "some bytes");
    ASSERT_EQ(mkfifo((right_ / "pipe_vs_file").c_str(), 0644), 0);
    left_.Write("pipe_vs_empty", "");
    ASSERT_EQ(mkfifo((right_ / "pipe_vs_empty").c_str(), 0644), 0);

    // Broken links are never opened: alike when they name the same target.
    ASSERT_EQ(symlink("missing_a", (left_ / "broken_same").c_str()), 0);
    ASSERT_EQ(symlink("missing_a", (right_ / "broken_same").c_str()), 0);
    ASSERT_EQ(symlink("missing_a", (left_ / "broken_other").c_str()), 0);
    ASSERT_EQ(symlink("missing_b", (right_ / "broken_other").c_str()), 0);
    ASSERT_EQ(symlink("missing_a", (left_ / "broken_vs_file").c_str()), 0);
    right_.Write("broken_vs_file", "123456789");  // as long as the link's target name

    List(left_panel_, left_);
    List(right_panel_, right_);
    Names read;
    auto recording = [&read](const Westring& left_path, const Westring& right_path) {
        read.insert(left_path.filename().ToUTF8().c_str());
        return compare_file_contents(left_path, right_path);
    };
    EXPECT_TRUE(tag_differences(left_panel_, right_panel_, Options(0, 0, true, false), recording));
    const Names different{"last_byte", "sizes", "pipe_vs_file", "pipe_vs_empty", "broken_other", "broken_vs_file"};
    EXPECT_EQ(Tagged(left_panel_), different);
    EXPECT_EQ(Tagged(right_panel_), different);
    EXPECT_EQ(read, (Names{"same_big", "last_byte", "empty", "pipe_vs_empty"}));
}

// Reads at most a few bytes at a time, as a pipe or a network file may.
ssize_t trickling_read(int fd, void* buffer, size_t size) { return read(fd, buffer, std::min<size_t>(size, 1000)); }

TEST_F(DirCompareTest, ShortReadsAreReadOnNotTakenForADifference) {
    const std::string text(300000, 'z');
    left_.Write("f", text);
    right_.Write("f", text);
    copy_seams.read = trickling_read;
    EXPECT_EQ(compare_file_contents(DecodeFileName((left_ / "f").c_str()), DecodeFileName((right_ / "f").c_str())),
              ContentsVerdict::kSame);
    // A file that ends before the other is different, whatever the listing said.
    right_.Write("f", text + "tail");
    EXPECT_EQ(compare_file_contents(DecodeFileName((left_ / "f").c_str()), DecodeFileName((right_ / "f").c_str())),
              ContentsVerdict::kDifferent);
}

ssize_t failing_read(int, void*, size_t) {
    errno = EIO;
    return -1;
}

TEST_F(DirCompareTest, EscOrAReadErrorDuringContentsClearsEveryTag) {
    left_.Write("a", "same bytes");
    right_.Write("a", "same bytes");
    left_.Write("only_left", "x");
    right_.Write("only_right", "x");
    copy_seams.esc_pending = [] { return true; };
    EXPECT_FALSE(Compare(Options(0, 0, true, true)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{});
    EXPECT_EQ(left_panel_.num_tagged, 0);
    EXPECT_EQ(right_panel_.tagged_size, 0u);

    copy_seams.esc_pending = [] { return false; };
    copy_seams.read = failing_read;
    EXPECT_FALSE(Compare(Options(0, 0, true, true)));
    EXPECT_EQ(Tagged(left_panel_), Names{});
    EXPECT_EQ(Tagged(right_panel_), Names{});

    // A file that cannot be opened stops the compare the same way.
    copy_seams.read = nullptr;
    ASSERT_EQ(chmod((right_ / "a").c_str(), 0), 0);
    if (access((right_ / "a").c_str(), R_OK) != 0) {  // root reads it anyway
        EXPECT_FALSE(Compare(Options(0, 0, true, true)));
        EXPECT_EQ(right_panel_.num_tagged, 0);
    }
}

// The options dialog, run headless on keys: whether it ended with OK.
class CompareDialogTest : public ::testing::Test {
protected:
    void TearDown() override { show_help_hook = nullptr; }
    bool Ask(const std::string& keys, bool offer_contents) {
        ui.Keys(keys);
        ui.RecordScreens(true);
        bool accepted = false;
        ui.RunVoid([&] { accepted = ask_compare_options(options, offer_contents); });
        EXPECT_EQ(ui.QueueLength(), 0);
        return accepted;
    }
    bool Shown(const std::string& text) const {
        for (const CUiTest::Screen& screen : ui.Screens())
            if (screen.Find(text)) return true;
        return false;
    }
    CompareOptions options;
    CUiTest ui{80, 25};
    static inline int help_topic = -1;
};

TEST_F(CompareDialogTest, HotKeysChooseTheModesAndABadMaskIsRefused) {
    options.date_mode = 1;
    options.contents = true;
    show_help_hook = [](int topic) { help_topic = topic; };
    ui.Keys("F1 Alt-o Alt-s Alt-m End BackSpace");
    ui.Type("((");
    EXPECT_FALSE(Ask("Enter Enter Esc", true));
    EXPECT_EQ(help_topic, HELP_COMPARE);
    EXPECT_TRUE(Shown("Syntax error in search expression"));
    EXPECT_EQ(options.mask, L"*");  // a cancelled dialog keeps the mask it had

    EXPECT_TRUE(Ask("Alt-o Alt-s Enter", true));
    EXPECT_EQ(options.date_mode, 2);
    EXPECT_EQ(options.size_mode, 2);
    EXPECT_TRUE(Ask("Alt-d Alt-f Alt-u Enter", true));
    EXPECT_EQ(options.date_mode, 3);
    EXPECT_EQ(options.size_mode, 3);
    EXPECT_TRUE(options.unmatched);  // Alt-u turned it on
    EXPECT_TRUE(options.contents);
}

TEST_F(CompareDialogTest, AnArchivePanelGetsNoContentsBox) {
    options.contents = true;
    EXPECT_TRUE(Ask("Enter", false));
    EXPECT_FALSE(Shown("Compare Contents"));
    EXPECT_TRUE(Shown("Tag Unmatched"));
    EXPECT_FALSE(options.contents);
}

// Two panels of n files each, all differing in size, built in memory and
// listed in opposite orders.
void FillPanel(PANEL& panel, int n, uint64_t size, bool reversed) {
    panel.FreeEntries();
    for (int i = 0; i < n; i++) {
        if (panel.num_files == panel.max_files) {
            ASSERT_TRUE(IncreaseMaxFiles(&panel));
        }
        const std::wstring name = L"file" + std::to_wstring(reversed ? n - i : i + 1);
        entry* e = entry::Create(name.c_str());
        e->size = size;
        panel.files[panel.num_files++] = e;
    }
}

double SecondsToCompare(int n) {
    PANEL left, right;
    FillPanel(left, n, 1, false);
    FillPanel(right, n, 2, true);
    CompareOptions options;
    options.size_mode = 3;
    const double start = ThreadSeconds();
    const bool completed = tag_differences(left, right, options, nullptr);
    const double seconds = ThreadSeconds() - start;
    EXPECT_TRUE(completed);
    EXPECT_EQ(left.num_tagged, n);
    EXPECT_EQ(right.num_tagged, n);
    return seconds;
}

TEST(DirCompareTimes, TheFarthestTimesAnArchiveCanHoldCompareTheRightWayRound) {
    PANEL left, right;
    FillPanel(left, 1, 1, false);
    FillPanel(right, 1, 1, false);
    left.files[0]->time = TimeStamp(INT64_MAX, 0u);
    right.files[0]->time = TimeStamp(INT64_MIN, 0u);
    CompareOptions newer;
    newer.date_mode = 1;
    EXPECT_TRUE(tag_differences(left, right, newer, nullptr));
    EXPECT_EQ(left.num_tagged, 1);
    EXPECT_EQ(right.num_tagged, 0);
}

TEST(DirCompareCost, GrowsWithTheListsNotWithTheirProduct) {
    SecondsToCompare(2000);  // warms the allocator
    double small = SecondsToCompare(5000), large = SecondsToCompare(20000);
    // Matching each name by a search of the other list costs 16 times as
    // much at four times the files; one pass about 4 times.
    EXPECT_LT(large, small * 10 + 0.01) << small << " s for 5000, " << large << " s for 20000";
}

}  // namespace
