// The help text: the help file's topic records, read whole at start-up and
// checked from the first byte to the last before any page of it is shown.
//
// A record is a signed little-endian 16-bit topic number, a signed
// little-endian 16-bit length that counts these four header bytes too, and
// then the page's lines, each a NUL-terminated text in code page 850. The
// record of topic 30000 ends every search: a topic the file lacks shows it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "lib/westring.h"

// One page of help: its topic and its lines as the file holds them (code page 850).
struct HelpPage {
    int topic = 0;
    std::vector<std::string> lines;
};

// The largest help file read into memory; a larger one counts as damaged.
constexpr size_t kMaxHelpFileBytes = 16u << 20;

// Reads the records of a help file from size bytes at data. Every record
// must lie whole inside the bytes, be at least its header long and end its
// text with a NUL, and one of them must be the end record; otherwise why
// says what is wrong (and where) and pages is left empty.
[[nodiscard]] bool ParseHelp(const unsigned char* data, size_t size, std::vector<HelpPage>& pages, std::string& why);

// The page topic shows: the first record of that topic or the end record,
// whichever comes first; null when pages hold neither.
const HelpPage* FindHelpPage(const std::vector<HelpPage>& pages, int topic);

enum class HelpState {
    kNotLoaded,  // no help file, or one that could not be read
    kLoaded,
    kDamaged,    // a file that is no sound help file
};

// Reads the help file name into memory, replacing what was loaded before.
// A missing or unreadable file leaves no help (kNotLoaded) and says nothing,
// nor does a damaged one: F1 tells the user about either.
[[nodiscard]] HelpState LoadHelpFile(const Westring& name);

// Reads the program's own help file (DVFilename(DV_HELP)), or the one
// help_file_override names when it is set.
void load_help();
extern Westring help_file_override;

// What the last load gave, the file it read and, for a damaged file, why.
HelpState help_state();
const Westring& help_file_name();
const std::string& help_damage();

// The page topic shows, or null when no help is loaded.
const HelpPage* HelpPageFor(int topic);
