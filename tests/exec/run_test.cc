// Running commands headless: real /bin/sh and bash under a real
// pseudo-terminal, their output read back from the console's screen.
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "exec/environment.h"
#include "exec/run.h"
#include "exec/smartexec.h"
#include "panels/associations.h"
#include "panels/paneldisplay.h"
#include "tests/panels/panel_test_util.h"
#include "tests/support/env_guard.h"

namespace {

class RunTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        saved_cwd_ = std::filesystem::current_path();
        tmp.MakeDir("sub");
        tmp.Write("hello.txt", "hello from a file\n");
        SetUpPanel(panel_base[0], tmp.path());
        SetUpPanel(panel_base[1], tmp.path());
        read_panel(panel_base);
        SessionEnv.Clear();
        SessionEnv.Set("SHELL", "/bin/sh");
        execAssociations.Clear();
    }
    void TearDown() override {
        SessionEnv.Clear();
        execAssociations.Clear();
        if (chdir(saved_cwd_.c_str()) != 0) ADD_FAILURE();
        PanelTest::TearDown();
    }

    // Runs command as typed on the left panel.
    int Run(const wchar_t* command) { return run_file(command, 0, L"echo>", false); }
    bool Shows(const std::string& text) const { return ui_.Find(text); }
    // Types text into the running command once the screen shows prompt,
    // with a typing mistake put right by BackSpace on the way.
    std::thread TypeAfter(const std::string& prompt, const std::string& text) {
        return std::thread([this, prompt, text] {
            ASSERT_TRUE(WaitForScreen(ui_, prompt)) << ui_.Dump();
            ui_.Headless().Commit("x");
            ui_.Headless().Press(keysym::BackSpace);
            ui_.Headless().Commit(text.c_str());
        });
    }

    // Whether done() becomes true within timeout_ms.
    static bool Eventually(const std::function<bool()>& done, int timeout_ms) {
        for (int waited = 0; waited < timeout_ms; waited += 20) {
            if (done()) return true;
            usleep(20 * 1000);
        }
        return done();
    }

    mutable CUiTest ui_;
    std::string saved_cwd_;
};

TEST_F(RunTest, CommandsRunOnATerminalOfTheConsoleSize) {
    EXPECT_EQ(Run(L"tty; stty size; exit 3"), 3);
    EXPECT_TRUE(Shows("/dev/pts/")) << ui_.Dump();
    EXPECT_TRUE(Shows("25 80")) << ui_.Dump();
    EXPECT_TRUE(Shows("echo>")) << ui_.Dump();  // the echo line above the output
    EXPECT_EQ(Run(L"kill -9 $$"), -1);
    EXPECT_EQ(std::filesystem::current_path(), tmp.path());  // run in the panel's directory
}

TEST_F(RunTest, AResizedWindowResizesTheCommandsTerminal) {
    std::thread resizer([this] {
        ASSERT_TRUE(WaitForScreen(ui_, "ready")) << ui_.Dump();
        CConsole::TEvent resize;
        resize.type = CConsole::TEvent::Resize;
        resize.x = 100;
        resize.y = 30;
        ui_.Headless().Post(resize);
    });
    EXPECT_EQ(Run(L"echo ready; for i in $(seq 200); do [ \"$(stty size)\" = '25 80' ] || break; sleep 0.05; done; "
                  L"stty size"),
              0);
    resizer.join();
    EXPECT_TRUE(Shows("30 100")) << ui_.Dump();
}

TEST_F(RunTest, TypedKeysReachACommandThatReads) {
    for (const char* shell : {"/bin/sh", "/bin/bash"}) {
        SessionEnv.Set("SHELL", shell);
        std::thread typist = TypeAfter("name?", "bob\r");
        EXPECT_EQ(Run(L"printf 'name? '; read n; echo \"hi <$n>\""), 0) << shell;
        typist.join();
        EXPECT_TRUE(Shows("hi <bob>")) << shell << ui_.Dump();
        ui_.Console().Clear();
    }
}

