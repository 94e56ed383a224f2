// Shift-F1: the manual opens in the first web browser found on the search path.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "shell/manual.h"
#include "tests/fileops/temp_dir.h"

namespace {

class ManualTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        saved_path_ = path ? path : "";
        setenv("PATH", bin_.path().c_str(), 1);
    }
    void TearDown() override { setenv("PATH", saved_path_.c_str(), 1); }

    // A stand-in browser that writes its arguments to out.
    std::string Browser(const std::string& name, const std::string& out) {
        std::string file = bin_.Write(name, "#!/bin/sh\necho \"$@\" > '" + out + ".tmp' && /bin/mv '" + out + ".tmp' '" + out + "'\n");
        EXPECT_EQ(chmod(file.c_str(), 0755), 0);
        return file;
    }
    static std::string WaitForFile(const std::string& path) {
        for (int i = 0; i < 300; i++) {
            std::ifstream in(path);
            if (in) {
                std::stringstream content;
                content << in.rdbuf();
                return content.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return "(never written)";
    }

    CTempDir bin_, out_;
    std::string saved_path_;
};

TEST_F(ManualTest, TheFirstBrowserOfTheListGetsTheIndexPage) {
    Browser("epiphany", out_ / "epiphany");
    std::string preferred = Browser("firefox", out_ / "firefox");
    EXPECT_STREQ(FindBrowser().ToUTF8().c_str(), preferred.c_str());
    EXPECT_TRUE(open_manual());
    EXPECT_EQ(WaitForFile(out_ / "firefox"), std::string("file://") + kManualIndex + "\n");
    EXPECT_NE(access((out_ / "epiphany").c_str(), F_OK), 0);
}

TEST_F(ManualTest, NothingWithoutABrowser) {
    bin_.Write("x-www-browser", "not executable");
    EXPECT_TRUE(FindBrowser().empty());
    EXPECT_FALSE(open_manual());
}

}  // namespace
