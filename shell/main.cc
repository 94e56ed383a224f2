#include <cstdio>

#include "console/gtkstartup.h"
#include "lib/estring.h"
#include "shell/cmdline.h"
#include "shell/progfiles.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    SetProgramPath(argc > 0 ? argv[0] : nullptr);
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
