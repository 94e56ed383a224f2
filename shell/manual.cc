#include "shell/manual.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/config.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/stringstore.h"

const char* const kManualIndex = "/usr/share/doc/dorvik/manual/index.html";

Westring FindBrowser() {
    static const wchar_t* const kBrowsers[] = {L"x-www-browser", L"firefox", L"mozilla-firefox", L"epiphany"};
    WestringStore paths;
    GetPaths(paths, config.PathAppend);
    for (const wchar_t* browser : kBrowsers) {
        for (int i = 0; i < paths.count(); i++) {
            Westring full = paths[i]->AppendBackslash() + browser;
            Estring bytes = EncodeFileName(full);
            struct stat status;
            if (stat(bytes.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(bytes.c_str(), X_OK) == 0)
                return full;
        }
    }
    return Westring();
}

bool open_manual() {
    Westring browser = FindBrowser();
    if (browser.empty()) return false;
    const Estring program = EncodeFileName(browser);
    const Estring url = Estring("file://") + kManualIndex;
    // Two forks, so that the browser is nobody's child here and leaves no
    // zombie behind when it ends.
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (fork() != 0) _exit(0);
        setsid();
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            if (null > 2) close(null);
        }
        execl(program.c_str(), program.c_str(), url.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
