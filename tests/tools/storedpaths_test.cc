// Which variable of a stored path has no value: only real references
// count, and an empty value is as good as none (it would be substituted
// by nothing).
#include <gtest/gtest.h>

#include "config/config.h"
#include "exec/environment.h"
#include "tests/support/env_guard.h"
#include "tools/storedpaths.h"

namespace {

class StoredPathVariablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        SessionEnv.Set("DV_SP_SET", "/srv");
        SessionEnv.Set("DV_SP_EMPTY", "");
    }
    void TearDown() override {
        SessionEnv.Set("DV_SP_SET", nullptr);
        SessionEnv.Set("DV_SP_EMPTY", nullptr);
    }
    static std::string Unset(const char* text) { return unset_variable(Westring(text)).ToUTF8().c_str(); }
};

TEST_F(StoredPathVariablesTest, NamesTheFirstVariableWithoutAValue) {
    EXPECT_EQ(Unset("$DV_SP_SET/www"), "");
    EXPECT_EQ(Unset("/plain/path"), "");
    EXPECT_EQ(Unset("/a$/b$-c/$"), "");  // a "$" without a name refers to nothing
    EXPECT_EQ(Unset("$DV_SP_SET/$DV_SP_MISSING/$DV_SP_OTHER"), "$DV_SP_MISSING");
    EXPECT_EQ(Unset("$DV_SP_SET$DV_SP_EMPTY/x"), "$DV_SP_EMPTY");
    EXPECT_EQ(Unset("/x/~/y"), "");  // "~" counts only at the start
}

TEST_F(StoredPathVariablesTest, ALeadingTildeNeedsHome) {
    CEnvGuard no_home("HOME", nullptr);
    EXPECT_EQ(Unset("~/src"), "HOME");
    CEnvGuard home("HOME", "/home/u");
    EXPECT_EQ(Unset("~/src"), "");
}

TEST(StoredPathLines, EmptySlotsAndLongDirectoriesFitTheirWidth) {
    dirstore[1] = Westring("/a/very/long/directory/name/that/cannot/fit");
    EXPECT_STREQ(sp_line(0, 22).ToUTF8().c_str(), "0 - Empty");
    const std::string line = sp_line(1, 22).ToUTF8().c_str();
    EXPECT_EQ(line.rfind("1 - /a/", 0), 0u) << line;
    EXPECT_NE(line.find("fit"), std::string::npos) << line;
    EXPECT_LE(line.size(), 4u + 16u) << line;
    dirstore[1] = Westring();
}

}  // namespace
