// The file search engine: what it finds by name, mask and content compared
// with find and grep run over the same tree, in trees with links, a loop,
// an unreadable directory and names that differ only in case; and that a
// scan stops and joins when asked while it is held up.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lib/fsname.h"
#include "panels/mask.h"
#include "panels/namelisting.h"
#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tools/findscan.h"
#include "tools/foundlist.h"

namespace {

using Paths = std::vector<std::string>;

Paths Sorted(Paths paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The lines a command prints, sorted.
Paths Lines(const std::string& command) {
    Paths lines;
    std::istringstream out(ShellOutput(command));
    for (std::string line; std::getline(out, line);)
        if (!line.empty()) lines.push_back(line);
    return Sorted(lines);
}

Paths FoundPaths(FoundList& found) {
    Paths paths;
    std::lock_guard<MutexSem> hold(found.lock());
    for (int i = 0; i < found.count(); i++) paths.push_back(Narrow(found[i].file->name));
    return Sorted(paths);
}

FindOptions Options(const std::string& root, const char* filter, const char* containing = "") {
    FindOptions options;
    options.root = Westring(root.c_str());
    options.filter = Westring(filter);
    options.containing = Westring(containing);
    return options;
}

Paths Search(const FindOptions& options, int* unreadable = nullptr) {
    FoundList found;
    FileScan scan(found);
    EXPECT_EQ(scan.Run(options), FindStart::kStarted);
    if (unreadable) *unreadable = scan.unreadable();
    return FoundPaths(found);
}

// A tree with nested directories, hidden names, names that differ only in
// case, and a link to a file and to a directory outside the loop.
std::string MakeTree(const CTempDir& dir) {
    std::string root = dir.MakeDir("t");
    dir.MakeDir("t/Foo");
    dir.MakeDir("t/foo");
    dir.MakeDir("t/foo/deep");
    dir.MakeDir("t/foo/deep/er");
    dir.MakeDir("t/.hid");
    dir.MakeDir("t/other");
    dir.Write("t/a.txt", "alpha needle here\n");
    dir.Write("t/B.TXT", "nothing to see\n");
    dir.Write("t/Foo/x.txt", "Needle in upper case\n");
    dir.Write("t/foo/x.txt", "a needle in lower case\n");
    dir.Write("t/foo/deep/er/z.c", "int needle;\n");
    dir.Write("t/foo/deep/er/y.h", "int haystack;\n");
    dir.Write("t/.hid/h.txt", "needle hidden\n");
    dir.Write("t/.dot.txt", "plain\n");
    dir.Write("t/other/needles.log", "needles\n");
    dir.Write("t/empty.txt", "");
    return root;
}

}  // namespace

// Names and masks: the paths equal those find prints with -iname (masks
// match without regard to case), for plain masks, several masks, and "*".
TEST(FindScanByName, MatchesFindOverATreeWithCaseTwins) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    struct Case {
        const char* mask;
        const char* find_test;
    } cases[] = {
        {"*.txt", "-iname '*.txt'"},
        {"x.txt", "-iname x.txt"},
        {"*.c|*.h", "\\( -iname '*.c' -o -iname '*.h' \\)"},
        {"*", "-true"},
        {"f*", "-iname 'f*'"},
        {"nomatch*", "-iname 'nomatch*'"},
    };
    for (const Case& c : cases) {
        Paths expected = Lines("find '" + root + "' -mindepth 1 " + c.find_test);
        EXPECT_EQ(Search(Options(root, c.mask)), expected) << c.mask;
    }
    // Both case twins are entered: each holds its own x.txt.
    Paths twins = Search(Options(root, "x.txt"));
    EXPECT_EQ(twins, Sorted({root + "/Foo/x.txt", root + "/foo/x.txt"}));
}

TEST(FindScanByName, OptionsNarrowTheWalk) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    FindOptions flat = Options(root, "*.txt");
    flat.recurse = false;
    EXPECT_EQ(Search(flat), Lines("find '" + root + "' -mindepth 1 -maxdepth 1 -iname '*.txt'"));

    FindOptions visible = Options(root, "*");
    visible.hidden = false;
    EXPECT_EQ(Search(visible), Lines("find '" + root + "' -mindepth 1 -name '.*' -prune -o -print"));

    // A root given with a trailing slash gives the same paths, not "//".
    EXPECT_EQ(Search(Options(root + "/", "*.c")), Paths{root + "/foo/deep/er/z.c"});
}

