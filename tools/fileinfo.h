// The status of one file as labelled texts, for the file-information dialog
// (Ctrl-I): sizes, times, mode, links, type, link target, owner and group.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/estring.h"
#include "lib/westring.h"

struct CFileInfoItem {
    Estring label;
    Westring value;
};

// The items in display order.
using CFileInfoItems = std::vector<CFileInfoItem>;

// Fills items from the status of path itself (a symbolic link describes the
// link). False, with the error number in error, when the status cannot be
// read; items are then empty.
[[nodiscard]] bool GetFileInfo(const Westring& path, CFileInfoItems& items, int& error);

// "999", or "123,456 (120K)": the size with digit groups, followed by the
// short column form when that differs.
Westring FileInfoSizeFormat(int64_t size);

// The owner's text: "name(uid)", then " - " and the account's full name
// (its comment field up to the first comma) when there is one; the bare
// number when the system has no account for it.
Westring FileInfoOwner(uint32_t uid);
// "name(gid)", or the bare number.
Westring FileInfoGroup(uint32_t gid);
