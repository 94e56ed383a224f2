// The information panel: its figures against what coreutils and the kernel
// report, the line of the files' space, the note file "dirinfo" (missing, a
// directory, a FIFO, long lines, tabs), the failures it shows, and what
// switching it off restores.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "panels/dirinfo.h"
#include "panels/entry.h"
#include "panels/infofigures.h"
#include "panels/infopanel.h"
#include "tests/panels/display_test_util.h"
#include "tests/support/shell_output.h"

namespace {

using Rows = std::vector<std::string>;

// The right panel shows information about the left one.
class InfoPanelTest : public DisplayTest {
protected:
    static constexpr int kInfoLeft = 41;  // the right panel's first inner column
    static constexpr int kWidth = 38;      // W on 80 columns
    static constexpr int kLabel = 12;      // the label column on 80 columns

    void SetUp() override {
        DisplayTest::SetUp();
        saved_paint_info_ = paint_info_hook;
        install_info_panel();
    }
    void TearDown() override {
        paint_info_hook = saved_paint_info_;
        DisplayTest::TearDown();
    }

    PANEL& ShowInfo() {
        PANEL& info = panel_base[1];
        info.type = PANEL_INFO;
        info.visible = 1;
        make_panel(&info, 1);
        return info;
    }
    // Inner row y of the information panel.
    std::string Info(int y) const { return ui.Text(kInfoLeft, y + 1, kWidth); }
    static std::string Trim(std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        size_t first = s.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : s.substr(first);
    }
    // A rule across the panel.
    static std::string Rule() {
        std::string rule;
        for (int i = 0; i < kWidth; i++) rule += "─";
        return rule;
    }
    // The row of the information panel holding text, or -1.
    int InfoRowOf(const std::string& text) const {
        for (int y = 0; y < kRows + 2; y++)
            if (Info(y).find(text) != std::string::npos) return y;
        return -1;
    }

    // The number before the label column of row y, in bytes rounded down
    // to its unit: the value shown and the unit (1, or 1024 per K, M, G, T).
    struct Shown {
        uint64_t value = 0;
        uint64_t unit = 1;
    };
    Shown FigureAt(int y) const {
        const std::string field = Info(y).substr(0, kLabel);
        Shown shown;
        bool digits = false;
        for (char c : field) {
            if (c >= '0' && c <= '9') {
                shown.value = shown.value * 10 + static_cast<uint64_t>(c - '0');
                digits = true;
            }
            const std::string suffixes = "KMGT";
            const size_t power = suffixes.find(c);
            if (c != 0 && power != std::string::npos) shown.unit = uint64_t{1} << (10 * (power + 1));
        }
        EXPECT_TRUE(digits) << "no number on row " << y << ": " << Info(y);
        return shown;
    }

    // statvfs as coreutils reads it: blocks, fragment size, blocks free
    // to ordinary users.
    struct FsFigures {
        uint64_t total = 0, free = 0, unit = 0;
    };
    static FsFigures StatFs(const std::string& path) {
        std::istringstream in(ShellOutput("stat -f -c '%b %S %a' '" + path + "'"));
        uint64_t blocks = 0, unit = 0, available = 0;
        in >> blocks >> unit >> available;
        EXPECT_GT(unit, 0u) << "stat -f gave nothing for " << path;
        return {blocks * unit, available * unit, unit};
    }

private:
    void (*saved_paint_info_)(PANEL*) = nullptr;
};

}  // namespace

// ---- the figures

