// Reading the configuration file: at start-up with every default set
// first, and again on request for the sections the program does not change.
#pragma once

#include "lib/estring.h"
#include "lib/objectstore.h"

// Without reload: sets every default and reads the whole file, then applies
// the screen size, font and range rules. With reload: reads only the
// associations, the environment and the archiver sections again.
void configure(bool reload);
// Interprets one line of the file; section follows the headers.
void config_line(const char* line, int& section, bool reload);

// The error number of the last read, or 0; a file not read whole must not
// be overwritten.
[[nodiscard]] int last_config_read_error();

// An [Environment] line as the file has it, before substitution, so that
// saving writes back "$HOME/bin" and not what it expanded to today.
struct RawEnvLine {
    Estring name, value;
};
// The [Environment] lines of the last read.
const TObjectStore<RawEnvLine>& raw_environment_lines();
