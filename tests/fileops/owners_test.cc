// User and group names and numbers.
#include "fileops/query/owners.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "lib/fsname.h"

namespace {

std::wstring W(const Westring& w) { return w.c_str(); }

TEST(OwnersTest, KnownAndUnknown) {
    EXPECT_EQ(W(UID2Str(0)), L"root");
    EXPECT_EQ(Str2GID(L"root"), 0);
    EXPECT_EQ(W(GID2Str(3999999999u)), L"3999999999");
    // A number is not a name; strange and very long names are simply unknown.
    for (const Westring& name : {Westring(L"3999999999"), Westring(L"x\xdcff\U0001f600"), Westring(String(L'g', 100000))}) {
        EXPECT_EQ(Str2UID(name), -1);
        EXPECT_EQ(Str2GID(name), -1);
    }
}

TEST(OwnersTest, ConcurrentLookups) {
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; t++) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 200; i++) {
                if (W(UID2Str(0)) != L"root") failures[t]++;
                gid_t g = static_cast<gid_t>(3999990000u + static_cast<unsigned>(i % 50));
                if (W(GID2Str(g)) != std::to_wstring(g)) failures[t]++;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

}  // namespace