TEST_F(InfoPanelTest, FiguresAgreeWithStatvfsAndMeminfo) {
    tmp.Write("a.txt", "hello");
    ShowLeft(tmp.path());
    ShowInfo();
    EXPECT_EQ(Trim(Info(0)), "Dorvik/L 2.50-dev");
    EXPECT_EQ(Info(4), Rule());

    // Labels start at the label column; numbers end just before it, in
    // the Tagged colour.
    const Rows labels = {" total physical memory", " free physical memory", "", " total bytes", " bytes free"};
    for (int i = 0; i < 5; i++) {
        if (labels[i].empty()) continue;
        const int y = 5 + i;
        EXPECT_EQ(Trim(Info(y).substr(kLabel)), Trim(labels[i])) << y;
        EXPECT_EQ(Info(y)[kLabel], ' ') << y;
        EXPECT_NE(Info(y)[kLabel - 1], ' ') << y;
        EXPECT_EQ(ui.Attr(kInfoLeft + kLabel - 1, y + 1), colours[CLR_TAGGED]) << y;
    }

    // MemTotal in kB is the kernel's count of physical pages.
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kilobytes = 0;
    while (meminfo >> key && key != "MemTotal:") meminfo.ignore(256, '\n');
    ASSERT_TRUE(meminfo >> kilobytes);
    const uint64_t memory = kilobytes * 1024;
    const Shown total_memory = FigureAt(5);
    EXPECT_EQ(total_memory.value, memory / total_memory.unit) << Info(5);
    const Shown free_memory = FigureAt(6);
    EXPECT_LE(free_memory.value * free_memory.unit, memory);
    EXPECT_GT(free_memory.value, 0u);

    const FsFigures fs = StatFs(tmp.path());
    const Shown total = FigureAt(8);
    EXPECT_EQ(total.value, fs.total / total.unit) << Info(8);
    // Free space moves while other programs write; it must be the space
    // free to ordinary users (not counting the superuser's reserve).
    const Shown free = FigureAt(9);
    const double shown_free = static_cast<double>(free.value * free.unit);
    EXPECT_NEAR(shown_free, static_cast<double>(fs.free), 256.0 * 1024 * 1024 + static_cast<double>(free.unit))
        << Info(9);

    // Where the directory is: its path, then the file system's lines.
    EXPECT_EQ(Trim(Info(11)), tmp.path());
    const std::string mount_point = Trim(ShellOutput("stat -c %m '" + tmp.path() + "'"));
    const std::string fs_type = Trim(ShellOutput("findmnt -n -o FSTYPE --target '" + tmp.path() + "' | head -n1"));
    EXPECT_EQ(Trim(Info(12)), "Mount Point : " + mount_point.substr(0, mount_point.find('\n')));
    ASSERT_FALSE(fs_type.empty());
    EXPECT_EQ(Trim(Info(13)), "File System : " + fs_type.substr(0, fs_type.find('\n')));
    // The serial number is the file system's device number.
    char serial[32];
    std::snprintf(serial, sizeof serial, "Serial No   : %X", static_cast<unsigned>(std::stoul(
                                                               Trim(ShellOutput("stat -c %d '" + tmp.path() + "'")))));
    EXPECT_EQ(Trim(Info(14)), serial);

    // A label takes the mount point's place and a serial number adds a
    // line; the lines stand left-aligned where the widest is centred.
    panel_base[0].fs_label = L"BACKUP";
    panel_base[0].fs_id = 0xBEEF;
    info_panel_update(true);
    EXPECT_EQ(Trim(Info(12)), "Label       : BACKUP");
    EXPECT_EQ(Trim(Info(14)), "Serial No   : BEEF");
    const size_t widest = std::max(std::string("Label       : BACKUP").size(),
                                   std::string("File System : ").size() + fs_type.substr(0, fs_type.find('\n')).size());
    for (int y = 12; y <= 14; y++) EXPECT_EQ(Info(y).find_first_not_of(' '), (kWidth - widest) / 2) << y;
}

