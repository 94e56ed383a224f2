#include "exec/smartexec.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "console/msgbox.h"
#include "exec/ansiterminal.h"
#include "exec/consoleoutput.h"
#include "exec/detached.h"
#include "exec/environment.h"
#include "exec/exechooks.h"
#include "exec/pathsearch.h"
#include "exec/ptysession.h"
#include "exec/tmpfiles.h"
#include "exec/x11program.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "lib/quote.h"

namespace {

// The command split into its program and the rest.
struct CommandParts {
    Westring program;
    Westring arguments;
};

CommandParts split_command(const Westring& command) {
    int blank = UnixChrQuote(command, L' ');
    int pipe = UnixChrQuote(command, L'|');
    int split = blank < 0 ? pipe : (pipe < 0 ? blank : std::min(blank, pipe));
    CommandParts parts;
    if (split > 0) {
        parts.program = DequoteName(command.left(split));
        parts.arguments = command.mid(split).trim();
    } else {
        parts.program = DequoteName(command);
    }
    return parts;
}

// "$view file" and "$edit file": the internal viewer and editor.
bool pseudo_command(const CommandParts& parts) {
    const bool view = parts.program == L"$view";
    if (!view && !(parts.program == L"$edit")) return false;
    if (console) console->ResetSelectionZone();
    void (*open)(const Westring&) = view ? exec_hooks.view : exec_hooks.edit;
    if (open) {
        open(DequoteName(parts.arguments));
    } else {
        static_cast<void>(error(view ? L"The internal viewer is not available yet"
                                     : L"The internal editor is not available yet",
                                Westring(), MB_OK));
    }
    return true;
}

// IsX11 for a program, remembered while the program's file stays the same:
// following its libraries costs more than starting a small command.
bool uses_x11(const std::string& program) {
    struct Answer {
        dev_t device;
        ino_t inode;
        struct timespec changed;
        bool x11;
    };
    static std::mutex lock;
    static std::map<std::string, Answer> answers;
    struct stat status;
    if (stat(program.c_str(), &status) != 0) return false;
    {
        std::lock_guard<std::mutex> hold(lock);
        auto found = answers.find(program);
        if (found != answers.end() && found->second.device == status.st_dev && found->second.inode == status.st_ino &&
            found->second.changed.tv_sec == status.st_ctim.tv_sec &&
            found->second.changed.tv_nsec == status.st_ctim.tv_nsec)
            return found->second.x11;
    }
    const bool x11 = IsX11(program.c_str());
    std::lock_guard<std::mutex> hold(lock);
    answers[program] = Answer{status.st_dev, status.st_ino, status.st_ctim, x11};
    return x11;
}

int start_detached(const Westring& command) {
    // The command may be handed a list file; it is left for it to read.
    KeepTmpFiles();
    if (exec_hooks.background_started) exec_hooks.background_started();
    int failure = StartDetached(EncodeFileName(command).c_str(), SessionEnv.Block());
    if (failure) {
        static_cast<void>(error(GetOSErrorMessage(failure), L"Error forking child process", MB_OK));
        return -1;
    }
    return 0;
}

// The window while a command runs: a resize reaches the command at once (its
// terminal takes the new size); closing the window hangs the command up.
// Other events wait for the main loop.
class WindowWatch {
public:
    explicit WindowWatch(PtySession& session) : session_(session) {}
    ~WindowWatch() {
        for (const CConsole::TEvent& event : later_) console->PostEvent(event);
    }
    void Tick() {
        CConsole::TEvent event;
        while (console->GetEvent(event, 0)) {
            if (event.type == CConsole::TEvent::Resize) {
                if (console->SetSize(event.x, event.y)) static_cast<void>(session_.Resize(event.y, event.x));
                continue;
            }
            if (event.type == CConsole::TEvent::Quit) session_.HangUp();
            later_.push_back(event);
        }
    }

private:
    PtySession& session_;
    std::vector<CConsole::TEvent> later_;
};

int run_on_terminal(const Westring& command) {
    int columns = 80, rows = 25;
    if (console) static_cast<void>(console->GetSize(columns, rows));
    PtySession session;
    int failure = session.Start(EncodeFileName(command).c_str(), rows, columns, SessionEnv.Block());
    if (failure) {
        static_cast<void>(error(GetOSErrorMessage(failure), L"Error forking child process", MB_OK));
        return -1;
    }
    if (console) {
        CTerminalAttachment* terminal =
            exec_hooks.make_terminal
                ? exec_hooks.make_terminal(session)
                : new CAnsiTerminalEmulator(*console, [&session](const char* bytes, size_t n) { session.Input(bytes, n); });
        console->AttachTerminal(terminal);
    }
    int status;
    {
        std::unique_ptr<WindowWatch> watch;
        if (console) {
            watch = std::make_unique<WindowWatch>(session);
            session.SetTick([&watch] { watch->Tick(); });
        }
        ConsoleOutput output;
        status = session.Run(output);
    }
    // Let go of the terminal before the session closes it.
    if (console) console->AttachTerminal(nullptr);
    return status;
}

}  // namespace

int UnixChrQuote(const Westring& text, wchar_t c) {
    const wchar_t* start = text.c_str();
    for (const wchar_t* p = start; *p; p++) {
        if (*p == L'\\') {
            if (!p[1]) break;
            p++;
        } else if (*p == c) {
            return static_cast<int>(p - start);
        }
    }
    return -1;
}

int smartexec(const Westring& given) {
    Westring command = given;
    bool on_terminal = false;
    bool background = false;
    if (command[0] == L'#') {
        command = command.mid(1);
        on_terminal = true;
    } else {
        Westring trimmed = command.trim();
        int length = trimmed.strlen();
        if (length > 0 && trimmed[length - 1] == L'&' && (length < 2 || trimmed[length - 2] != L'\\') &&
            (length < 2 || trimmed[length - 2] != L'&')) {
            command = trimmed.left(length - 1).trim();
            background = true;
        }
    }
    CommandParts parts = split_command(command);
    if (pseudo_command(parts)) return 0;

    if (!on_terminal) {
        std::string found;
        if (PathSearch(EncodeFileName(parts.program).c_str(), found) &&
            (background || uses_x11(found)))
            return start_detached(command);
    }
    return run_on_terminal(command);
}