TEST(FindScanByName, BadInputIsRefusedOrFoundNothing) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    FoundList found;
    FileScan scan(found);
    EXPECT_EQ(scan.Run(Options(root, "*.txt&(")), FindStart::kBadFilter);
    EXPECT_EQ(scan.Start(Options(root, "(*.c")), FindStart::kBadFilter);
    EXPECT_FALSE(scan.running());
    EXPECT_EQ(found.count(), 0);

    // A root that does not exist is one unreadable directory, not a failure.
    int unreadable = 0;
    EXPECT_TRUE(Search(Options(root + "/missing", "*"), &unreadable).empty());
    EXPECT_EQ(unreadable, 1);
    // A root that is a file has nothing to list.
    EXPECT_TRUE(Search(Options(root + "/a.txt", "*"), &unreadable).empty());
    EXPECT_EQ(unreadable, 1);
}

// Content: the files equal those grep -rlF lists, with and without regard
// to case; directories are never listed then, and a file that cannot be
// opened is listed with its error.
TEST(FindScanByContent, MatchesGrepAndSkipsDirectories) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    dir.MakeDir("t/needle.dir");
    EXPECT_EQ(Search(Options(root, "*", "needle")), Lines("grep -rliF needle '" + root + "'"));
    FindOptions exact = Options(root, "*", "Needle");
    exact.case_sensitive = true;
    EXPECT_EQ(Search(exact), Lines("grep -rlF Needle '" + root + "'"));
    FindOptions word = Options(root, "*", "needle");
    word.whole_word = true;
    EXPECT_EQ(Search(word), Lines("grep -rliwF needle '" + root + "'"));
    EXPECT_EQ(Search(Options(root, "*.txt", "NEEDLE")), Lines("grep -rliF --include='*.txt' needle '" + root + "'"));
    // Without a containing text the directory that matches is listed.
    EXPECT_EQ(Search(Options(root, "needle*")), Sorted({root + "/needle.dir", root + "/other/needles.log"}));
}

TEST(FindScanByContent, FindsTextInItsOwnEncodingAndRecordsOffsets) {
    CTempDir dir;
    std::string root = dir.MakeDir("t");
    dir.Write("t/plain.txt", "0123456789needle\n");
    // iconv writes the same text as UTF-16 with a byte-order mark.
    ASSERT_EQ(system(("printf 'xx n\\303\\251edle' | iconv -f UTF-8 -t UTF-16 > '" + root + "/wide.txt'").c_str()),
              0);
    dir.Write("t/utf8.txt", "n\xc3\xa9" "edle in UTF-8\n");
    FoundList found;
    FileScan scan(found);
    ASSERT_EQ(scan.Run(Options(root, "*", "n\xc3\xa9" "edle")), FindStart::kStarted);
    EXPECT_EQ(FoundPaths(found), Sorted({root + "/wide.txt", root + "/utf8.txt"}));
    ASSERT_EQ(scan.Run(Options(root, "plain.txt", "needle")), FindStart::kStarted);
    std::lock_guard<MutexSem> hold(found.lock());
    ASSERT_EQ(found.count(), 3);
    EXPECT_EQ(found[2].match, 10);
    uint64_t bytes = 0;
    for (const char* name : {"/wide.txt", "/utf8.txt", "/plain.txt"}) bytes += ReadFile(root + name).size();
    EXPECT_EQ(found.TotalSize(), bytes);
}

// A file in no Unicode form is searched in the code page given; in the
// default (Latin-1) its bytes are other letters.
TEST(FindScanByContent, CodePageFilesAreReadInTheGivenCodePage) {
    CTempDir dir;
    std::string root = dir.MakeDir("t");
    const std::string word = "\xd0\xb4\xd0\xbe\xd0\xbc";  // a Cyrillic word, in UTF-8
    ASSERT_EQ(system(("printf 'x " + word + " y\\n' | iconv -f UTF-8 -t CP1251 > '" + root + "/cyr.txt'").c_str()),
              0);
    FindOptions options = Options(root, "*", word.c_str());
    EXPECT_TRUE(Search(options).empty());
    options.code_page = 1251;
    EXPECT_EQ(Search(options), Paths{root + "/cyr.txt"});
}

