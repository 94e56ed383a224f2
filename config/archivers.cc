#include "config/archivers.h"

ArchiverProgram Archiver[ARCHIVER_COUNT];

const char* const archiver_names[ARCHIVER_COUNT] = {
    "ZIP", "RAR", "LHARC", "ARJ", "ACE", "HA", "GZIP", "TAR", "7ZIP", "BZIP2", "XZ",
};

void InitializeArchivers() {
    static const ArchiverProgram defaults[ARCHIVER_COUNT] = {
        // Quiet: a line per member to the terminal costs more than unzip's
        // own work on a large archive; questions and errors still show.
        {"unzip -q", "", "zip -r", "-@ < ", "zip -q -d", "!", "!/*", false},
        {"rar x -std", "@", "rar a -std -r0", "@", "rar d -std -r", "!", "!", false},
        // The Unix lha takes no DOS-style "/s" switches and no wildcards: it
        // recurses into a folder it is given and keeps paths by itself.
        {"lha x", "", "lha a", "", "lha d", "!", "!", false},
        // -y: arj asks before making each folder it extracts into.
        {"arj x -y", "!", "arj a -r", "!", "arj d", "!/*", "!/*", false},
        // The unace Debian ships only lists and extracts.
        {"unace x", "@", "", "@", "", "!", "!", false},
        {"ha x", "", "ha ar", "", "ha d", "!/*", "!/*", false},
        {"gzip -dc %a > %f", "", "gzip -c %f > %a", "", "", "", "", false},
        // tar reads a list file line by line as names, never as options.
        {"tar -xf", "--verbatim-files-from --files-from=", "tar -rf", "--verbatim-files-from --files-from=",
         "tar --delete -f", "!", "!", true},
        // -spd: 7z takes names as they are, not as wildcards.
        {"7z x -spd", "@", "7z a -spd", "@", "7z d -spd", "!", "!", false},
        {"bzip2 -dc %a > %f", "", "bzip2 -c %f > %a", "", "", "", "", false},
        {"xz -dc %a > %f", "", "xz -c %f > %a", "", "", "", "", false},
    };
    for (int i = 0; i < ARCHIVER_COUNT; i++) Archiver[i] = defaults[i];
}

const ArchiverKey archiver_keys[ARCHIVER_KEY_COUNT] = {
    {"Compress", &ArchiverProgram::compress_cmd},
    {"CompressListfileSwitch", &ArchiverProgram::compress_list_switch},
    {"Extract", &ArchiverProgram::extract_cmd},
    {"ExtractListfileSwitch", &ArchiverProgram::extract_list_switch},
    {"Delete", &ArchiverProgram::delete_cmd},
    {"CompressDirSpec", &ArchiverProgram::compress_dir_spec},
    {"ExtractDirSpec", &ArchiverProgram::extract_dir_spec},
};
