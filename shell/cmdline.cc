#include "shell/cmdline.h"

#include <cctype>
#include <cstring>
#include <sys/stat.h>

#include "lib/fsname.h"
#include "lib/version.h"
#include "shell/progfiles.h"

PROGRAM_ARGS program_args;

const char* const kUsageText =
    "Usage:\tdv [ini_file] [-v|-e file_name] [-l|-r directory]\n"
    "\t-v: invoke internal viewer\n"
    "\t-e: invoke internal editor\n"
    "\t-l: specify left panel's directory\n"
    "\t-r: specify right panel's directory\n";

// --help tells every switch; a bad switch keeps the short text above,
// which scripts may compare.
const char* const kHelpText =
    "Usage:\tdv [ini_file] [-v|-e file_name] [-l|-r directory] [-h host] [-x file]\n"
    "\t-v: invoke internal viewer\n"
    "\t-e: invoke internal editor\n"
    "\t-l: specify left panel's directory\n"
    "\t-r: specify right panel's directory\n"
    "\t-h: run on host over ssh, with this window as its screen\n"
    "\t-x: write the current directory to file at exit\n"
    "\t--remote-end: serve as the far end of a -h session\n"
    "\t--version: print the version and exit\n"
    "\t--help: print this text and exit\n";

const char* const kVersionText = "dv (Dorvik/L) " DV_VERSION "\n";

// The switches that take the next argument as their value.
static bool takes_value(const char* arg) {
    if ((arg[0] != '-' && arg[0] != '\\') || !arg[1]) return false;
    return std::strchr("verlxhVERLXH", arg[1]) != nullptr;
}

bool InformationRequested(int argc, const char* const* argv, Estring& text) {
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--version") == 0) {
            text = kVersionText;
            return true;
        }
        if (std::strcmp(arg, "--help") == 0) {
            text = kHelpText;
            return true;
        }
        // A file or directory after -v, -e, -l ... may be called "--help".
        if (takes_value(arg)) i++;
    }
    return false;
}

static bool is_directory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int ParseArguments(int argc, const char* const* argv, PROGRAM_ARGS& args, Estring& message) {
    message = "";
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (arg[0] != '-' && arg[0] != '\\') {
            // A plain argument names the configuration file; a directory there is ignored.
            if (!is_directory(arg)) args.ini_file = FullPath(arg);
            continue;
        }
        char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        switch (letter) {
        case 'v':
        case 'e':
            if (!value) {
                message = "No file specified\n";
                return 1;
            }
            (letter == 'v' ? args.view_file : args.edit_file) = DecodeFileName(value);
            i++;
            break;
        case 'l':
        case 'r':
        case 'x':
            if (value) {
                Westring& target = letter == 'l' ? args.left_dir : letter == 'r' ? args.right_dir : args.dir_file;
                target = DecodeFileName(value);
                i++;
            }
            break;
        case 'h':
            if (value) {
                args.remote_host = value;
                i++;
            }
            break;
        default:
            message = kUsageText;
            return 1;
        }
    }
    return 0;
}
