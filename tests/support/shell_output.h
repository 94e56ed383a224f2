// What a shell command prints on its standard output: the tests use real
// tools (find, diff, cmp) as oracles.
#pragma once

#include <cstdio>
#include <string>

inline std::string ShellOutput(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char chunk[8192];
    for (size_t n; pipe && (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
    if (pipe) pclose(pipe);
    return out;
}
