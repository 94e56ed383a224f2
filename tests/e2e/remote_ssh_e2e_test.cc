// The window serving a file manager over a real ssh connection: the test
// starts its own sshd on a free port of 127.0.0.1 with keys it makes, and
// `dv -h` in a window under Xvfb connects to it. The remote end is our own
// program under its other name; a small script in front of it starts it on
// the test's directories. The panels of the far side appear in the window,
// F5 copies a file there, and F10 ends both ends.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "tests/e2e/xsession.h"
#include "tests/support/temp_dir.h"

namespace {

// A port nobody listens on now: the kernel's choice for a socket bound to 0.
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

void WriteScript(const std::string& path, const std::string& text) {
    WriteFile(path, "#!/bin/sh\n" + text);
    ASSERT_EQ(chmod(path.c_str(), 0755), 0);
}

class RemoteSshE2E : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"xdotool", "Xvfb", "ssh", "ssh-keygen"})
            ASSERT_FALSE(FindProgram(tool).empty())
                << tool << " is not installed; scripts/deps installs the packages the end-to-end tests need";
        ASSERT_EQ(access(kSshd, X_OK), 0) << kSshd << " is missing; scripts/deps installs openssh-server";
        std::string error;
        ASSERT_TRUE(UseTestDisplay(xserver_, error)) << error;
        setenv("LSAN_OPTIONS", "suppressions=" DV_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);

        const std::string home = scratch_ / "home";
        left_ = scratch_ / "far left";
        right_ = scratch_ / "far right";
        const std::string bin = scratch_ / "bin";
        for (const std::string& dir : {home, home + "/.dvl", left_, right_, bin})
            ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        WriteFile(left_ + "/far1.txt", "bytes on the far side\n");
        WriteFile(right_ + "/far2.txt", "2");
        setenv("HOME", home.c_str(), 1);
        dump_ = scratch_ / "screen.txt";
        setenv("DV_SCREEN_DUMP", dump_.c_str(), 1);

        // Keys for the server and for the user, made here.
        const std::string host_key = scratch_ / "host_key", user_key = scratch_ / "user_key";
        for (const std::string& key : {host_key, user_key})
            ASSERT_EQ(RunCapture({"ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", key}, kToolMs), 0);
        const std::string authorized = scratch_ / "authorized_keys";
        WriteFile(authorized, ReadFile(user_key + ".pub"));
        ASSERT_EQ(chmod(authorized.c_str(), 0600), 0);

        // The far side finds "vi-vizevu" on its PATH: a script that starts
        // the real one on the test's directories, with the test's home.
        WriteScript(bin + "/vi-vizevu", "cd '" + left_ + "' && HOME='" + home + "' DV_SCREEN_DUMP= exec '" +
                                            DV_REMOTE_END_PATH + "' -l '" + left_ + "' -r '" + right_ + "'\n");

        port_ = FreePort();
        ASSERT_GT(port_, 0);
        const std::string sshd_config = scratch_ / "sshd_config";
        WriteFile(sshd_config, "Port " + std::to_string(port_) + "\nListenAddress 127.0.0.1\nHostKey " + host_key +
                                   "\nAuthorizedKeysFile " + authorized + "\nPidFile " + (scratch_ / "sshd.pid") +
                                   "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                                   "KbdInteractiveAuthentication no\nPermitRootLogin prohibit-password\n"
                                   "SetEnv PATH=" + bin + ":/usr/bin:/bin\n");
        if (geteuid() == 0) mkdir("/run/sshd", 0755);  // its privilege separation directory
        ASSERT_TRUE(sshd_.Start({kSshd, "-D", "-e", "-f", sshd_config}, false));
        const std::string ssh_config = scratch_ / "ssh_config";
        WriteFile(ssh_config, "Host dvtest\n  HostName 127.0.0.1\n  Port " + std::to_string(port_) +
                                  "\n  IdentityFile " + user_key +
                                  "\n  StrictHostKeyChecking no\n  UserKnownHostsFile /dev/null\n"
                                  "  LogLevel ERROR\n  BatchMode yes\n");
        // The window's ssh reads the test's client configuration.
        const std::string ssh = bin + "/ssh";
        WriteScript(ssh, "exec ssh -F '" + ssh_config + "' \"$@\"\n");
        setenv("DV_REMOTE_SSH", ssh.c_str(), 1);
        // sshd takes a moment to listen.
        ASSERT_TRUE(Eventually([&] { return RunCapture({ssh, "dvtest", "true"}, kToolMs) == 0; }, kStartMs))
            << "sshd did not accept the test's key";
    }
    void TearDown() override {
        if (dv_.Running()) dv_.Stop(30000);
        sshd_.Stop(10000);
        unsetenv("DV_SCREEN_DUMP");
        unsetenv("DV_REMOTE_SSH");
    }

    bool WaitForScreen(const std::function<bool(const std::string&)>& wanted, int timeout_ms, std::string* screen) {
        return WaitForDump(dump_, dv_, wanted, timeout_ms, screen);
    }
    bool WaitForText(const std::string& text, std::string* screen, int timeout_ms = kEventMs) {
        return WaitForScreen([&](const std::string& s) { return s.find(text) != std::string::npos; }, timeout_ms,
                             screen);
    }

    static constexpr const char* kSshd = "/usr/sbin/sshd";
    CXServer xserver_;  // declared first: it goes last, after the programs
    CTempDir scratch_;
    CChildProcess sshd_, dv_;
    std::string left_, right_, dump_;
    int port_ = -1;
};

TEST_F(RemoteSshE2E, TheWindowShowsAndRunsTheFarFileManager) {
    ASSERT_TRUE(dv_.Start({DV_PROGRAM_PATH, "-h", "dvtest"}, false));
    std::string screen;
    // Both far panels, which may arrive one after the other.
    const auto both_panels = [](const std::string& s) {
        return s.find("far1.txt") != std::string::npos && s.find("far2.txt") != std::string::npos;
    };
    ASSERT_TRUE(WaitForScreen(both_panels, kStartMs, &screen)) << "no far panels:\n" << screen;
    const std::string window = FindWindow("^Remote \\(dvtest\\) DV/L", kStartMs);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(Xdo({"windowfocus", "--sync", window}));

    // F5 on far1.txt copies it into the far right directory.
    ASSERT_TRUE(Xdo({"key", "Down", "F5"}));
    EXPECT_TRUE(WaitForText("Copy \"far1.txt\" to", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(Eventually([&] { return ReadFile(right_ + "/far1.txt") == "bytes on the far side\n"; },
                           kEventMs))
        << ReadFile(dump_);

    // F10 and Enter end the far side; the window says so and ends on a key.
    ASSERT_TRUE(Xdo({"key", "F10"}));
    EXPECT_TRUE(WaitForText("Are you sure", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_TRUE(WaitForText("closed", &screen)) << screen;
    ASSERT_TRUE(Xdo({"key", "Return"}));
    EXPECT_EQ(dv_.Wait(kEventMs), 0);
}

}  // namespace
