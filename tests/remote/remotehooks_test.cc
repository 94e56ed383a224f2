// dv -h HOST: the program's start-up hands the host to the remote session
// instead of starting the panels.
#include "remote/remotehooks.h"

#include <gtest/gtest.h>

#include <string>

#include "console/headlessview.h"
#include "shell/startup.h"

namespace {

std::string asked_host;
bool session_result = false;

bool FakeSession(const Estring& host) {
    asked_host = host.c_str();
    return session_result;
}

TEST(RemoteHooks, DashHRunsTheSessionWithTheHost) {
    InstallRemoteHooks();
    EXPECT_NE(remote_session_hook, nullptr);
    remote_session_hook = FakeSession;
    char program[] = "dv", option[] = "-h", host[] = "user@far.example";
    char* argv[] = {program, option, host, nullptr};
    for (bool result : {true, false}) {
        asked_host.clear();
        session_result = result;
        EXPECT_EQ(RunProgram(3, argv, new CHeadlessView()), result ? 0 : 1);
        EXPECT_EQ(asked_host, "user@far.example");
    }
    remote_session_hook = nullptr;
}

}  // namespace