TEST_F(InfoPanelTest, TheFilesLineCountsEntriesAndRoundsSizesUpToTheUnit) {
    // An empty directory holds only "..": one entry, no bytes.
    tmp.MakeDir("empty");
    ShowLeft(tmp / "empty");
    ShowInfo();
    EXPECT_EQ(Trim(Info(10)), "1 file uses 0 bytes in");

    // Sizes 0, 1, a unit, a unit and one, and more than 4 GiB (sparse);
    // the subdirectory and ".." take nothing but are counted.
    const std::string dir = tmp / "files";
    MakeDir(dir);
    const uint64_t unit = StatFs(dir).unit;
    ASSERT_GT(unit, 0u);
    const uint64_t big = (5ull << 30) + 1;
    Touch(dir + "/empty", 0);
    Touch(dir + "/one", 1);
    Touch(dir + "/unit", unit);
    Touch(dir + "/unit_and_one", unit + 1);
    Touch(dir + "/big", big);
    MakeDir(dir + "/sub");
    ShowLeft(dir);
    info_panel_update(true);
    const uint64_t expected = unit + unit + unit + 2 * unit + ((big + unit - 1) / unit) * unit;

    const std::string line = Trim(Info(10));
    const std::string head = "7 files use ";
    ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
    ASSERT_GE(line.size(), head.size() + 9);
    EXPECT_EQ(line.substr(line.size() - 9), " bytes in");
    // The total starts ten columns after the words.
    EXPECT_EQ(line.find("files use") + 10, head.size());
    uint64_t value = 0, scale = 1;
    for (char c : line.substr(head.size(), line.size() - 9 - head.size())) {
        if (c >= '0' && c <= '9') value = value * 10 + static_cast<uint64_t>(c - '0');
        else if (c == 'K') scale = 1024;
        else if (c == 'M') scale = 1024 * 1024;
    }
    EXPECT_EQ(value, expected / scale) << line;
    // The line is centred.
    const std::string row = Info(10);
    const size_t left = row.find_first_not_of(' ');
    EXPECT_EQ(static_cast<int>(left), (kWidth - static_cast<int>(line.size())) / 2) << row;
}

TEST_F(InfoPanelTest, FailuresShowInsteadOfTheFigures) {
    // A directory whose statistics cannot be read.
    PANEL& left = ShowLeft(tmp.path());
    left.dir = DecodeFileName((tmp / "gone/away").c_str());
    ShowInfo();
    EXPECT_EQ(Trim(Info(9)), "Cannot read drive");
    EXPECT_EQ(InfoRowOf("total bytes"), -1);
    EXPECT_EQ(panel_base[1].dirinfo_row, -1);

    // A directory that could not be read: the system's message.
    left.dir = DecodeFileName(tmp.path().c_str());
    left.read_error = EACCES;
    info_panel_update(true);
    EXPECT_EQ(InfoRowOf(std::strerror(EACCES)), 7) << ui.Dump();
    EXPECT_EQ(InfoRowOf("physical memory"), -1);
    EXPECT_EQ(Trim(Info(0)), "Dorvik/L 2.50-dev");
}

// ---- the note file

TEST_F(InfoPanelTest, DirInfoShowsItsLinesUnderTheRule) {
    ShowLeft(tmp.path());
    panel_base[0].fs_id = 0;  // without a serial number line the note starts a row higher
    ShowInfo();
    EXPECT_EQ(InfoRowOf("Dir Info"), -1) << "no note, no heading";
    const int rule_row = panel_base[1].dirinfo_row;
    ASSERT_GT(rule_row, 11);
    EXPECT_EQ(Info(rule_row).substr(0, 3), "─");

    // Tabs at the TabWidth setting (expand is the oracle), a line longer
    // than the window cut at its edge, one longer than the line limit
    // still one row, CR LF endings, a last line without a newline.
    config.TabWidth = 4;
    const std::string tabbed = "a\tbc\td";
    const std::string long_line = std::string(700, 'x') + "TAIL";
    tmp.Write("dirinfo", "first line\r\n" + tabbed + "\n" + long_line + "\nafter\r\nlast\nbeyond the frame");
    info_panel_update(true);
    const int row = InfoRowOf(" Dir Info ");
    ASSERT_EQ(row, rule_row) << ui.Dump();
    // The heading is centred on the rule, in the Tagged colour.
    int x = -1, y = -1;
    ASSERT_TRUE(ui.Find(" Dir Info ", &x, &y));
    EXPECT_EQ(x - kInfoLeft, (kWidth - 10) / 2);
    EXPECT_EQ(ui.Attr(x + 1, y), colours[CLR_TAGGED]);
    EXPECT_EQ(Info(row).substr(0, 3), "─");
    const std::string expanded = ShellOutput("printf '" + tabbed + "' | expand -t 4");
    EXPECT_EQ(Info(row + 1), " " + std::string("first line").append(kWidth - 11, ' '));
    EXPECT_EQ(Trim(Info(row + 2)), expanded);
    EXPECT_EQ(Info(row + 3), " " + std::string(kWidth - 1, 'x'));
    EXPECT_EQ(Trim(Info(row + 4)), "after");
    EXPECT_EQ(Trim(Info(row + 5)), "last");
    // The window ends there: the next line does not reach the frame.
    ASSERT_EQ(row + 5, kRows + 1);
    std::string frame;
    for (int i = 0; i < kWidth; i++) frame += "═";
    EXPECT_EQ(Info(row + 6), frame);
}

