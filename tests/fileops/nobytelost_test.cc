// Copies that must lose nothing: a link copied onto the file it points to,
// destinations that are links, devices or FIFOs, overwrites that fail or
// are killed midway, writers still at work, trees past the path limit.
#include <errno.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "lib/atpath.h"
#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"

namespace {

class NoByteLostTest : public FileOpsTest {
protected:
    // The names in dir, sorted; a left-over temporary file shows up here.
    static std::string Names(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        std::string out;
        for (const std::string& name : names) out += name + " ";
        return out;
    }
};

std::atomic<int> good_writes{0};
ssize_t full_disk_write(int fd, const void* buffer, size_t size) {
    if (good_writes-- <= 0) {
        errno = ENOSPC;
        return -1;
    }
    return write(fd, buffer, size);
}
ssize_t killed_write(int fd, const void* buffer, size_t size) {
    if (good_writes-- <= 0) raise(SIGKILL);
    return write(fd, buffer, size);
}
std::atomic<int> esc_polls{0};
bool esc_after_a_while() { return ++esc_polls > 5; }

TEST_F(NoByteLostTest, ALinkIsNeverPutInThePlaceOfItsOwnTarget) {
    Files({"A/", "B/", "B/a1=one"});
    ASSERT_EQ(symlink(Path("B/a1").c_str(), Path("A/a1").c_str()), 0);
    for (int mode : {OVERWRITE_ASK, OVERWRITE_ALWAYS}) {
        overwrite_mode = mode;
        Answer("y y y");
        EXPECT_EQ(Copy(Path("A/a1"), Path("B/a1")), EEXIST);
        EXPECT_TRUE(FirstShows("File cannot overwrite itself")) << FirstScreen();
        Answer("y y y");
        EXPECT_EQ(Move(Path("A/a1"), Path("B/a1"), true), EEXIST);
        Answer("y y y");
        EXPECT_EQ(Move(Path("A/a1"), Path("B/a1"), false), EEXIST);
        Expect({"B/a1=one", "A/a1=one"});
        EXPECT_TRUE(S_ISREG(Stat(Path("B/a1")).st_mode));
    }
}

TEST_F(NoByteLostTest, ALinkToADeviceIsAnExistingFileAndIsReplacedNotWritten) {
    std::string src = Write("report.txt", "the report");
    MakeDir("dst");
    ASSERT_EQ(symlink("/dev/null", Path("dst/report.txt").c_str()), 0);
    overwrite_mode = OVERWRITE_NEVER;
    EXPECT_EQ(Copy(src, Path("dst/report.txt")), RESULT_SKIPPED);
    EXPECT_TRUE(S_ISLNK(Stat(Path("dst/report.txt")).st_mode));
    overwrite_mode = OVERWRITE_ASK;
    Answer("y");
    EXPECT_EQ(Copy(src, Path("dst/report.txt")), 0);
    EXPECT_TRUE(FirstShows("File already exists, Overwrite?")) << FirstScreen();
    Expect({"dst/report.txt=the report"});
    EXPECT_TRUE(S_ISREG(Stat(Path("dst/report.txt")).st_mode));
    EXPECT_TRUE(S_ISCHR(Stat("/dev/null").st_mode));
}

TEST_F(NoByteLostTest, AFifoIsAskedAboutAndNeverBlocks) {
    std::string src = Write("src", Big(1 << 20));
    std::string fifo = Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    alarm(60);  // a regression hangs; let it fail instead
    copy_seams.esc_pending = &esc_after_a_while;
    // Nobody reads: the wait for a reader ends at Esc.
    Answer("y");
    EXPECT_EQ(Copy(src, fifo), -1);
    EXPECT_TRUE(FirstShows("File already exists, Overwrite?")) << FirstScreen();
    // A reader that never reads: the wait for room ends at Esc.
    int idle_reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    esc_polls = 0;
    overwrite_mode = OVERWRITE_ALWAYS;
    EXPECT_EQ(Copy(src, fifo), -1);
    close(idle_reader);
    // A reader that reads gets every byte, and the FIFO stays a FIFO.
    copy_seams.esc_pending = [] { return false; };
    std::string received;
    std::thread reader([&] { received = ReadFile(fifo); });
    EXPECT_EQ(Copy(src, fifo), 0);
    reader.join();
    alarm(0);
    EXPECT_EQ(received, Big(1 << 20));
    EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));
}

