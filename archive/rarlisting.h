// The file list of RAR archives: what the RAR 1.5-4.x reader (readrar.cc)
// and the RAR5 reader (readrar5.cc) share.
#pragma once

#include <cstdint>

class Archive;

// How reading from one marker went.
enum class RarListing {
    kNotRar,   // no archive header follows the marker: not an archive after all
    kListed,   // an archive: its members (perhaps none) were added
    kStopped,  // the user asked for a break
};

// How reading the next header of an archive went.
enum class RarStep {
    kHeader,     // read whole
    kEnd,        // the archive ended where it may end
    kTruncated,  // the file ends inside a header, or before the archive's end
    kDamaged,    // a length does not fit
};

// Messages for damaged archives.
inline constexpr const char* kRarHeaderError = "Error in RAR header";
inline constexpr const char* kRarTruncated = "RAR archive is cut short: the file list may be incomplete";
inline constexpr const char* kRarEncrypted = "Encrypted RAR archive: the file list cannot be read";

// Ends a listing at a step that gave no header, with the message a cut or
// damaged archive gets; the members read so far stay.
RarListing EndRarListing(Archive& archive, RarStep step);

// Lists the RAR5 archive whose 8-byte marker starts at marker_offset.
RarListing ReadRar5(Archive& archive, int64_t marker_offset);
