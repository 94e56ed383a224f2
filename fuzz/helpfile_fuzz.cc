// The help file's reader (shell/helpfile.h) on arbitrary bytes: the file is
// outside the program and may be damaged or another file altogether. Beyond
// not reading past the bytes, it checks that an accepted file's pages hold
// exactly the bytes of their records and that every topic finds a page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/helptopics.h"
#include "fuzz/check.h"
#include "shell/helpfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<HelpPage> pages;
    std::string why;
    const bool ok = ParseHelp(data, size, pages, why);
    fuzz_check(ok == why.empty(), "a refusal without a reason, or a reason for an accepted file");
    if (!ok) {
        fuzz_check(pages.empty(), "a refused file left pages");
        return 0;
    }
    // Each record is its four header bytes and its lines, each with its NUL.
    size_t total = 0;
    bool has_end = false;
    for (const HelpPage& page : pages) {
        total += 4;
        for (const std::string& line : page.lines) {
            fuzz_check(line.find('\0') == std::string::npos, "a line holds a NUL");
            total += line.size() + 1;
        }
        has_end = has_end || page.topic == HELP_END;
    }
    fuzz_check(total == size, "the pages do not account for every byte");
    fuzz_check(has_end, "an accepted file without the end record");
    for (int topic : {int{HELP_INDEX}, int{HELP_MAIN_SCREEN}, int{HELP_EDITOR}, int{HELP_MENU_OPTIONS}, -1, 32767}) {
        const HelpPage* page = FindHelpPage(pages, topic);
        fuzz_check(page && (page->topic == topic || page->topic == HELP_END), "a topic finds no page");
    }
    return 0;
}