TEST_F(NoByteLostTest, AFailedOverwriteLeavesTheOldFileAsItWas) {
    std::string src = Write("src", Big(300000));
    std::string dst = Write("dst", "old content");
    copy_seams.write = &full_disk_write;
    good_writes = 2;
    Answer("y s");
    EXPECT_EQ(Copy(src, dst), ENOSPC);
    EXPECT_TRUE(Shown("No room for"));
    Expect({"dst=old content"});
    EXPECT_EQ(Names(tmp.path()), "dst src ");
}

TEST_F(NoByteLostTest, ACopyKilledMidwayLeavesNothingUnderTheFinalName) {
    std::string src = Write("src", Big(300000));
    std::string old = Write("old", "old content");
    for (const std::string& dst : {Path("new"), old}) {
        std::fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            copy_seams.write = &killed_write;
            good_writes = 3;
            DescBatch none;
            CopyResult r = copyfile(W(src).c_str(), W(dst).c_str(), true, false, nullptr, none, 0);
            _exit(r.code == 0 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
    }
    Expect({"!new", "old=old content", "src=" + Big(300000)});
}

TEST_F(NoByteLostTest, ADirectoryGetsItsModeWhenItsCopyFailsOrIsCancelled) {
    MakeDir("tree", 0751);
    Write("tree/a", Big(100000));
    copy_seams.write = &full_disk_write;
    good_writes = 0;
    Answer("s");
    EXPECT_EQ(Copy(Path("tree"), Path("skipped")), RESULT_SKIPPED);
    Answer("Esc");
    EXPECT_EQ(Copy(Path("tree"), Path("cancelled")), -1);
    EXPECT_EQ(Stat(Path("skipped")).st_mode & 07777, 0751u);
    EXPECT_EQ(Stat(Path("cancelled")).st_mode & 07777, 0751u);
}

TEST_F(NoByteLostTest, AFileAnyoneIsWritingIsAskedAbout) {
    std::string log = Write("log", "line\n");
    int writer = open(log.c_str(), O_WRONLY | O_APPEND);  // as a shell's >> holds it
    Answer("s");
    EXPECT_EQ(Copy(log, Path("copy")), RESULT_SKIPPED);
    EXPECT_TRUE(FirstShows("File is open for writing, copy anyway?")) << FirstScreen();
    close(writer);
    EXPECT_EQ(Copy(log, Path("copy")), 0);
    Expect({"copy=line\n"});
}

TEST_F(NoByteLostTest, TreesPastThePathLimitAreCopiedAndMoved) {
    std::string deep = tmp.MakeDeepDirs("top", 40, 120);
    std::string relative = deep.substr(Path("top").size());
    {
        AtPath at((deep + "/leaf").c_str());
        int fd = openat(at.dir(), at.leaf(), O_WRONLY | O_CREAT, 0640);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "deep", 4), 4);
        close(fd);
    }
    auto listing = [](const std::string& dir) {
        return ShellOutput("cd '" + dir + "' && find . -printf '%p %s %m\\n' | sort");
    };
    const std::string before = listing(Path("top"));
    ASSERT_NE(before.find("/leaf 4 640"), std::string::npos);
    ui.RecordScreens(true);
    EXPECT_EQ(Copy(Path("top"), Path("copy")), 0) << FirstScreen();
    EXPECT_TRUE(listing(Path("copy")) == before);
    EXPECT_EQ(Move(Path("copy"), Path("moved"), false), 0) << FirstScreen();  // by copying, as across devices
    EXPECT_TRUE(listing(Path("moved")) == before);
    Expect({"!copy"});
}

}  // namespace
