// Member names as archives store them are untrusted: they may start with
// "/", climb out with "..", hold "." and empty components or be empty. The
// archive lists every member under a cleaned path that stays inside the
// archive, and marks those whose stored name had to be changed, so that
// extracting them can be refused.
#pragma once

#include "lib/westring.h"

struct MemberPath {
    Westring path;  // the directory part, '/'-separated, no leading or trailing '/'
    Westring name;  // the last component; empty for a record of a directory
    bool dot_slash = false;  // the stored name began with "./" or was "."
    bool unsafe = false;     // it held "..", or started with "/": not extracted as stored
};

// Cleans a stored member name: components are split at '/', empty and "."
// components dropped, ".." components dropped and the member marked
// unsafe, a leading '/' dropped and marked unsafe. A name that ends with
// '/' (or is_directory) describes a directory: its last component becomes
// part of the path and the name is empty. A file member left with no name
// at all gets made_up_name. Works in one pass, however deep the name.
MemberPath CleanMemberPath(const Westring& stored, bool is_directory, const wchar_t* made_up_name);