namespace {

// Runs the search as the unprivileged user "nobody" in a child process
// (root may read every directory), giving the paths found, sorted and
// marked when they could not be opened, and, as the last line, the number
// of unreadable directories.
Paths SearchAsNobody(const FindOptions& options) {
    int pipe_fds[2];
    EXPECT_EQ(pipe(pipe_fds), 0);
    pid_t child = fork();
    if (child == 0) {
        close(pipe_fds[0]);
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        FoundList found;
        FileScan scan(found);
        if (scan.Run(options) != FindStart::kStarted) _exit(3);
        std::string out;
        std::lock_guard<MutexSem> hold(found.lock());
        for (int i = 0; i < found.count(); i++) {
            out += Narrow(found[i].file->name);
            out += found[i].match == kFoundCannotOpen ? " (cannot open)\n" : "\n";
        }
        out += "unreadable " + std::to_string(scan.unreadable()) + "\n";
        if (write(pipe_fds[1], out.data(), out.size()) != static_cast<ssize_t>(out.size())) _exit(4);
        _exit(0);
    }
    close(pipe_fds[1]);
    std::string out;
    char chunk[4096];
    for (ssize_t n; (n = read(pipe_fds[0], chunk, sizeof chunk)) > 0;) out.append(chunk, static_cast<size_t>(n));
    close(pipe_fds[0]);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    Paths lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (!lines.empty()) std::sort(lines.begin(), lines.end() - 1);
    return lines;
}

std::string AsNobody(const std::string& command) {
    return getuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " + command : command;
}

}  // namespace

// An unreadable directory is skipped and counted; everything else is found,
// as find run by the same user finds it. A file that cannot be opened for a
// content search is listed as such.
TEST(FindScanFailures, UnreadableDirectoryIsSkippedAndCounted) {
    CTempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    std::string root = MakeTree(dir);
    dir.MakeDir("t/locked", 0755);
    dir.Write("t/locked/secret.txt", "needle\n");
    dir.Write("t/closed.txt", "needle\n");
    ASSERT_EQ(chmod((root + "/closed.txt").c_str(), 0), 0);
    ASSERT_EQ(chmod((root + "/locked").c_str(), 0), 0);

    Paths expected = Lines(AsNobody("find '" + root + "' -mindepth 1 -iname '*.txt' 2>/dev/null"));
    expected.push_back("unreadable 1");
    EXPECT_EQ(SearchAsNobody(Options(root, "*.txt")), expected);

    // grep lists the files it can read; the one it cannot is listed by us
    // too, as a file that could not be opened.
    Paths by_content = SearchAsNobody(Options(root, "*", "needle"));
    Paths grep = Lines(AsNobody("grep -rliF needle '" + root + "' 2>/dev/null"));
    grep.push_back(root + "/closed.txt (cannot open)");
    grep = Sorted(grep);
    grep.push_back("unreadable 1");
    EXPECT_EQ(by_content, grep);
    ASSERT_EQ(chmod((root + "/locked").c_str(), 0755), 0);
}

TEST(FindScanFailures, SpecialFilesAreListedButNotSearched) {
    CTempDir dir;
    std::string root = dir.MakeDir("t");
    // A fifo is not searched; a dangling link is not a regular file either.
    ASSERT_EQ(mkfifo((root + "/pipe.txt").c_str(), 0644), 0);
    ASSERT_EQ(symlink("nowhere", (root + "/dangling.txt").c_str()), 0);
    dir.Write("t/real.txt", "needle");
    EXPECT_EQ(Search(Options(root, "*", "needle")), Paths{root + "/real.txt"});
    // Without content both are listed as entries.
    EXPECT_EQ(Search(Options(root, "*")),
              Sorted({root + "/pipe.txt", root + "/dangling.txt", root + "/real.txt"}));
}