TEST_F(InfoPanelTest, ANoteThatIsNoRegularFileShowsNothing) {
    ShowLeft(tmp.path());
    // A directory named dirinfo.
    tmp.MakeDir("dirinfo");
    ShowInfo();
    EXPECT_EQ(InfoRowOf("Dir Info"), -1) << ui.Dump();
    ASSERT_EQ(rmdir((tmp / "dirinfo").c_str()), 0);

    // A FIFO named dirinfo: opening it to read must not wait for a writer.
    // Should the drawing block, a watchdog opens the writing end after a
    // while, so that the test ends and fails instead of hanging.
    const std::string fifo = tmp / "dirinfo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::atomic<bool> had_to_unblock{false};
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (finished.wait_for(lock, std::chrono::seconds(10), [&] { return done; })) return;
        lock.unlock();
        for (;;) {
            const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                had_to_unblock = true;
                close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::lock_guard<std::mutex> again(mutex);
            if (done) return;
        }
    });
    info_panel_update(true);
    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    finished.notify_all();
    watchdog.join();
    EXPECT_FALSE(had_to_unblock) << "opening the FIFO waited for a writer";
    EXPECT_EQ(InfoRowOf("Dir Info"), -1) << ui.Dump();
    EXPECT_GE(InfoRowOf("total bytes"), 0);
}

TEST_F(InfoPanelTest, NoteLinesMatchSedCutAndHead) {
    // Lines cut at 500 bytes (never split), CR before LF dropped, any
    // number of lines asked for, reads crossing the reader's blocks.
    std::string note;
    for (int i = 0; i < 40; i++) {
        const size_t length = static_cast<size_t>((i * 397) % 1300);
        std::string line(length, static_cast<char>('a' + i % 26));
        if (i % 3 == 0 && !line.empty()) line[line.size() / 2] = '\r';
        note += line;
        note += i % 4 == 1 ? "\r\n" : "\n";
    }
    note += std::string(520, 'z');  // no newline at the end
    const std::string file = tmp.Write("dirinfo", note);
    for (size_t lines : {size_t{0}, size_t{1}, size_t{7}, size_t{41}, size_t{100}}) {
        std::vector<std::string> read;
        ASSERT_TRUE(ReadDirInfo(DecodeFileName(tmp.path().c_str()), lines, read));
        const std::string expected = ShellOutput("sed 's/\\r$//' '" + file + "' | cut -b 1-500 | head -n " +
                                                 std::to_string(lines));
        std::string joined;
        for (const std::string& line : read) joined += line + "\n";
        EXPECT_EQ(joined, expected) << lines << " lines";
    }
    std::vector<std::string> read;
    EXPECT_FALSE(ReadDirInfo(DecodeFileName((tmp / "missing").c_str()), 5, read));
}

// ---- the arithmetic

