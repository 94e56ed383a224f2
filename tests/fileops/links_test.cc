// Symbolic-link targets.
#include "fileops/query/links.h"

#include <unistd.h>

#include "lib/fsname.h"
#include "tests/support/temp_dir.h"

namespace {

Westring Wide(const std::string& bytes) { return DecodeFileName(bytes.c_str()); }

TEST(LinkTargetTest, Targets) {
    CTempDir dir;
    // Past the old 2047-byte limit, within what the system allows.
    std::string long_target;
    while (long_target.size() < 4000) long_target += "segment-" + std::to_string(long_target.size()) + "/";
    const std::pair<std::string, std::string> links[] = {
        {"utf8", "caf\xc3\xa9"}, {"long", long_target}, {"l\xff", "t\xe9\x80"}};
    for (const auto& [name, target] : links) {
        ASSERT_EQ(symlink(target.c_str(), (dir / name).c_str()), 0);
        EXPECT_EQ(EncodeFileName(GetLinkTarget(Wide(dir / name))).c_str(), target) << name;
    }
    EXPECT_STREQ(GetLinkTarget(Wide(dir / "utf8")).c_str(), L"caf\u00e9");
    // Links the system makes up report size 0.
    EXPECT_EQ(EncodeFileName(GetLinkTarget(L"/proc/self")).c_str(), std::to_string(getpid()));
    for (const std::string& path : {dir.Write("file", "x"), dir.path(), dir / "missing", std::string()})
        EXPECT_TRUE(GetLinkTarget(Wide(path)).empty()) << path;
}

}  // namespace
