// Shift-F1: the manual opens in the first web browser found on the search path.

#include <unistd.h>

#include <chrono>
#include <thread>

#include "shell/manual.h"
#include "tests/support/env_guard.h"
#include "tests/support/temp_dir.h"

namespace {

class ManualTest : public ::testing::Test {
protected:
    // A stand-in browser that writes its arguments to out.
    std::string Browser(const std::string& name, const std::string& out) {
        return bin_.Write(name, "#!/bin/sh\necho \"$@\" > '" + out + ".tmp' && /bin/mv '" + out + ".tmp' '" + out + "'\n",
                          0755);
    }

    CTempDir bin_, out_;
    CEnvGuard path_{"PATH", bin_.path().c_str()};
};

TEST_F(ManualTest, TheFirstBrowserOfTheListGetsTheIndexPage) {
    Browser("epiphany", out_ / "epiphany");
    std::string preferred = Browser("firefox", out_ / "firefox");
    EXPECT_STREQ(FindBrowser().ToUTF8().c_str(), preferred.c_str());
    EXPECT_TRUE(open_manual());
    // A generous wait for the browser, not a timing test.
    for (int i = 0; i < 300 && !PathExists(out_ / "firefox"); i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadFile(out_ / "firefox"), std::string("file://") + kManualIndex + "\n");
    EXPECT_FALSE(PathExists(out_ / "epiphany"));
}

TEST_F(ManualTest, NothingWithoutABrowser) {
    bin_.Write("x-www-browser", "not executable");
    EXPECT_TRUE(FindBrowser().empty());
    EXPECT_FALSE(open_manual());
}

}  // namespace