TEST(InfoFiguresTest, AllocatedBytesSurvivesUnitZeroAndHugeSizes) {
    std::vector<entry*> owned;
    auto make = [&](const wchar_t* name, uint64_t size, bool directory = false) {
        entry* e = entry::Create(name);
        e->size = size;
        e->attr = directory ? FA_DIREC : 0;
        owned.push_back(e);
        return e;
    };
    make(L"..", 0, true);
    make(L"empty", 0);
    make(L"five", 5);
    make(L"dir", 999, true);
    // A file system that reports no allocation unit: bytes count as they are.
    EXPECT_EQ(AllocatedBytes(owned.data(), 4, 0), 1 + 5);
    EXPECT_EQ(AllocatedBytes(owned.data(), 4, 1), 1 + 5);
    EXPECT_EQ(AllocatedBytes(owned.data(), 4, 4096), 4096 + 4096);
    EXPECT_EQ(AllocatedBytes(owned.data(), 0, 4096), 0);
    // Sizes that round up past 64 bits, and sums beyond them, stay at the top.
    make(L"huge", UINT64_MAX - 3);
    EXPECT_EQ(AllocatedBytes(owned.data(), 5, 4096), INT64_MAX);
    make(L"half", static_cast<uint64_t>(INT64_MAX) / 2 + 1);
    EXPECT_EQ(AllocatedBytes(owned.data() + 5, 1, 1), static_cast<int64_t>(static_cast<uint64_t>(INT64_MAX) / 2 + 1));
    make(L"half2", static_cast<uint64_t>(INT64_MAX) / 2 + 1);
    EXPECT_EQ(AllocatedBytes(owned.data() + 5, 2, 1), INT64_MAX);
    for (entry* e : owned) entry::Destroy(e);
}

TEST(InfoFiguresTest, SavingIsExactAndSignedForAnySizes) {
    EXPECT_EQ(Narrow(SavingText(0, 0)), "0%");
    EXPECT_EQ(Narrow(SavingText(0, 12345)), "0%");
    EXPECT_EQ(Narrow(SavingText(1000, 125)), "87.5%");
    // Packing that grew the data: a negative saving, rounded toward zero.
    EXPECT_EQ(Narrow(SavingText(1000, 1500)), "-50.0%");
    EXPECT_EQ(Narrow(SavingText(1000, 1001)), "-0.1%");
    // Sizes whose difference times 1000 leaves 64 bits.
    EXPECT_EQ(SavingPerMille(INT64_MAX, INT64_MAX / 4), 750);
    EXPECT_EQ(SavingPerMille(1, INT64_MAX), INT64_MIN);
}

// ---- switching

TEST_F(InfoPanelTest, SwitchingOnAndOffKeepsTheOtherPanelsState) {
    const std::string right_dir = tmp / "right";
    MakeDir(right_dir);
    Touch(right_dir + "/r.txt");
    ShowLeft(tmp.path());
    PANEL& right = panel_base[1];
    SetUpPanel(right, right_dir);
    read_panel(&right);
    make_panel(&right, 1);
    ASSERT_GE(InfoRowOf("r.txt"), 0);

    // The information replaces the list (the program's own tests switch
    // it off again), with the panel's title.
    info_panel(panel_base, 0);
    EXPECT_EQ(right.type, PANEL_INFO);
    EXPECT_EQ(InfoRowOf("r.txt"), -1);
    EXPECT_NE(ui.Text(40, 0, 40).find(" INFO "), std::string::npos) << ui.Dump();
    info_panel(panel_base, 0);
    EXPECT_EQ(ui.Text(40, kRows + 1, 1), "╟") << "the list's frame is whole again";

    // Shown from hidden, as with both panels off (Ctrl-O): mouse selection
    // gives the panels' area back.
    remove_panel(&right);
    ui.Console().SetSelectionZone(0, 0, 80, 23);
    info_panel(panel_base, 0);
    CConsole::Rect zone;
    ui.Console().GetSelectionZone(zone);
    EXPECT_EQ(zone.right, 0);

    // Two panels never describe each other: asking the left to show
    // information while the right does makes the right list files (and
    // hides it again, as it was hidden before).
    info_panel(panel_base, 1);
    EXPECT_FALSE(right.visible);
    EXPECT_EQ(panel_base[0].type, PANEL_INFO);
    EXPECT_EQ(right.type, PANEL_FILES);
}
