// Quoted names read back by real shells: random names of any bytes, quoted
// and handed to /bin/sh (and bash when it is there), must come back byte for
// byte as one argument each.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lib/fsname.h"
#include "lib/quote.h"

namespace {

std::string Bytes(const Estring& e) { return std::string(e.c_str(), e.strlen()); }

// A name of 1 to 40 bytes, none of them NUL or '/', heavy in what the shell
// treats specially and in bytes that are not valid UTF-8.
std::string RandomName(std::mt19937& random) {
    static const std::string specials = "-~$'\"\\\n\t\r *?[]{}()!&|;<>#=`^%:,@+.\x01\x1b\x7f";
    const int length = std::uniform_int_distribution<int>(1, 40)(random);
    std::string name;
    while (static_cast<int>(name.size()) < length) {
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0: name += specials[random() % specials.size()]; break;
        case 1: name += static_cast<char>('a' + random() % 26); break;
        case 2: name += "\xc3\xa9"; break;                                    // valid UTF-8
        case 3: name += static_cast<char>(0x80 + random() % 0x80); break;     // often invalid
        default: {
            char byte = static_cast<char>(1 + random() % 255);
            name += byte == '/' ? 'x' : byte;
        }
        }
    }
    if (random() % 8 == 0) name[0] = '-';
    return name;
}

// Runs shell -c script with output to a pipe; the output, or nothing when
// the shell cannot run or fails.
bool RunShell(const char* shell, const std::string& script, std::string& output) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        execl(shell, shell, "-c", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    output.clear();
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Every name quoted on one printf command line; the shell must print each
// back unchanged, in order, each ended by a NUL.
void ExpectShellReadsNamesBack(const char* shell, const std::vector<std::string>& names) {
    std::string script = "printf '%s\\0'";
    for (const std::string& name : names) {
        script += ' ';
        script += Bytes(EncodeFileName(QuoteName(DecodeFileName(name.data(), name.size()))));
    }
    std::string output;
    ASSERT_TRUE(RunShell(shell, script, output)) << shell << " failed on: " << script;
    std::vector<std::string> back;
    for (size_t begin = 0, end; (end = output.find('\0', begin)) != std::string::npos; begin = end + 1)
        back.push_back(output.substr(begin, end - begin));
    ASSERT_EQ(back.size(), names.size()) << shell << " split or joined words in: " << script;
    for (size_t i = 0; i < names.size(); i++) ASSERT_EQ(back[i], names[i]) << shell << " changed a name";
}

TEST(QuoteProperty, ShellsReadEveryQuotedNameBackUnchanged) {
    std::mt19937 random(20261207);
    std::vector<const char*> shells{"/bin/sh"};
    if (access("/bin/bash", X_OK) == 0) shells.push_back("/bin/bash");
    for (int batch = 0; batch < 20; batch++) {
        std::vector<std::string> names;
        for (int i = 0; i < 500; i++) names.push_back(RandomName(random));
        for (const char* shell : shells) ExpectShellReadsNamesBack(shell, names);
        for (const std::string& name : names) {
            const Westring wide = DecodeFileName(name.data(), name.size());
            const Westring quoted = QuoteName(wide);
            ASSERT_EQ(Bytes(EncodeFileName(DequoteWord(quoted))), name);
            if (quoted.c_str()[0] != L'\'') {
                ASSERT_EQ(Bytes(EncodeFileName(DequoteName(quoted))), name);
            }
        }
    }
}

}  // namespace
