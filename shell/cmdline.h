// The program's arguments: which configuration file, start directories and
// single-file mode a run uses.
#pragma once

#include "lib/estring.h"
#include "lib/westring.h"

struct PROGRAM_ARGS {
    Westring ini_file;     // full path of the file named on the command line, or empty
    Westring view_file;    // -v
    Westring edit_file;    // -e
    Westring left_dir;     // -l
    Westring right_dir;    // -r
    Estring remote_host;   // -h
    Westring dir_file;     // -x: where the current directory is written at exit
};

// The results of the command line, kept for the rest of the run.
extern PROGRAM_ARGS program_args;

// Examines the arguments (argv[1] on). Returns 0 when they are good, or 1
// with the text to print on standard output in message.
[[nodiscard]] int ParseArguments(int argc, const char* const* argv, PROGRAM_ARGS& args, Estring& message);

// The usage a bad switch prints, and the fuller one of --help.
extern const char* const kUsageText;
extern const char* const kHelpText;
// "dv (Dorvik/L) " and the version, with a newline.
extern const char* const kVersionText;

// True when the command line asks for the version or the usage text
// (--version or --help, not as the value of another switch); text is what
// to print on standard output before leaving with status 0. Needs no
// display, so it is asked first.
[[nodiscard]] bool InformationRequested(int argc, const char* const* argv, Estring& text);
