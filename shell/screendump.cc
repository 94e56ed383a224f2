#include "shell/screendump.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/console.h"
#include "console/toolkitlock.h"
#include "lib/stdfile.h"
#include "lib/westring.h"

Estring ScreenDumpFile() {
    const char* file = std::getenv("DV_SCREEN_DUMP");
    return file ? Estring(file) : Estring();
}

int WriteScreenDump(const char* file) {
    if (!console || !file || !*file) return EINVAL;
    std::wstring text;
    {
        CToolkitLock lock;
        for (int y = 0; y < console->rows(); y++) {
            for (int x = 0; x < console->columns(); x++) {
                // As a terminal shows it: a double-width character once.
                const ScreenCell& cell = console->cell(x, y);
                if (is_wide_tail(cell)) continue;
                text += cell.ch ? cell.ch : L' ';
                if (cell.mark) text += cell.mark;
            }
            text += L'\n';
        }
    }
    Estring bytes = Westring(text.c_str(), static_cast<int>(text.size())).ToUTF8();
    Estring temp = Estring(file) + ".tmp";
    int fd = OpenRegularFile(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    const char* p = bytes.c_str();
    size_t left = static_cast<size_t>(bytes.strlen());
    int result = 0;
    while (left > 0) {
        ssize_t written = write(fd, p, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            result = errno;
            break;
        }
        p += written;
        left -= static_cast<size_t>(written);
    }
    if (close(fd) != 0 && result == 0) result = errno;
    if (result == 0 && rename(temp.c_str(), file) != 0) result = errno;
    if (result != 0) unlink(temp.c_str());
    return result;
}

void DumpScreenIfAsked() {
    Estring file = ScreenDumpFile();
    // The dump is for whoever watches the screen from outside; a dump that
    // could not be written must not disturb the program.
    if (!file.empty()) static_cast<void>(WriteScreenDump(file.c_str()));
}
