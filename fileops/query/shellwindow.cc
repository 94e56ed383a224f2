#include "fileops/query/shellwindow.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/stringstore.h"

namespace {

// The full path of program in the first directory of the search path (then
// path_append) that
// holds it as an executable file; empty when none does.
Estring find_program(const char* program, const Westring& path_append) {
    WestringStore directories;
    GetPaths(directories, path_append);
    for (int i = 0; i < directories.count(); i++) {
        Estring candidate = EncodeFileName(*directories[i]).AppendBackslash() + program;
        struct stat status;
        if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return Estring();
}

// Runs in the grandchild: only calls that are safe after fork in a program
// with threads.
[[noreturn]] void exec_detached(const char* program, char* const argv[]) {
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        if (null > 2) ::close(null);
    }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    close_range(3, ~0u, 0);  // descriptors the program left inheritable
#endif
    struct sigaction plain = {};
    plain.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &plain, nullptr);
    sigaction(SIGCHLD, &plain, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(program, argv);
    _exit(127);
}

}  // namespace

bool OpenShellWindow(const Westring& dir, const Westring& path_append) {
    Estring program = find_program("xdg-open", path_append);
    if (program.empty()) return false;
    Estring target = EncodeFileName(dir);
    // A name starting with "-" would be taken for an option.
    if (target[0] == '-') target = Estring("./") + target;
    char name[] = "xdg-open";
    char* const argv[] = {name, target.data(), nullptr};

    // Forking twice leaves the file manager to init, so it neither becomes
    // a zombie of ours nor dies with our session.
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
        exec_detached(program.c_str(), argv);
    }
    int status = 0;
    pid_t done;
    do {
        done = waitpid(child, &status, 0);
    } while (done < 0 && errno == EINTR);
    // A SIGCHLD handler of the program may have collected it already.
    if (done < 0) return errno == ECHILD;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
