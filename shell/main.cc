#include <cstdio>

#include "shell/cmdline.h"
#include "shell/progfiles.h"

int main(int argc, char** argv) {
    SetProgramPath(argc > 0 ? argv[0] : nullptr);
    Estring message;
    if (ParseArguments(argc, argv, program_args, message) != 0) {
        std::fputs(message.c_str(), stdout);
        return 1;
    }
    return 0;
}
