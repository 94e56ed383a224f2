#include "remote/remoteend.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

#include "remote/remoteendlink.h"
#include "remote/remoteendview.h"
#include "shell/startup.h"

namespace {

// Points fd at /dev/null; false when it cannot be.
bool silence(int fd) {
    int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null_fd < 0) return false;
    bool done = dup2(null_fd, fd) >= 0;
    close(null_fd);
    return done;
}

}  // namespace

int RunRemoteEnd(int argc, char** argv) {
    // The protocol keeps descriptors of its own; standard output and error
    // then go nowhere, so that nothing else the program prints can break
    // into the stream the window reads. Commands run under a terminal of
    // their own and are not touched by this.
    const int in_fd = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int out_fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (in_fd < 0 || out_fd < 0) {
        std::fprintf(stderr, "dv: cannot keep the connection's descriptors: %s\n", std::strerror(errno));
        return 1;
    }
    // A window that went away must end the program through the end of its
    // input, not kill it on the next write.
    std::signal(SIGPIPE, SIG_IGN);

    auto view = std::make_unique<CRemoteEndView>(std::make_unique<CRemoteEndLink>(in_fd, out_fd));
    Estring message;
    if (!view->Handshake(message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    if (!silence(STDOUT_FILENO) || !silence(STDERR_FILENO)) {
        std::fprintf(stderr, "dv: cannot detach standard output\n");
        return 1;
    }
    // Nor may the program read keys from the connection behind our back.
    (void)silence(STDIN_FILENO);

    std::vector<char*> args;
    for (int i = 0; i < argc; i++) {
        if (i > 0 && std::strcmp(argv[i], kRemoteEndSwitch) == 0) continue;
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    return RunProgram(static_cast<int>(args.size()) - 1, args.data(), view.release());
}