// Links: not followed, a link to a directory is listed like find lists it;
// followed, a loop ends and every file is listed once, where find -L lists
// the same files.
TEST(FindScanLinks, LoopsEndAndFilesAreListedOnce) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    ASSERT_EQ(symlink("..", (root + "/foo/deep/up").c_str()), 0);
    ASSERT_EQ(symlink(root.c_str(), (root + "/other/loop").c_str()), 0);
    ASSERT_EQ(symlink("a.txt", (root + "/link.txt").c_str()), 0);

    EXPECT_EQ(Search(Options(root, "*")), Lines("find '" + root + "' -mindepth 1"));

    FindOptions follow = Options(root, "*");
    follow.follow_links = true;
    Paths found = Search(follow);
    // find -L leaves out the links that close a loop; they are entries that
    // match, so they are listed here, just not entered.
    Paths expected = Lines("find -L '" + root + "' -mindepth 1 2>/dev/null");
    expected.push_back(root + "/foo/deep/up");
    expected.push_back(root + "/other/loop");
    EXPECT_EQ(found, Sorted(expected));
    EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());

    // A link to a directory outside the tree is entered when followed.
    CTempDir outside;
    outside.Write("far.txt", "x");
    ASSERT_EQ(symlink(outside.path().c_str(), (root + "/away").c_str()), 0);
    EXPECT_EQ(Search(Options(root, "far.txt")), Paths{});
    FindOptions far = Options(root, "far.txt");
    far.follow_links = true;
    EXPECT_EQ(Search(far), Paths{root + "/away/far.txt"});
}

TEST(FindScanOrder, PendingDirectoriesKeepExactNames) {
    std::set<Westring, PendingDirectoryOrder> pending;
    EXPECT_TRUE(pending.insert(Westring(L"/x/Foo")).second);
    EXPECT_TRUE(pending.insert(Westring(L"/x/foo")).second);
    EXPECT_FALSE(pending.insert(Westring(L"/x/foo")).second);
    EXPECT_TRUE(pending.insert(Westring(L"/x/FOO")).second);
    EXPECT_TRUE(pending.insert(Westring(L"/x/bar")).second);
    EXPECT_EQ(pending.size(), 4u);
    EXPECT_TRUE(SameChars(*pending.begin(), Westring(L"/x/bar")));
}

namespace {

// The paths found in the system's bytes, sorted.
Paths FoundBytes(const FindOptions& options) {
    FoundList found;
    FileScan scan(found);
    EXPECT_EQ(scan.Run(options), FindStart::kStarted);
    Paths paths;
    std::lock_guard<MutexSem> hold(found.lock());
    for (int i = 0; i < found.count(); i++) paths.push_back(EncodeFileName(found[i].file->name).c_str());
    return Sorted(paths);
}

// Makes every listing report DT_UNKNOWN while it lives, as file systems
// that do not record the kind in the directory do.
class CKindsHidden {
public:
    CKindsHidden() { name_listing_hides_kinds = true; }
    ~CKindsHidden() { name_listing_hides_kinds = false; }
    CKindsHidden(const CKindsHidden&) = delete;
    CKindsHidden& operator=(const CKindsHidden&) = delete;
};

}  // namespace

// The walk takes the kind of each name from the listing and looks closer
// only when it must: with kinds listed and without, links followed and
// not, the paths equal find's.
TEST(FindScanKinds, ListingWithoutKindsWalksTheSameTree) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    ASSERT_EQ(symlink("..", (root + "/foo/deep/up").c_str()), 0);
    ASSERT_EQ(symlink("foo", (root + "/twin").c_str()), 0);
    ASSERT_EQ(symlink("a.txt", (root + "/link.txt").c_str()), 0);
    CTempDir outside;
    outside.MakeDir("far.d");
    outside.Write("far.d/far.txt", "x");
    ASSERT_EQ(symlink(outside.path().c_str(), (root + "/away").c_str()), 0);

    const Paths all = Lines("find '" + root + "' -mindepth 1");
    const Paths txt = Lines("find '" + root + "' -mindepth 1 -iname '*.txt'");
    FindOptions follow = Options(root, "*.txt");
    follow.follow_links = true;
    // Followed, the twin link enters foo a second time under its own name
    // only when foo has not been entered yet; either way far.txt is found
    // once, through the link that leads out of the tree.
    for (bool hidden_kinds : {false, true}) {
        std::unique_ptr<CKindsHidden> hide(hidden_kinds ? new CKindsHidden : nullptr);
        EXPECT_EQ(Search(Options(root, "*")), all) << hidden_kinds;
        EXPECT_EQ(Search(Options(root, "*.txt")), txt) << hidden_kinds;
        Paths followed = Search(follow);
        EXPECT_EQ(std::count(followed.begin(), followed.end(), root + "/away/far.d/far.txt"), 1) << hidden_kinds;
        EXPECT_EQ(std::adjacent_find(followed.begin(), followed.end()), followed.end());
        FindOptions flat = Options(root, "*");
        flat.recurse = false;
        EXPECT_EQ(Search(flat), Lines("find '" + root + "' -mindepth 1 -maxdepth 1")) << hidden_kinds;
    }
}

