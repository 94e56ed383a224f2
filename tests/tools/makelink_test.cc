// The targets of relative symbolic links, against realpath --relative-to,
// through directories reached by symbolic links on either side; the links
// made resolve (readlink -f) to the very files they were made for.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "tests/support/shell_output.h"
#include "tests/support/temp_dir.h"
#include "tools/makelink.h"
#include "tools/symlinktarget.h"

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}
std::string Quoted(const std::string& path) { return "'" + path + "'"; }
std::string DirOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

class RelativeLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_.MakeDir("a");
        base_.MakeDir("b");
        base_.MakeDir("deep");
        base_.MakeDir("deep/er");
        base_.MakeDir("deep/er/x");
        base_.Write("a/f", "file a/f");
        base_.Write("deep/er/x/g", "file g");
        // "via" leads two levels down; "back" leads from deep into a.
        ASSERT_EQ(symlink("deep/er", (base_ / "via").c_str()), 0);
        ASSERT_EQ(symlink("../a", (base_ / "deep/back").c_str()), 0);
    }
    // What realpath computes for a link at link leading to target.
    static std::string Oracle(const std::string& link, const std::string& target) {
        return Trimmed(ShellOutput("realpath --relative-to=" + Quoted(DirOf(link)) + " " + Quoted(target)));
    }
    static std::string Computed(const std::string& link, const std::string& target) {
        return Narrow(relative_link_target(Westring(link.c_str()), Westring(target.c_str())));
    }
    static std::string Resolved(const std::string& path) {
        return Trimmed(ShellOutput("readlink -f " + Quoted(path)));
    }

    CTempDir base_;
};

TEST_F(RelativeLinkTest, TargetsAgreeWithRealpathThroughLinkedDirectories) {
    const std::pair<std::string, std::string> cases[] = {
        {"b/l", "a/f"},               // a sibling directory: ../a/f
        {"a/l", "a/f"},               // beside the target: the bare name
        {"via/x/l", "a/f"},           // the link's directory is three levels deep for real
        {"b/l", "via/x/g"},           // the target's directory is reached through a link
        {"deep/back/l", "via/x/g"},   // both sides through links
        {"via/l", "deep/er"},         // the link's own directory, by another name: "."
        {"l", "deep/back/f"},         // at the top of the tree
    };
    for (const auto& [link_leaf, target_leaf] : cases) {
        const std::string link = base_ / link_leaf, target = base_ / target_leaf;
        const std::string computed = Computed(link, target);
        EXPECT_EQ(computed, Oracle(link, target)) << link_leaf << " -> " << target_leaf;
        ASSERT_EQ(CreateSymLink(Westring(link.c_str()), Westring(computed.c_str())), 0) << link_leaf;
        EXPECT_EQ(Resolved(link), Resolved(target)) << link_leaf << " -> " << target_leaf;
        ASSERT_EQ(unlink(link.c_str()), 0);
    }
}

TEST_F(RelativeLinkTest, ALinkToALinkKeepsTheLastComponent) {
    // The link leads to "via" itself, not past it: changing where via leads
    // changes where the new link leads.
    const std::string link = base_ / "b/l";
    EXPECT_EQ(Computed(link, base_ / "via"), "../via");
    ASSERT_TRUE(MakeSymLink(Westring(link.c_str()), Westring((base_ / "via").c_str()), true));
    EXPECT_EQ(Trimmed(ShellOutput("readlink " + Quoted(link))), "../via");
    EXPECT_EQ(Resolved(link), Resolved(base_ / "deep/er"));
}

TEST_F(RelativeLinkTest, AbsoluteLinksHoldTheTargetAsGiven) {
    const std::string link = base_ / "b/abs", target = base_ / "via/x/g";
    ASSERT_TRUE(MakeSymLink(Westring(link.c_str()), Westring(target.c_str()), false));
    EXPECT_EQ(Trimmed(ShellOutput("readlink " + Quoted(link))), target);
    EXPECT_EQ(ReadFile(link), "file g");
}

}  // namespace
