// Writing the configuration file back: the whole file goes to a temporary
// file beside it, which then takes its place in one step.
#pragma once

#include "lib/stdfile.h"
#include "panels/associations.h"

// Writes the whole file beside the configuration file and puts it in its
// place in one step, so that a failure leaves the old file as it was. A file
// that exists but cannot be read is not replaced. 0, or the error number
// (already shown to the user).
[[nodiscard]] int save_config();
// Writes one association section: its header, "mask: command" lines and an
// empty line. 0 or the file's error number.
[[nodiscard]] int WriteAssociationSet(const AssociationSet& set, int section, StdFile& file);