// A filter that tests more than the name is evaluated on the whole entry:
// sizes, the directory attribute and links described by their targets.
TEST(FindScanKinds, FiltersOnAttributesMatchFind) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    dir.Write("t/foo/big.txt", std::string(3000, 'x'));
    dir.Write("t/edge.bin", std::string(1024, 'x'));
    ASSERT_EQ(symlink("foo/big.txt", (root + "/big.lnk").c_str()), 0);
    ASSERT_EQ(symlink("other", (root + "/dir.lnk").c_str()), 0);
    const std::string find = "find '" + root + "' -mindepth 1 ";
    // find -L describes links by their targets too; it would also enter
    // the link to a directory, which is not followed here.
    const std::string by_target = "find -L '" + root + "' -mindepth 1 -name dir.lnk -prune -o ";
    for (bool hidden_kinds : {false, true}) {
        std::unique_ptr<CKindsHidden> hide(hidden_kinds ? new CKindsHidden : nullptr);
        EXPECT_EQ(Search(Options(root, "%size>1k")), Lines(by_target + "-type f -size +1k -print")) << hidden_kinds;
        EXPECT_EQ(Search(Options(root, "*.txt&!%size<1")), Lines(by_target + "-iname '*.txt' -type f -size +0c -print"))
            << hidden_kinds;
        EXPECT_EQ(Search(Options(root, "%attrib=d")), Lines(find + "-xtype d")) << hidden_kinds;
        EXPECT_EQ(Search(Options(root, "*.c|%attrib=d&f*")),
                  Lines(find + "\\( -iname '*.c' -o -xtype d -iname 'f*' \\)"))
            << hidden_kinds;
    }
}

// Names are decoded without loss: UTF-8, bytes that are no UTF-8 at all,
// and a '%' inside a quoted mask, which tests the name and nothing else.
TEST(FindScanKinds, NamesOfAnyBytesMatchFind) {
    CTempDir dir;
    std::string root = dir.MakeDir("t");
    dir.MakeDir("t/d\xc3\xa9j\xc3\xa0");
    for (const char* name : {"caf\xc3\xa9.c", "\xff\xfe.c", "d\xc3\xa9j\xc3\xa0/\xe2\x82\xac.c", "plain.c",
                             "d\xc3\xa9j\xc3\xa0/x\xc3.h", "50%off.txt", "50.txt"})
        dir.Write(std::string("t/") + name, "");
    const std::string find = "LC_ALL=C find '" + root + "' -mindepth 1 ";
    EXPECT_EQ(FoundBytes(Options(root, "*.c")), Lines(find + "-name '*.c'"));
    EXPECT_EQ(FoundBytes(Options(root, "*")), Lines(find));
    EXPECT_EQ(FoundBytes(Options(root, "\"50%*\"")), Lines(find + "-name '50%*'"));
}

