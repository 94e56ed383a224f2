// The settings of the attributes dialog (twelve permission boxes, an owner
// and a group) and their application to one file.
#pragma once

#include <cstdint>

#include "lib/westring.h"

// The boxes row by row (User, Group, Other), each row R, W, X, S.
enum { ATTRIB_ROWS = 3, ATTRIB_COLUMNS = 4, ATTRIB_BOXES = ATTRIB_ROWS * ATTRIB_COLUMNS };

// The mode bit of the box in row (0 User, 1 Group, 2 Other) and column
// (0 R, 1 W, 2 X, 3 S: set-user-id, set-group-id, sticky).
int AttribBoxBit(int row, int column);

struct AttribSettings {
    // With tagged files every box has three states: 0 clear, 1 leave each
    // file's bit as it is, 2 set. For a single file: 0 clear, 1 set.
    bool several = false;
    unsigned char box[ATTRIB_BOXES] = {};
    // Empty leaves the owner or group as it is.
    Westring owner;
    Westring group;

    // The box state that sets a bit.
    unsigned char SetState() const { return several ? 2 : 1; }
    // Boxes from a file's mode, or all "unchanged" for several files.
    void FromMode(int mode);
    // The next state of a box when it is stepped (r, w, x, s, Space).
    unsigned char Advance(unsigned char state) const;
    // The digit's three bits (4, 2, 1) as boxes 0-2 of row, or as the three
    // S boxes when row < 0.
    void SetFromDigit(int row, int digit);
};

// The permission bits (07777) a file of old_mode gets from the boxes.
int AttribNewMode(const AttribSettings& settings, int old_mode);

// The number of a user or group typed in the dialog: its name in the
// system's database, or a decimal number (an id with no account is still a
// valid owner). -1 for an empty text, -2 for a text that is neither.
int64_t AttribUserId(const Westring& text);
int64_t AttribGroupId(const Westring& text);

// Changes the owner and group (ids < 0 keep them; a symbolic link itself is
// changed), then the permission bits (of the link's target for a link).
// 0 or the error number.
[[nodiscard]] int AttribApply(const Westring& path, int mode, int64_t uid, int64_t gid);
