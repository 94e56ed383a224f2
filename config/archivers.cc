#include "config/archivers.h"

ArchiverProgram Archiver[ARCHIVER_COUNT];

const char* const archiver_names[ARCHIVER_COUNT] = {
    "ZIP", "RAR", "LHARC", "ARJ", "ACE", "HA", "GZIP", "TAR", "7ZIP", "BZIP2", "XZ",
};

void InitializeArchivers() {
    static const ArchiverProgram defaults[ARCHIVER_COUNT] = {
        {"unzip --z", "", "zip -r", "-@ < ", "zip -d", "!", "!/*", false},
        {"rar x -std", "@", "rar a -std -r0", "@", "rar d -std -r", "!", "!", false},
        // The Unix lha takes no DOS-style "/s" switches: it recurses and keeps paths by itself.
        {"lha x", "", "lha a", "", "lha d", "!/*", "!/*", false},
        {"arj x", "!", "arj a -r", "!", "arj d", "!/*", "!/*", false},
        {"unace x", "@", "unace a -r", "@", "unace d", "!", "!", false},
        {"ha x", "", "ha ar", "", "ha d", "!/*", "!/*", false},
        {"gzip -dc %a > %f", "", "gzip -c %f > %a", "", "", "", "", false},
        {"tar -xf", "--files-from=", "tar -rf", "--files-from=", "tar --delete -f", "!", "!", true},
        {"7z x", "@", "7z a", "@", "7z d", "!", "!", false},
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
