// The find-file benchmarks: a search through the program's own scan, timed
// against a command that finds the same files.
#pragma once

#include <cstdio>
#include <string>

#include "bench/harness.h"
#include "lib/fsname.h"
#include "tools/findscan.h"
#include "tools/foundlist.h"

// How many files the scan finds below root; -1 when it cannot start.
inline int CountFound(const std::string& root, const wchar_t* filter, const char* containing = "") {
    FoundList found;
    FileScan scan(found);
    FindOptions options;
    options.root = DecodeFileName(root.c_str());
    options.filter = filter;
    options.containing = Westring(containing);
    options.case_sensitive = true;
    if (scan.Run(options) != FindStart::kStarted) return -1;
    return found.count();
}

// Checks that search finds as many files as command lists, then times the
// two; the result for main.
template <class Search>
int CompareSearches(int argc, char** argv, Comparison c, const std::string& command, Search search) {
    const long long expected = CommandNumber(command + " | wc -l");
    const int ours = search();
    if (ours != expected) {
        std::fprintf(stderr, "%s: found %d files, %s %lld\n", c.name.c_str(), ours, c.tool.c_str(), expected);
        return 1;
    }
    c.ours = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (search() != expected) state.SkipWithError("the search found the wrong files");
        }
    };
    c.theirs = [&](benchmark::State& state) {
        for (auto _ : state) {
            if (TimeCommand(command + " >/dev/null") < 0) state.SkipWithError("the command failed");
        }
    };
    return RunComparison(argc, argv, c);
}