// Masks of "*", "?" and plain characters are matched by a shorter way than
// masks with sets; writing one letter as a set of itself must not change
// any answer, with case folded beyond ASCII too. Names are evaluated alone
// exactly as on an entry that holds nothing else.
TEST(FindScanFilter, PlainMasksAgreeWithMasksWithSets) {
    struct Pair {
        const wchar_t* plain;
        const wchar_t* with_set;
    } pairs[] = {
        {L"*.c", L"*.[c]"},          {L"a*b?c", L"[a]*b?c"},     {L"**x*", L"**[x]*"},
        {L"*\u00e9*", L"*[\u00e9]*"}, {L"?*?.h", L"?*?.[h]"},     {L"*ab*ab", L"*ab*a[b]"},
        {L"x", L"[x]"},              {L"*\u03a3", L"*[\u03a3]"},
    };
    const wchar_t* names[] = {L"",       L"x",          L"X",      L"x.c",        L"X.C",     L"a.c.c",
                              L"abxc",   L"AB1C",       L"ab1cc",  L"\u00c9",     L"caf\u00e9x", L"abab",
                              L"aabab",  L"abzab",      L"..h",    L"ab.h",       L"\u03c3",  L"x\u03c3"};
    for (const Pair& pair : pairs) {
        for (const wchar_t* name : names) {
            entry* e = entry::Create(name);
            EXPECT_EQ(mask_eval(pair.plain, name), mask_eval(pair.with_set, name))
                << Narrow(pair.plain) << " on " << Narrow(name);
            EXPECT_EQ(mask_eval(pair.plain, name), mask_eval(pair.plain, *e));
            entry::Destroy(e);
        }
    }
    // Masks longer than most, with blanks at their end that do not count.
    const std::wstring long_name(150, L'a');
    for (const std::wstring& tail : {std::wstring(L"*"), std::wstring(L"*   "), std::wstring(L"?")}) {
        const std::wstring plain = long_name + tail;
        const std::wstring with_set = L"[a]" + long_name.substr(1) + tail;
        for (const std::wstring& name : {long_name, long_name + L"b", long_name + L"bb"}) {
            EXPECT_EQ(mask_eval(plain.c_str(), name.c_str()), mask_eval(with_set.c_str(), name.c_str()));
        }
    }
    // Every character of a long mask counts: one "?" more than the name has.
    EXPECT_EQ(mask_eval((long_name + L"?   ").c_str(), (long_name + L"b").c_str()), 1);
    EXPECT_EQ(mask_eval((long_name + L"?").c_str(), long_name.c_str()), 0);
    EXPECT_TRUE(mask_tests_name_only(L"*.c|\"%x\"&!(a*)"));
    EXPECT_FALSE(mask_tests_name_only(L"*.c|%size>0"));
    EXPECT_FALSE(mask_tests_name_only(L"*.c|("));
    // A test of the entry read on a bare name sees a zero size.
    EXPECT_EQ(mask_eval(L"x*&%size<1", L"xy"), 1);
}

// Stopping: a scan held up by its directory seam stops when asked, its
// thread is joined before Abort returns, and the list no longer grows.
TEST(FindScanThread, AbortWhileHeldUpJoinsTheThread) {
    CTempDir dir;
    std::string root = MakeTree(dir);
    FoundList found;
    FileScan scan(found);
    std::atomic<int> entered{0};
    std::atomic<bool> finished{false};
    scan.on_directory = [&](const Westring&) {
        entered++;
        while (!scan.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    scan.on_finished = [&] { finished = true; };
    ASSERT_EQ(scan.Start(Options(root, "*")), FindStart::kStarted);
    while (entered.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(scan.running());
    scan.Abort();
    EXPECT_TRUE(finished.load());
    EXPECT_FALSE(scan.running());
    EXPECT_TRUE(scan.stopped());
    EXPECT_EQ(entered.load(), 1);
    EXPECT_EQ(found.count(), 0);

    // The same scan object runs again to the end afterwards.
    scan.on_directory = nullptr;
    ASSERT_EQ(scan.Start(Options(root, "*.txt")), FindStart::kStarted);
    scan.Wait();
    EXPECT_FALSE(scan.stopped());
    EXPECT_EQ(FoundPaths(found), Lines("find '" + root + "' -mindepth 1 -iname '*.txt'"));
}

// A reader that walks the list under its lock while the scan adds to it
// sees a consistent list; Clear and Remove keep the count and the current
// index within the records.
TEST(FindScanThread, ReadersUnderTheLockSeeAConsistentList) {
    CTempDir dir;
    std::string root = dir.MakeDir("t");
    for (int d = 0; d < 20; d++) {
        std::string sub = dir.MakeDir(NumberedName("t/d", d));
        for (int f = 0; f < 50; f++) dir.Write(NumberedName("t/d" + std::to_string(d) + "/f", f), "x");
    }
    FoundList found;
    FileScan scan(found);
    ASSERT_EQ(scan.Start(Options(root, "f*")), FindStart::kStarted);
    std::wstring prefix = Westring(root.c_str()).c_str();
    int malformed = 0;
    while (scan.running()) {
        std::lock_guard<MutexSem> hold(found.lock());
        for (int i = 0; i < found.count(); i++)
            malformed += std::wstring(found[i].file->name).compare(0, prefix.size(), prefix) != 0;
    }
    scan.Wait();
    EXPECT_EQ(malformed, 0);
    EXPECT_EQ(found.count(), 1000);
    found.current = 999;
    found.Remove(999);
    EXPECT_EQ(found.count(), 999);
    EXPECT_EQ(found.current, 998);
    found.Remove(5000);
    found.Remove(-1);
    EXPECT_EQ(found.count(), 999);
    found.Clear();
    EXPECT_EQ(found.count(), 0);
    EXPECT_EQ(found.current, 0);
}
