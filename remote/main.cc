// The program's entry point. The same program serves three ways: the
// desktop window (with -h HOST, the window of a program on another host),
// and, started as "vi-vizevu" or with --remote-end, the far end of such a
// session, whose console is carried over its standard input and output.
#include <cstdio>
#include <cstring>
#include <string>

#include "console/gtkstartup.h"
#include "lib/estring.h"
#include "remote/remoteend.h"
#include "remote/remotehooks.h"
#include "shell/cmdline.h"
#include "shell/progfiles.h"
#include "shell/startup.h"

namespace {

// Started under the remote end's name, or with its switch first.
bool is_remote_end(int argc, char** argv) {
    if (argc < 1 || !argv[0]) return false;
    const char* slash = std::strrchr(argv[0], '/');
    const std::string name = slash ? slash + 1 : argv[0];
    return name == "vi-vizevu" || (argc > 1 && std::strcmp(argv[1], kRemoteEndSwitch) == 0);
}

}  // namespace

int main(int argc, char** argv) {
    SetProgramPath(argc > 0 ? argv[0] : nullptr);
    // The remote end has no display: its window is on the other host.
    if (is_remote_end(argc, argv)) return RunRemoteEnd(argc, argv);
    // The version and the usage text need no display either.
    Estring information;
    if (InformationRequested(argc, argv, information)) {
        // A full disk or a closed pipe is a failure, not a silent success.
        const bool written = std::fputs(information.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    InstallRemoteHooks();
    if (!InitToolkit(argc, argv)) {
        // A bad command line is still told as such without a display.
        PROGRAM_ARGS args;
        Estring message;
        if (ParseArguments(argc, argv, args, message) != 0) {
            std::fputs(message.c_str(), stdout);
            return 1;
        }
        std::fputs("dv: cannot open the display\n", stderr);
        return 1;
    }
    return RunProgram(argc, argv, CreateDesktopView());
}
