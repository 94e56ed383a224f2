// Copying into a new directory: its plain files are copied by two workers,
// and whatever they give back (a failure, a file open for writing) goes
// through the usual copy with its prompts. The copy must equal the source as
// coreutils see it, and Esc must leave no partial file and no worker.
#include <dirent.h>
#include <errno.h>
#include <sys/file.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "fileops/fserror.h"
#include "lib/atpath.h"
#include "tests/fileops/fileops_fixture.h"
#include "tests/support/shell_output.h"

namespace {

class ParallelCopyTest : public FileOpsTest {
protected:
    // Files f0 ... in dir, of varied sizes, modes and times.
    void ManyFiles(const std::string& dir, int count) {
        MakeDir(dir);
        static const mode_t modes[] = {0644, 0600, 0755, 0444, 0640};
        for (int i = 0; i < count; i++) {
            const size_t size = i % 97 == 0 ? 70000 : static_cast<size_t>(i * 37 % 4100);
            Write(dir + "/" + NumberedName("f", i), Big(size).substr(std::min<size_t>(size, i % 5)), modes[i % 5], 1000000 + i);
        }
    }
    // Every node below dir with its type, mode, modification time and link
    // target, as find sees them (diff -r compares the contents).
    static std::string Listing(const std::string& dir) {
        return ShellOutput("cd '" + dir + "' && find . -printf '%p %y %m %T@ %l\\n' | sort");
    }
    // What diff -r finds different between two trees (but for a FIFO and
    // a tree too deep for it, which Listing covers).
    std::string Differences(const std::string& a, const std::string& b) const {
        return ShellOutput("diff -r --no-dereference -x fifo -x deep '" + Path(a) + "' '" + Path(b) + "' 2>&1");
    }
    static int Threads() {
        int count = 0;
        if (DIR* tasks = opendir("/proc/self/task")) {
            while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
            closedir(tasks);
        }
        return count;
    }
};

// The file the fault seam picks, and how many of its copies fail.
std::atomic<int> faults_left{0};
std::atomic<int> fault_calls{0};
int fault_on_f7(const char* name) {
    const char* leaf = std::strrchr(name, '/');
    if (std::strcmp(leaf ? leaf + 1 : name, "f7") != 0) return 0;
    fault_calls++;
    return faults_left-- > 0 ? ENOSPC : 0;
}

TEST_F(ParallelCopyTest, TreeIsCopiedExactly) {
    ManyFiles("tree", 1500);
    ManyFiles("tree/sub", 1500);
    MakeDir("tree/closed", 0700);
    Write("tree/closed/inner", "i", 0600, 5000);
    ASSERT_EQ(symlink("f1", Path("tree/link").c_str()), 0);
    ASSERT_EQ(mkfifo(Path("tree/fifo").c_str(), 0620), 0);
    // A directory past the system's path length with several files in it.
    std::string deep = tmp.MakeDeepDirs("tree/deep", 40, 120);
    for (const char* leaf : {"a", "b", "c"}) {
        AtPath at((deep + "/" + leaf).c_str());
        int fd = openat(at.dir(), at.leaf(), O_WRONLY | O_CREAT, 0640);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, leaf, 1), 1);
        close(fd);
    }
    SetTime(Path("tree/sub"), 7000, 7000);
    SetTime(Path("tree"), 8000, 8000);

    const std::string before = Listing(Path("tree"));
    ui.RecordScreens(true);
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), 0) << FirstScreen();
    EXPECT_TRUE(ui.Screens().empty());
    EXPECT_EQ(Differences("tree", "copy"), "");
    EXPECT_TRUE(Listing(Path("copy")) == before);
    EXPECT_EQ(ShellOutput("cd '" + Path("copy") + "/deep' && find . -type f -printf '%f %s\\n' | sort"), "a 1\nb 1\nc 1\n");
}

TEST_F(ParallelCopyTest, FileAWorkerCouldNotCopyIsAskedAboutOnce) {
    ManyFiles("tree", 300);
    copy_seams.file_fault = &fault_on_f7;

    // It fails again in the usual copy: Skip leaves out that file alone.
    faults_left = 1000;
    Answer("s");
    EXPECT_EQ(Copy(Path("tree"), Path("skipped")), RESULT_SKIPPED);
    EXPECT_EQ(ui.Screens().size(), 1u);
    EXPECT_TRUE(FirstShows("No room for")) << FirstScreen();
    EXPECT_EQ(fault_calls, 2);  // once by a worker, once by the usual copy
    EXPECT_EQ(Differences("tree", "skipped"), "Only in " + Path("tree") + ": f7\n");

    // Retry copies it.
    faults_left = 2;
    fault_calls = 0;
    Answer("r");
    EXPECT_EQ(Copy(Path("tree"), Path("retried")), 0);
    EXPECT_EQ(ui.Screens().size(), 1u);
    EXPECT_EQ(fault_calls, 3);
    EXPECT_EQ(Differences("tree", "retried"), "");
    EXPECT_EQ(ShellOutput("find '" + Path("retried") + "' -name '.dv*'"), "");
}

TEST_F(ParallelCopyTest, FileOpenForWritingIsAskedAboutOnce) {
    ManyFiles("tree", 200);
    int held = open(Path("tree/f7").c_str(), O_RDWR);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    Answer("s");
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), RESULT_SKIPPED);
    EXPECT_EQ(ui.Screens().size(), 1u);
    EXPECT_TRUE(FirstShows("File is open for writing, copy anyway?")) << FirstScreen();
    EXPECT_EQ(Differences("tree", "copy"), "Only in " + Path("tree") + ": f7\n");
    close(held);
}

TEST_F(ParallelCopyTest, EscLeavesOnlyWholeFilesAndNoWorker) {
    MakeDir("tree");
    for (int i = 0; i < 400; i++) Write("tree/" + NumberedName("f", i), Big(300000 + i), 0640, 2000 + i);
    const int threads = Threads();
    copy_seams.esc_pending = [] { return true; };
    EXPECT_EQ(Copy(Path("tree"), Path("copy")), -1);
    EXPECT_EQ(Threads(), threads);
    EXPECT_EQ(ShellOutput("find '" + Path("copy") + "' -name '.dv*'"), "");
    // Whatever was copied is whole, with its time: cmp and find agree.
    const std::string copied = ShellOutput("cd '" + Path("copy") + "' && find . -type f -printf '%p %m %T@\\n' | sort");
    const std::string compared =
        ShellOutput("cd '" + Path("copy") + "' && find . -type f -exec cmp {} '" + Path("tree") + "'/{} ';' 2>&1");
    EXPECT_EQ(compared, "");
    const std::string sources = ShellOutput("cd '" + Path("tree") + "' && find . -type f -printf '%p %m %T@\\n' | sort");
    for (size_t start = 0, end; (end = copied.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_NE(sources.find(copied.substr(start, end - start + 1)), std::string::npos) << copied.substr(start);
}

}  // namespace
