// Where the program finds its own files: the shared syntax colours come from
// beside the program when it runs from its build folder, else from where it
// is installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "lib/fsname.h"
#include "shell/cmdline.h"
#include "shell/progfiles.h"
#include "tests/support/temp_dir.h"

namespace {

class ProgramFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_prog_ = DVProg;
        saved_ini_ = program_args.ini_file;
        program_args.ini_file = Westring();
    }
    void TearDown() override {
        DVProg = saved_prog_;
        program_args.ini_file = saved_ini_;
    }
    Westring saved_prog_, saved_ini_;
};

TEST_F(ProgramFilesTest, TheBuiltProgramFindsTheSyntaxColoursBesideIt) {
    DVProg = DecodeFileName(DV_BINARY_PATH);
    const std::string shared = EncodeFileName(DVFilename(DV_SYNTAX, 1)).c_str();
    EXPECT_EQ(shared, std::filesystem::path(DV_BINARY_PATH).parent_path().string() + "/dvsyntax.ini");
    EXPECT_TRUE(std::filesystem::exists(shared));
}

TEST_F(ProgramFilesTest, AnInstalledProgramFindsThemUnderItsPrefix) {
    CTempDir dir;
    DVProg = DecodeFileName((dir / "bin/editor").c_str());  // nothing beside it
    const std::string shared = EncodeFileName(DVFilename(DV_SYNTAX, 1)).c_str();
    EXPECT_NE(shared.find("/share/dorvik/editorsyntax.ini"), std::string::npos) << shared;
    EXPECT_EQ(shared.find(dir.path()), std::string::npos) << shared;
}

}  // namespace
