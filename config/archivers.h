// The external archiver programs' command lines: the table the archive
// commands run, with its built-in defaults. The configuration file's
// "[Archiver:NAME]" sections change it.
#pragma once

#include "lib/estring.h"

// The command lines of one external archiver program.
struct ArchiverProgram {
    Estring extract_cmd;           // Extract
    Estring extract_list_switch;   // ExtractListfileSwitch
    Estring compress_cmd;          // Compress
    Estring compress_list_switch;  // CompressListfileSwitch
    Estring delete_cmd;            // Delete
    Estring compress_dir_spec;     // CompressDirSpec
    Estring extract_dir_spec;      // ExtractDirSpec
    bool forward_slash = false;    // member names are given with '/' (not configurable)
};

enum { ARCHIVER_COUNT = 11 };
// Indexed by archive format: ZIP, RAR, LHARC, ARJ, ACE, HA, GZIP, TAR, 7ZIP, BZIP2, XZ.
extern ArchiverProgram Archiver[ARCHIVER_COUNT];
extern const char* const archiver_names[ARCHIVER_COUNT];
// Fills the archiver table with the built-in commands.
void InitializeArchivers();

// The keys of an archiver section in the order they are written, with the
// fields they set.
struct ArchiverKey {
    const char* name;
    Estring ArchiverProgram::*field;
};
enum { ARCHIVER_KEY_COUNT = 7 };
extern const ArchiverKey archiver_keys[ARCHIVER_KEY_COUNT];
