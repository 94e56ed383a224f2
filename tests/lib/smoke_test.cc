#include <gtest/gtest.h>

#include "lib/westring.h"

TEST(Smoke, Builds) { EXPECT_TRUE(Westring(L"ABC") == L"abc"); }
