#include "shell/inifile.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "lib/fsname.h"
#include "lib/oserror.h"
#include "shell/cmdline.h"
#include "shell/configfile.h"
#include "shell/progfiles.h"

int (*config_save_fault)(int step) = nullptr;

Westring decide_ini_file(int flags) {
    const Westring& named = program_args.ini_file;
    if (!named.empty()) {
        if (flags & 4) return named;
        struct stat status;
        if (stat(EncodeFileName(named).c_str(), &status) == 0) return named;
    }
    return DVFilename(DV_CONFIG);
}

Westring ini_temp_name(const Westring& name) {
    // Only the file's own name changes, never its directory.
    int slash = name.rchr(L'/');
    int leaf_length = name.strlen() - (slash + 1);
    Westring temp = leaf_length > 3 ? name.chop(3) + L"!!!" : name + L".!!!";
    if (temp == name) temp = name + L".!!!";
    return temp;
}

Westring ini_write_target() {
    Westring name = decide_ini_file(6);
    Estring system_name = EncodeFileName(name);
    struct stat status;
    if (lstat(system_name.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        if (char* resolved = realpath(system_name.c_str(), nullptr)) {
            name = DecodeFileName(resolved);
            free(resolved);
        }
    }
    return name;
}

int save_step_fault(int step) { return config_save_fault ? config_save_fault(step) : 0; }

namespace {

// Creates the directory of the configuration file when it is missing (the
// user's ".dvl" on a first save).
void make_ini_directory(const Westring& name) {
    Westring dir = name.path();
    if (dir.empty()) return;
    Estring system_dir = EncodeFileName(dir);
    struct stat status;
    if (stat(system_dir.c_str(), &status) != 0 && errno == ENOENT) mkdir(system_dir.c_str(), 0700);
}

}  // namespace

int openini(StdFile& file, int flags) {
    if (flags & 4) {
        Westring target = ini_write_target();
        Westring temp = ini_temp_name(target);
        make_ini_directory(target);
        Estring system_temp = EncodeFileName(temp);
        unlink(system_temp.c_str());  // a leftover, or a link that must not be written through
        int result = save_step_fault(SAVE_OPEN);
        if (result == 0) result = file.open(temp, StdFile::kWrite | StdFile::kCreate | StdFile::kRegularOnly);
        if (result != 0) {
            show_config_message(GetOSErrorMessage(result), target);
            unlink(system_temp.c_str());
        }
        return result;
    }
    Westring name = decide_ini_file(flags);
    // A FIFO or a device under the file's name must not hold up the start.
    int result = file.open(name, StdFile::kRegularOnly);
    if (result != 0 && result != ENOENT) show_config_message(GetOSErrorMessage(result), name);
    return result;
}
