// The program's entry point. The same program serves three ways: the
// desktop window (with -h HOST, the window of a program on another host),
// and, started as "vi-vizevu" or with --remote-end, the far end of such a
// session, whose console is carried over its standard input and output.
#include <cstdio>
#include <cstring>

#include "console/gtkstartup.h"
#include "lib/estring.h"
#include "remote/remotehooks.h"
#include "shell/cmdline.h"
#include "shell/progfiles.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    SetProgramPath(argc > 0 ? argv[0] : nullptr);
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
