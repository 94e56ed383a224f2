// A configuration file in a fresh directory, read and written with a
// headless console for the messages; the program-wide settings are put back
// to their defaults around every test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "exec/environment.h"
#include "shell/cmdline.h"
#include "config/archivers.h"
#include "shell/configdialog.h"
#include "shell/configdirectives.h"
#include "shell/configfile.h"
#include "shell/configread.h"
#include "shell/configsave.h"
#include "shell/inifile.h"
#include "tests/support/temp_dir.h"
#include "tests/support/uitest.h"

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini_ = dir_ / "dv.ini";
        UseFile(ini_);
        Reset();
    }
    void TearDown() override {
        config_save_fault = nullptr;
        config_hooks = ConfigHooks();
        UseFile(dir_ / "absent.ini");
        Reset();
        program_args.ini_file = Westring();
        SessionEnv.Clear();
    }

    // The configuration file named on the command line.
    static void UseFile(const std::string& path) { program_args.ini_file = Westring(path.c_str()); }

    // Reads with the defaults set first, as at start-up.
    void Reset() { ui.RunVoid([] { configure(false); }); }

    // Writes content to the file and reads it; each of the messages expected
    // is dismissed with Enter and its screen kept in Screens().
    void Load(const std::string& content, int messages = 0) {
        WriteFile(ini_, content);
        Read(false, messages);
    }
    void Read(bool reload, int messages = 0) {
        Expect(messages, [reload] { configure(reload); return 0; });
    }
    // Saves; the result of save_config.
    int Save(int messages = 0) { return Expect(messages, [] { return save_config(); }); }

    int Expect(int messages, const std::function<int()>& body) {
        for (int i = 0; i < messages; i++) ui.Keys("Enter");
        ui.RecordScreens(true);
        int result = ui.Run(body);
        EXPECT_EQ(ui.QueueLength(), 0) << "fewer messages than the " << messages << " expected";
        ui.ClearQueue();
        return result;
    }
    const std::vector<CUiTest::Screen>& Screens() const { return ui.Screens(); }

    // Whether screen n of the messages shows text.
    bool Showed(size_t n, const std::string& text) const { return n < Screens().size() && Screens()[n].Find(text); }
    std::string Dump(size_t n) const { return n < Screens().size() ? Screens()[n].Dump() : "(no screen)"; }

    // The key=value lines of one section of a saved file.
    static std::map<std::string, std::string> Section(const std::string& text, const std::string& header) {
        std::map<std::string, std::string> out;
        size_t at = text.find(header + "\r\n");
        if (at == std::string::npos) return out;
        std::istringstream lines(text.substr(at + header.size() + 2));
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '[') break;
            size_t equals = line.find('=');
            out[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
        }
        return out;
    }

    CTempDir dir_;
    std::string ini_;
    CUiTest ui{80, 25};
};
