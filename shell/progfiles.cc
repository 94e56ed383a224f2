#include "shell/progfiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

#include "lib/fsname.h"
#include "shell/cmdline.h"

Westring DVProg;

static const wchar_t kSharedDir[] = L"/usr/share/dorvik/";
static const wchar_t kManualDir[] = L"/usr/share/doc/dorvik/manual/";

// The current directory, however long it is.
static Estring current_directory() {
    for (size_t size = 4096; size <= (1u << 20); size *= 2) {
        Estring buffer(static_cast<int>(size));
        if (getcwd(buffer.data(), size)) return buffer;
        if (errno != ERANGE) break;
    }
    return "/";
}

Westring FullPath(const char* path) {
    if (!path || !*path) return Westring();
    if (char* resolved = realpath(path, nullptr)) {
        Westring out = DecodeFileName(resolved);
        free(resolved);
        return out;
    }
    // A file that does not exist yet: resolve its directory and keep its name.
    Estring name(path);
    int slash = name.rchr('/');
    Estring dir = slash < 0 ? Estring(".") : slash == 0 ? Estring("/") : name.left(slash);
    Estring base = name.mid(slash + 1);
    if (char* resolved = realpath(dir.c_str(), nullptr)) {
        Estring out(resolved);
        free(resolved);
        return DecodeFileName((out.AppendBackslash() + base).c_str());
    }
    if (path[0] == '/') return DecodeFileName(path);
    return DecodeFileName((current_directory().AppendBackslash() + path).c_str());
}

void SetProgramPath(const char* argv0) {
    if (char* self = realpath("/proc/self/exe", nullptr)) {
        DVProg = DecodeFileName(self);
        free(self);
        return;
    }
    DVProg = FullPath(argv0 ? argv0 : "dv");
}

// HOME, or the password database's home directory when HOME is unset.
static Estring home_directory() {
    const char* env = getenv("HOME");
    if (env && *env) return env;
    struct passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "";
}

// A shared file of the program (the help, the syntax colours): beside the
// program when it runs from its build folder (the build puts them there),
// else where this build installs it.
static Westring shared_file(const Westring& name) {
    if (!DVProg.empty()) {
        const Westring beside = DVProg.path() + L"/" + name;
        if (access(EncodeFileName(beside).c_str(), R_OK) == 0) return beside;
    }
#ifdef DV_INSTALL_PREFIX
    return Westring(DecodeFileName(DV_INSTALL_PREFIX "/share/dorvik/")) + name;
#else
    return Westring(kSharedDir) + name;
#endif
}

// A file name with its extension cut after the last '.', or with '.' appended.
static Westring base_of(const Westring& file) {
    Westring name = file.filename();
    int dot = name.rchr(L'.');
    return dot < 0 ? name + L"." : name.left(dot + 1);
}

Westring DVFilename(int type, int location) {
    Westring home, base;
    if (!program_args.ini_file.empty()) {
        home = program_args.ini_file.path() + L"/";
        base = base_of(program_args.ini_file);
    } else {
        home = Westring(home_directory().c_str()) + L"/.dvl/";
        base = base_of(DVProg.empty() ? Westring(L"dv") : DVProg);
    }
    switch (type) {
    // The help belongs to the program, whatever the settings file is called.
    case DV_HELP: return shared_file(base_of(DVProg.empty() ? Westring(L"dv") : DVProg) + L"dvh");
    case DV_MANUAL: return kManualDir + base + L"html";
    case DV_USER_MENU: return home + base + L"mnu";
    case DV_CONFIG: return home + base + L"ini";
    case DV_HISTORY: return home + base + L"hst";
    case DV_LOG: return home + base + L"log";
    case DV_SYNTAX: {
        const Westring name = base.chop(1) + L"syntax.ini";
        return location == 0 ? home + name : shared_file(name);
    }
    default: return Westring();
    }
}
