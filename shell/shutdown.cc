#include "shell/shutdown.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/heldmembers.h"
#include "config/config.h"
#include "console/cells.h"
#include "console/console.h"
#include "lib/fsname.h"
#include "lib/stdfile.h"
#include "exec/tmpfiles.h"
#include "panels/panel.h"
#include "shell/clock.h"
#include "shell/cmdline.h"
#include "shell/configsave.h"
#include "shell/keybar.h"
#include "shell/screen.h"
#include "shell/startup.h"

void (*remove_temporary_files)() = nullptr;

namespace {

constexpr int kNormalCursor = 15;

void close_archives(PANEL* panel) {
    while (panel->archive && panel_hooks.archive_close_innermost) {
        Archive* innermost = panel->archive;
        panel_hooks.archive_close_innermost(panel);
        if (panel->archive == innermost) break;  // nothing closed it
    }
}

[[nodiscard]] int write_all(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

}  // namespace

Estring DirFileLine(const Westring& dir) {
    const Estring bytes = EncodeFileName(dir);
    std::string line = "cd -- '";
    line.reserve(static_cast<size_t>(bytes.strlen()) + 16);
    for (const char* p = bytes.c_str(); *p; p++) {
        if (*p == '\'') line += "'\\''";
        else line += *p;
    }
    line += "'\n";
    return Estring(line.c_str(), static_cast<int>(line.size()));
}

int WriteDirFile(const Westring& file, const Westring& dir) {
    const Estring line = DirFileLine(dir);
    int fd = OpenRegularFile(EncodeFileName(file).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    int result = write_all(fd, line.c_str(), static_cast<size_t>(line.strlen()));
    if (close(fd) != 0 && result == 0) result = errno;
    return result;
}

int ShutDown() {
    int status = 0;
    // On the way out a failed save has been shown to the user and nothing
    // more can be done about it.
    if (config.AutoSave) static_cast<void>(save_config());
    for (int side = 0; side < 2; side++) close_archives(panel_base + side);
    // Copies a program started on its own changed are put back; their
    // folders stay for that program.
    WriteBackHeldMembers();

    for (int side = 0; side < 2; side++) panel_base[side].window.reset();
    delete_key_bar();
    hide_clock();
    if (remove_temporary_files) remove_temporary_files();
    RemoveTmpDir();

    if (console) {
        const int columns = console->columns(), rows = console->rows();
        console->Clear(0, rows - 2, columns, 2, colours[CLR_COMMAND_LINE]);
        console->SetCursorType(kNormalCursor);
        set_title(nullptr);
        console->SetCursorPos(0, rows - 1);
    }

    if (!program_args.dir_file.empty()) {
        const PANEL* panel = panel_base + currpanel;
        int result = WriteDirFile(program_args.dir_file, panel->GetWD());
        if (result != 0) {
            std::fprintf(stderr, "dv: cannot write %s: %s\n", EncodeFileName(program_args.dir_file).c_str(),
                         std::strerror(result));
            status = 1;
        }
    }
    RestoreHooks();
    return status;
}
