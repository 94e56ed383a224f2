#include <gtest/gtest.h>

#include "lib/westring.h"

TEST(ShellSmoke, Builds) { EXPECT_TRUE(Westring(L"ABC") == L"abc"); }
