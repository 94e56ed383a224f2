// Symbolic-link targets.
#include "fileops/query/links.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "lib/fsname.h"
#include "tests/fileops/temp_dir.h"

namespace {

Westring Wide(const std::string& bytes) { return DecodeFileName(bytes.c_str()); }

TEST(LinkTargetTest, Targets) {
    CTempDir dir;
    ASSERT_EQ(symlink("plain/target", (dir / "plain").c_str()), 0);
    EXPECT_STREQ(GetLinkTarget(Wide(dir / "plain")).c_str(), L"plain/target");
    ASSERT_EQ(symlink("caf\xc3\xa9", (dir / "utf8").c_str()), 0);
    EXPECT_STREQ(GetLinkTarget(Wide(dir / "utf8")).c_str(), L"caf\u00e9");
}

TEST(LinkTargetTest, LongTargetIsNotCut) {
    CTempDir dir;
    // Past the old 2047-byte limit, within what the system allows.
    std::string target;
    while (target.size() < 4000) target += "segment-" + std::to_string(target.size()) + "/";
    ASSERT_EQ(symlink(target.c_str(), (dir / "long").c_str()), 0);
    Westring got = GetLinkTarget(Wide(dir / "long"));
    EXPECT_EQ(EncodeFileName(got).c_str(), target);
}

TEST(LinkTargetTest, InvalidUtf8TargetAndLinkName) {
    CTempDir dir;
    std::string raw_link = dir / "l\xff";
    ASSERT_EQ(symlink("t\xe9\x80", raw_link.c_str()), 0);
    Westring got = GetLinkTarget(Wide(raw_link));
    EXPECT_STREQ(got.c_str(), L"t\xdce9\xdc80");
    EXPECT_STREQ(EncodeFileName(got).c_str(), "t\xe9\x80");
}

TEST(LinkTargetTest, NotALink) {
    CTempDir dir;
    std::string file = dir.Write("file", "x");
    EXPECT_TRUE(GetLinkTarget(Wide(file)).empty());
    EXPECT_TRUE(GetLinkTarget(Wide(dir.path())).empty());
    EXPECT_TRUE(GetLinkTarget(Wide(dir / "missing")).empty());
    EXPECT_TRUE(GetLinkTarget(L"").empty());
}

TEST(LinkTargetTest, SystemLinkWithoutSize) {
    // Links the system makes up report size 0.
    std::string expected = std::to_string(getpid());
    EXPECT_STREQ(EncodeFileName(GetLinkTarget(L"/proc/self")).c_str(), expected.c_str());
}

}  // namespace
