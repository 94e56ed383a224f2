// Failures in the middle of a copy or move: a full disk, read errors, a
// failing close, a rename across devices, permission denied, the user's Esc.
// Whatever happens, no source is lost and no partial file stays under the
// destination name.
#include <errno.h>

#include "fileops/copyfile.h"
#include "fileops/fserror.h"
#include "tests/fileops/fileops_fixture.h"

namespace {

class FaultTest : public FileOpsTest {};

// Seams whose calls fail with fault_errno after good_calls good ones.
std::atomic<int> good_calls{0};
int fault_errno = 0;
bool Fails() { return good_calls-- <= 0 ? (errno = fault_errno, true) : false; }
ssize_t failing_read(int fd, void* buffer, size_t size) { return Fails() ? -1 : read(fd, buffer, size); }
ssize_t failing_write(int fd, const void* buffer, size_t size) { return Fails() ? -1 : write(fd, buffer, size); }
int fake_exdev(const char*, const char*) { errno = EXDEV; return -1; }
int failing_close(int fd) { close(fd); errno = EIO; return -1; }
// EIO on the first two reads of every three: the retries get past it.
std::atomic<int> flaky_count{0};
ssize_t flaky_read(int fd, void* buffer, size_t size) {
    if (flaky_count++ % 3 < 2) {
        errno = EIO;
        return -1;
    }
    return read(fd, buffer, size);
}

TEST_F(FaultTest, FullDiskAndFailingCloseKeepTheSources) {
    std::string src = Write("src", Big(200000));
    Files({"tree/", "tree/f=f"});
    fault_errno = ENOSPC;
    copy_seams.write = &failing_write;
    copy_seams.rename = &fake_exdev;  // both moves copy, as across devices
    Answer("s s");
    good_calls = 2;
    EXPECT_EQ(Move(src, Path("dst"), false), ENOSPC);
    EXPECT_TRUE(FirstShows("No room for")) << FirstScreen();
    // A directory move: the source directory and its file stay.
    good_calls = 0;
    EXPECT_EQ(Move(Path("tree"), Path("moved"), true), RESULT_SKIPPED);
    Expect({"!dst", "src=" + Big(200000), "tree/f=f", "!moved/f"});
    // A failing close: the copy goes, the source stays.
    copy_seams.write = nullptr;
    copy_seams.close = &failing_close;
    ui.Keys("s");
    EXPECT_EQ(Move(src, Path("dst"), false), EIO);
    Expect({"!dst", "src=" + Big(200000)});
}

TEST_F(FaultTest, InjectedCrossDeviceRenameFallsBackToCopy) {
    copy_seams.rename = &fake_exdev;
    MakeDir("tree");
    Write("tree/f", "f", 0600, 1234);
    EXPECT_EQ(Move(Path("tree"), Path("moved"), true), 0);
    Expect({"!tree", "moved/f=f"});
    EXPECT_EQ(Stat(Path("moved/f")).st_mtim.tv_sec, 1234);
}

// A tree moved to another device: the copies of all its files reach the
// disk in one sync before any source goes, and each directory goes after
// its entries; when that sync fails, every source stays and the failure is
// told once.
int sync_calls = 0;
int failing_syncfs(int) {
    sync_calls++;
    errno = EIO;
    return -1;
}
int counted_syncfs(int fd) {
    sync_calls++;
    return syncfs(fd);
}

TEST_F(FaultTest, MovedSourcesGoOnlyAfterOneSyncOfTheirCopies) {
    copy_seams.rename = &fake_exdev;
    std::vector<std::string> files = {"tree/", "tree/sub/", "tree/sub/deeper/"}, kept, copied, moved;
    for (int i = 0; i < 40; i++) {
        const std::string file = std::string(i % 3 == 0 ? "" : i % 3 == 1 ? "sub/" : "sub/deeper/") +
                                 NumberedName("f", i) + "=" + NumberedName("text ", i);
        files.push_back("tree/" + file);
        kept.push_back("tree/" + file);
        copied.push_back("copied/" + file);
        moved.push_back("moved/" + file);
    }
    Files(files);

    copy_seams.syncfs = &failing_syncfs;
    Answer("s");
    EXPECT_EQ(Move(Path("tree"), Path("copied"), true), RESULT_SKIPPED);
    EXPECT_EQ(sync_calls, 1);
    EXPECT_EQ(ui.Screens().size(), 1u);
    Expect(kept);
    Expect(copied);

    copy_seams.syncfs = &counted_syncfs;
    sync_calls = 0;
    EXPECT_EQ(Move(Path("tree"), Path("moved"), true), 0);
    EXPECT_EQ(sync_calls, 1);
    Expect(moved);
    Expect({"!tree"});
}

TEST_F(FaultTest, ReadErrors) {
    std::string src = Write("src", Big(200000));
    good_calls = 3;
    fault_errno = EIO;
    copy_seams.read = &failing_read;
    Answer("r s");  // Retry once (three more failures), then Skip
    EXPECT_EQ(Copy(src, Path("dst")), EIO);
    ASSERT_EQ(ui.Screens().size(), 2u);
    EXPECT_TRUE(FirstShows("Error reading disk")) << FirstScreen();
    Expect({"!dst", "src=" + Big(200000)});

    // Taking another error for the end of the file would leave a short copy
    // that looks complete, and the move would then delete the source.
    good_calls = 1;
    fault_errno = EINVAL;
    ui.Keys("s");
    EXPECT_EQ(Move(src, Path("dst"), false), EINVAL);
    Expect({"!dst", "src=" + Big(200000)});

    // Passing errors are retried silently.
    flaky_count = 0;
    copy_seams.read = &flaky_read;
    EXPECT_EQ(Copy(src, Path("dst")), 0);
    EXPECT_EQ(ReadFile(Path("dst")), Big(200000));
}

TEST_F(FaultTest, EscAndBreakStopABigCopyOrMove) {
    std::string src = Write("src", Big(24 << 20));
    Files({"tree/", "tree/b=b"});
    Write("tree/a", Big(24 << 20));
    copy_seams.esc_pending = nullptr;  // the real poll of the console
    ui.Keys("Esc");
    EXPECT_EQ(Copy(src, Path("dst")), -1);
    EXPECT_EQ(ui.QueueLength(), 0);
    ui.Keys("Esc");
    EXPECT_EQ(Move(Path("tree"), Path("moved"), false), -1);
    Expect({"!dst", "tree/a=" + Big(24 << 20), "tree/b=b", "!moved/a"});

    copy_seams.esc_pending = [] {
        break_status = 2;  // the Break key, as the console's handler sets it
        return false;
    };
    EXPECT_EQ(Copy(src, Path("dst")), -1);
    Expect({"!dst"});
}

TEST_F(FaultTest, PermissionDeniedSourceAndDestination) {
    chmod(tmp.path().c_str(), 0777);
    std::string secret = Write("secret", "s", 0600);
    std::string open = Write("open", "o", 0644);
    std::string closed_dir = MakeDir("closed", 0555);
    MakeDir("sticky", 0755);
    std::string kept = Write("sticky/kept", "k", 0644);
    std::string dst = Path("dst");
    // As an ordinary user: the source cannot be read, the directory not written.
    auto copy_fails = [&](const std::string& from, const std::string& to, bool at_destination) {
        return RunAsNobody([&] {
            DescBatch d;
            CopyResult r = copyfile(W(from).c_str(), W(to).c_str(), false, false, nullptr, d, 0);
            return r.code == EACCES && r.destination == at_destination ? 0 : 1;
        });
    };
    EXPECT_EQ(copy_fails(secret, dst, false), 0);
    EXPECT_EQ(copy_fails(open, closed_dir + "/x", true), 0);
    Expect({"!dst", "!closed/x"});
    // A move whose source cannot be removed keeps it and says so.
    int move_result = RunAsNobody([&] {
        DescBatch d;
        copy_seams.esc_pending = [] { return false; };
        ui.Keys("s");
        int r = ui.Run([&] { return move_file(W(kept).c_str(), W(dst).c_str(), 1, 1, nullptr, d, false); });
        return r > 0 ? 0 : 1;
    });
    EXPECT_EQ(move_result, 0);
    EXPECT_EQ(ReadFile(kept), "k");
}

TEST_F(FaultTest, ErrorPromptMessages) {
    const struct {
        int code;
        const char* text;
        const char* button;
    } cases[] = {
        {ENOENT, "File not found", "Cancel"},
        {EACCES, "Access Denied", "Retry"},
        {EROFS, "Disk write protected, cannot write", "Retry"},
        {EPERM, "(1)", "Retry"},
    };
    for (const auto& c : cases) {
        Answer("Esc");
        int code = c.code, done = 0;
        ui.Run([&] { return fs_error(code, done, L"/the/path", L"/second"); });
        EXPECT_TRUE(FirstShows(c.text)) << c.text << "\n" << FirstScreen();
        EXPECT_TRUE(FirstShows(c.button)) << FirstScreen();
        EXPECT_EQ(code, -1);
        EXPECT_EQ(done, 1);
    }
    // Retry leaves the item undone.
    ui.Keys("r");
    int code = EIO, done = 0;
    ui.Run([&] { return fs_error(code, done, L"/the/path"); });
    EXPECT_EQ(code, EIO);
    EXPECT_EQ(done, 0);
}

}  // namespace