TEST_F(RunTest, CdAndSetChangeWhatTheNextCommandSees) {
    CEnvGuard home("HOME", (tmp / "sub").c_str());
    EXPECT_EQ(Run(L"cd sub"), 0);
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp / "sub");
    EXPECT_EQ(Run(L"cd -"), 0);
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp.path());
    EXPECT_EQ(Run(L"cd ~"), 0);
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp / "sub");
    EXPECT_EQ(Run(L"cd.."), 0);
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp.path());
    EXPECT_EQ(Run(L"cd"), 0);  // home, as a shell's cd
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp / "sub");

    EXPECT_EQ(Run(L"set DV_RUN_TEST=forty two"), 0);
    EXPECT_EQ(Run(L"echo [$DV_RUN_TEST] && sh -c 'echo \"<$DV_RUN_TEST>\"'"), 0);
    EXPECT_TRUE(Shows("[forty two]")) << ui_.Dump();  // the command line's own substitution
    EXPECT_TRUE(Shows("<forty two>")) << ui_.Dump();  // and the command's environment

    ui_.Keys("Enter");
    EXPECT_EQ(ui_.Run([&] { return Run(L"cd /no/such/directory"); }), -1);
    EXPECT_EQ(Narrow(panel_base[0].dir), tmp / "sub");
}

std::string FileName(int i) { return std::string("f ").append(std::to_string(i)); }

TEST_F(RunTest, PerFileCommandsRunOncePerTaggedFile) {
    PANEL* panel = panel_base;
    for (int i = 0; i < 5; i++) tmp.Write(FileName(i), "");
    read_panel(panel);
    for (int i = 0; i < 5; i++) tag(panel, IndexOf(*panel, FileName(i)), 1);
    EXPECT_EQ(Run(L"echo !t >> ../list"), 0);
    EXPECT_EQ(ReadFile(tmp / "../list"), "f 0\nf 1\nf 2\nf 3\nf 4\n");
    unlink((tmp / "../list").c_str());
    EXPECT_EQ(panel->num_tagged, 0);
    // A failure stops the rest.
    for (int i = 0; i < 5; i++) tag(panel, IndexOf(*panel, FileName(i)), 1);
    EXPECT_EQ(Run(L"test !t !!= 'f 2'"), 1);  // "!!" is the command character itself
    EXPECT_EQ(panel->num_tagged, 2);
}

TEST_F(RunTest, BackgroundCommandsStartOnTheirOwn) {
    const std::string marker = tmp / "marker";
    ASSERT_EQ(chdir(tmp.path().c_str()), 0);
    EXPECT_EQ(smartexec(Westring(L"sh -c 'echo quiet; echo x > marker' &")), 0);
    EXPECT_TRUE(Eventually([&] { return ReadFile(marker) == "x\n"; }, 5000));
    EXPECT_FALSE(Shows("quiet")) << ui_.Dump();
    // "#" keeps it on the terminal; the shell gets the "&".
    EXPECT_EQ(smartexec(Westring(L"#echo loud; sleep 0 &")), 0);
    EXPECT_TRUE(Shows("loud")) << ui_.Dump();
}

TEST_F(RunTest, EnterRunsAssociationsAndProgramsButNotTextWithExecuteBits) {
    PANEL* panel = panel_base;
    tmp.Write("script", "#!/bin/sh\necho script ran\n", 0755);
    tmp.Write("notes", "echo this must not run\n", 0755);
    ASSERT_EQ(execAssociations.AddAssociation(L"*.txt", L"cat"), 0);
    read_panel(panel);
    const struct {
        const char* name;
        ExecuteResult result;
        const char* shown;
    } cases[] = {
        {"hello.txt", EXECUTE_RAN, "hello from a file"},
        {"script", EXECUTE_RAN, "script ran"},
        {"notes", EXECUTE_NOTHING, nullptr},
        {"sub", EXECUTE_ENTERED, nullptr},
    };
    for (const auto& c : cases) {
        SetUpPanel(*panel, tmp.path());
        read_panel(panel);
        panel->top = 0;
        panel->cur = IndexOf(*panel, c.name);
        EXPECT_EQ(execute(panel_base, 0, L"", false), c.result) << c.name;
        if (c.shown) {
            EXPECT_TRUE(Shows(c.shown)) << c.name << ui_.Dump();
        }
    }
    EXPECT_FALSE(Shows("must not run")) << ui_.Dump();
    EXPECT_EQ(Narrow(panel->dir), tmp / "sub");
}

}  // namespace
