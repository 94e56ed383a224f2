// Reading a large directory with helper threads: a failure on a helper
// costs exactly the entry it hit, and a re-read finds tagged names again
// exactly as they are written.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "panels/directory.h"
#include "panels/paneldisplay.h"
#include "tests/panels/panel_test_util.h"

namespace {

using Names = std::vector<std::string>;

constexpr int kFiles = 3000;  // several chunks, so that helpers take part
constexpr size_t kFileSize = 3;

// What the stat hook saw and did, for one read.
struct HookRecord {
    std::mutex mutex;
    std::thread::id reader;              // the thread that reads the panel
    std::map<std::string, int> calls;    // how often each name was inspected
    std::string failed;                  // the name whose inspection failed on a helper
    std::string removed;                 // the name a helper removed just before inspecting it
    std::string dir;
    std::atomic<bool> helper_failed{false};
};
HookRecord* record;

// Fails the first inspection a helper makes, removes the name of the second
// before inspecting it, and holds the reading thread back until a helper
// has failed, so that the failure surely happens on a helper.
int failing_stat(int dir_fd, const char* name, struct stat* status, int flags) {
    const bool on_helper = std::this_thread::get_id() != record->reader;
    {
        std::lock_guard<std::mutex> lock(record->mutex);
        record->calls[name]++;
        if (on_helper && record->failed.empty() && name[0] == 'f') {
            record->failed = name;
            record->helper_failed = true;
            errno = EACCES;
            return -1;
        }
        if (on_helper && record->removed.empty() && name[0] == 'f') {
            record->removed = name;
            unlink((record->dir + "/" + name).c_str());
        }
    }
    for (int wait = 0; !on_helper && !record->helper_failed && wait < 5000; wait++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return fstatat(dir_fd, name, status, flags);
}

class DirectoryReaderTest : public PanelTest {
protected:
    void TearDown() override {
        directory_stat_hook = nullptr;
        PanelTest::TearDown();
    }
};

// The names in dir as the standard library lists them, with "..".
Names listed_by_the_system(const std::string& dir) {
    Names names{".."};
    for (const auto& item : std::filesystem::directory_iterator(dir)) names.push_back(item.path().filename().string());
    return names;
}

}  // namespace

TEST_F(DirectoryReaderTest, AFailureOnAHelperCostsOnlyItsOwnEntry) {
    for (int i = 0; i < kFiles; i++) Touch(tmp / NumberedName("f", i), kFileSize);
    HookRecord seen;
    seen.reader = std::this_thread::get_id();
    seen.dir = tmp.path();
    record = &seen;
    directory_stat_hook = failing_stat;
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    read_panel(&panel);
    directory_stat_hook = nullptr;

    ASSERT_FALSE(seen.failed.empty()) << "no helper inspected anything";
    ASSERT_FALSE(seen.removed.empty());
    // Every name still there exactly once, the removed one not at all.
    Names shown = ListNames(panel);
    std::sort(shown.begin(), shown.end());
    Names expected = listed_by_the_system(tmp.path());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(panel.num_files, kFiles);
    EXPECT_EQ(IndexOf(panel, seen.removed), -1);
    // The name that could not be inspected is listed by name alone; the
    // others with what the system tells of them.
    entry* failed = Find(panel, seen.failed);
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->size, 0u);
    EXPECT_FALSE(failed->is_dir());
    for (int i = 1; i < panel.num_files; i++) {
        if (panel.files[i] == failed) continue;
        EXPECT_EQ(panel.files[i]->size, kFileSize) << EncodeFileName(panel.files[i]->name).c_str();
    }
    // Each name was inspected once: the failure was met once, not retried
    // or repeated by another thread.
    EXPECT_EQ(seen.calls[seen.failed], 1);
    EXPECT_EQ(seen.calls.size(), static_cast<size_t>(kFiles + 2));  // with "." and ".."
    for (const auto& [name, count] : seen.calls) EXPECT_EQ(count, 1) << name;
}

TEST_F(DirectoryReaderTest, ALargeListingLeftEarlyStopsItsHelpers) {
    for (int i = 0; i < kFiles; i++) Touch(tmp / NumberedName("f", i));
    // Left after one entry, after half, and at its end; each time the
    // helpers are stopped and the entries not taken freed (the sanitizer
    // build sees a leak or a thread left running).
    for (int take : {1, kFiles / 2, kFiles + 2}) {
        DirectoryReader reader(DecodeFileName(tmp.path().c_str()));
        entry* e = nullptr;
        int taken = 0;
        for (int code = reader.First(&e); code == 0; code = reader.Next(&e)) {
            entry::Destroy(e);
            if (++taken == take) break;
        }
        EXPECT_EQ(taken, take);
        EXPECT_GE(reader.helpers(), 1);
    }
    DirectoryReader unopened(DecodeFileName((tmp / "gone").c_str()));
    entry* e = nullptr;
    EXPECT_EQ(unopened.First(&e), ENOENT);
    EXPECT_EQ(unopened.Next(&e), DIR_NO_MORE_FILES);
}

TEST_F(DirectoryReaderTest, AReReadKeepsTheTagsOfNamesExactlyAsWritten) {
    for (const char* name : {"Read.me", "read.me", "READ.ME", "other"}) Touch(tmp / name, 5);
    PANEL panel;
    SetUpPanel(panel, tmp.path());
    read_panel(&panel);
    tag(&panel, IndexOf(panel, "read.me"), 1);
    tag(&panel, IndexOf(panel, "other"), 1);
    unlink((tmp / "other").c_str());
    Touch(tmp / "Other", 5);
    read_panel(&panel);
    EXPECT_EQ(Tagged(panel), (Names{"read.me"}));
    EXPECT_EQ(panel.num_tagged, 1);
    EXPECT_EQ(panel.tagged_size, 5u);
}
