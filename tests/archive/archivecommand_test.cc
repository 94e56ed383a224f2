// Archiver command lines as the shell reads them: what each archiver
// program receives as its words, checked by letting sh split them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/archivecommand.h"
#include "lib/fsname.h"
#include "panels/entry.h"
#include "tests/archive/archive_oracle.h"

namespace {

// The words sh makes of text, one per line (no word here holds a newline).
std::vector<std::string> Words(const Westring& text) {
    const std::string output = ShellOutput("for w in " + std::string(EncodeFileName(text).c_str()) +
                                           "; do printf '%s\\n' \"$w\"; done");
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        words.push_back(output.substr(start, end - start));
    return words;
}

struct EntryDeleter {
    void operator()(entry* e) const { entry::Destroy(e); }
};
using EntryPtr = std::unique_ptr<entry, EntryDeleter>;

EntryPtr File(const wchar_t* name) { return EntryPtr(entry::Create(name)); }
EntryPtr Folder(const wchar_t* name) {
    EntryPtr e(entry::Create(name));
    e->attr |= FA_DIREC;
    return e;
}

using Words_ = std::vector<std::string>;

TEST(ArchiveCommandTest, TheTemplateGetsTheArchiveAndTheNamesOnceEach) {
    EXPECT_EQ(Words(FillArchiverTemplate(L"unzip -q", L"/tmp/my archive.zip", L"a\\ b c", true)),
              (Words_{"unzip", "-q", "/tmp/my archive.zip", "--", "a b", "c"}));
    // Where the template names them, nothing is appended.
    EXPECT_EQ(FillArchiverTemplate(L"gzip -dc %a > %f", L"/t.gz", L"t", false), Westring(L"gzip -dc /t.gz > t"));
    // A name holding "%a" is not filled in itself.
    EXPECT_EQ(FillArchiverTemplate(L"gzip -c %f > %a", L"/t.gz", L"my%afile", false),
              Westring(L"gzip -c my%afile > /t.gz"));
}

TEST(ArchiveCommandTest, NamesAreEscapedForTheArchiverAndThenQuotedForTheShell) {
    const ArchiverNaming unzip = NamingFor(ARCHIVE_ZIP, ArchiveOperation::kExtract);
    const ArchiverNaming zip_add = NamingFor(ARCHIVE_ZIP, ArchiveOperation::kAdd);
    const ArchiverNaming tar = NamingFor(ARCHIVE_TAR, ArchiveOperation::kExtract);
    // unzip reads patterns: the name's own * and [ ] are made literal, the
    // folder pattern's "/*" stays a wildcard, and the shell expands nothing.
    EXPECT_EQ(Words(pentry2cmd(nullptr, Folder(L"we*rd [d]").get(), L"", "!/*", false, unzip)),
              (Words_{"we\\*rd \\[d\\]/*"}));
    EXPECT_EQ(Words(pentry2cmd(nullptr, File(L"-x 'q' $HOME").get(), L"sub/", "", false, unzip)),
              (Words_{"sub/-x 'q' $HOME"}));
    EXPECT_EQ(Words(pentry2cmd(nullptr, File(L"-x").get(), L"", "", false, unzip)), (Words_{"[-]x"}));
    // zip adding and tar take names as they are.
    EXPECT_EQ(Words(pentry2cmd(nullptr, File(L"a*b!").get(), L"", "", false, zip_add)), (Words_{"a*b!"}));
    EXPECT_EQ(Words(pentry2cmd(nullptr, File(L"a\\b").get(), L"", "", false, tar)), (Words_{"a\\b"}));
    // In a list file names are bare, and a blank of the pattern starts a new line.
    EXPECT_EQ(pentry2cmd(nullptr, Folder(L"d d").get(), L"p/", "! !/*", true, tar), Westring(L"p/d d\np/d d/*"));
}

TEST(ArchiveCommandTest, SingleFileArchivesNameTheirFileByItsPlainName) {
    const ArchiverNaming gzip_add = NamingFor(ARCHIVE_GZIP, ArchiveOperation::kAdd);
    // A file on disk starting with '-' is kept from gzip's options by "./".
    EXPECT_EQ(Words(pentry2cmd(nullptr, File(L"-v").get(), L"", "", false, gzip_add)), (Words_{"./-v"}));
}

}  // namespace
