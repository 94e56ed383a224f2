// The name a compressed file's single member is listed under when the file
// keeps none: the archive's own name with the compressor's extension taken
// off, or a short form such as ".tgz" turned back into ".tar".
#pragma once

#include "lib/westring.h"

struct CompressedExtension {
    const wchar_t* extension;    // without the dot, compared ignoring case
    const wchar_t* replacement;  // what takes its place with the dot, "" to drop it
};

// archive_name without its directory, with the first extension of the list
// that matches replaced. A name whose only dot is its first character has
// no extension; a name of no listed extension is kept as it is.
Westring MadeUpMemberName(const Westring& archive_name, const CompressedExtension* extensions, int count);
