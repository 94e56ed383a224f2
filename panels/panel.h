// The two file panels. Each PANEL lists one directory (or one directory
// level inside an archive) and owns its entries, its cursor, its tagged set,
// its settings (sort order, style, filter) and its window.
#pragma once

#include <cstdint>
#include <memory>

#include "config/panelenums.h"
#include "console/win.h"
#include "lib/strcoll.h"
#include "lib/westring.h"
#include "panels/entry.h"
#include "panels/linkcache.h"
#include "panels/posstack.h"
#include "panels/treeholder.h"

class Archive;

struct PANEL {
    static constexpr int kInitialMaxFiles = 4096;

    PANEL();
    ~PANEL();
    PANEL(const PANEL&) = delete;
    PANEL& operator=(const PANEL&) = delete;

    Westring dir;               // the directory shown, absolute (inside an archive: a virtual path)
    Westring read_dir;          // the directory the list was last read for
    int32_t read_pos[2] = {0, 0};  // top and cursor row that belong to read_dir
    Westring prev_dir;          // the directory left at the last change of directory
    int32_t prev_pos[2] = {0, 0};  // top and cursor row that belong to prev_dir
    int32_t cur = 0;            // cursor row: the cursor entry's offset from top
    int32_t top = 0;            // index of the first entry shown
    uint8_t visible = 0;        // the panel is shown
    uint8_t reread = 0;         // read it again when it is next shown
    uint8_t changed = 0;        // read since it was last painted
    uint8_t was_hidden = 0;     // already hidden when both panels were hidden
    std::unique_ptr<Win> window;  // the panel's framed window
    CPosStack positions;        // cursor positions remembered per directory
    entry** files;              // the list, max_files slots, num_files used
    int32_t max_files;
    int32_t num_files = 0;
    int32_t num_tagged = 0;
    uint64_t tagged_size = 0;   // the sizes of the tagged entries added up
    Westring search;            // quick-search text typed so far
    sortby sort = SORT_NAME;
    paneltype type = PANEL_FILES;
    paneldetail detail = DETAIL_FULL;
    Westring filter;            // file mask or filter expression; "*" shows every file
    int32_t page_size = 0;      // entries visible at once
    Westring fs_type;           // type name of the file system that holds dir
    uint32_t fs_id = 0;         // that file system's identity, as the directory tree knows it
    Westring fs_label;          // a second file-system text, emptied by every read
    Westring mount_point;       // where that file system is mounted
    uint32_t read_error = 0;    // error number of the last failed read, 0 after a good one
    CTreeHolder tree;           // the directory tree of this file system
    Archive* archive = nullptr;  // the innermost archive shown, or null
    int32_t name_shift = 0;     // how far the cursor entry's name is scrolled left
    int32_t name_shift_index = -1;  // the entry name_shift belongs to, or -1
    FnStringCollection subdirs;     // the names of the subdirectories the last read found
    int32_t dirinfo_row = -1;       // an information panel: the window row " Dir Info " is on, or -1
    CLinkTargetCache link_targets;  // symbolic-link targets, emptied by every read

    // The directory commands run in: for an archive panel the directory that
    // holds the outermost archive file, otherwise dir.
    Westring GetWD() const;
    // Attaches, checks and saves the directory tree of the panel's file
    // system. LoadTree: whether a tree is attached. CheckTree: whether the
    // tree changed. WriteTree: false when saving failed.
    bool LoadTree();
    bool CheckTree();
    [[nodiscard]] bool WriteTree();

    // The entry under the cursor, or null when the list is empty.
    entry* CurrentEntry() const;
    // Frees every entry; the list is then empty and nothing is tagged.
    void FreeEntries();
};

// Where later parts of the program plug into panel reading; any of them may
// be null.
struct PanelHooks {
    // Shows a panel on its side (0 left, 1 right): makes its window and paints it.
    void (*show)(PANEL* panel, int side) = nullptr;
    // Paints a panel that has been read.
    void (*paint)(PANEL* panel) = nullptr;
    // Fills a panel in the tree style with its directory tree instead of a listing.
    void (*read_tree)(PANEL* panel) = nullptr;
    // Lets the information panel info show what source has just read.
    void (*update_info)(PANEL* info, PANEL* source) = nullptr;
    // Called with the number of entries taken from the listing so far, after
    // each one; null in the program (tests slow a read down with it, or press
    // Break in the middle of one).
    void (*each_entry)(PANEL* panel, int taken) = nullptr;

    // Archive panels. Whether the innermost archive still holds dir and its
    // file still exists.
    bool (*archive_current)(PANEL* panel) = nullptr;
    // Destroys the innermost archive; its parent (or none) becomes current.
    void (*archive_close_innermost)(PANEL* panel) = nullptr;
    // The first and the next entry of the directory dir inside the archive,
    // each a new entry the panel then owns: 0, DIR_NO_MORE_FILES, -1 (already
    // reported) or an error number.
    int (*archive_find_first)(PANEL* panel, entry** result) = nullptr;
    int (*archive_find_next)(PANEL* panel, entry** result) = nullptr;
    // The path of the outermost archive file.
    Westring (*archive_outer_file)(const PANEL* panel) = nullptr;
    // What the information panel shows of the innermost archive: the sizes
    // of its files added up unpacked and packed (-1 when unknown), the name
    // of its format and its file's name without the directory.
    void (*archive_totals)(PANEL* panel, int64_t& unpacked, int64_t& packed, Westring& type_name,
                           Westring& file_name) = nullptr;
};
extern PanelHooks panel_hooks;

// The two panels, left then right, and the current side (0 left, 1 right).
extern PANEL* panel_base;
extern int currpanel;

// The other panel of the pair, or null for a panel outside panel_base.
PANEL* other_panel(const PANEL* panel);

// Whether names on the panel's file system are case-filtered: its type is
// one of those the configuration's case filter lists (compared ignoring case).
bool case_filtered(const PANEL* panel);

// Reads the panel's directory again. A read of the directory the list was
// read for keeps the cursor on the same name and the tags of the entries
// still present. A hidden panel, or one that shows information, is only
// marked for reading when it is next shown. A directory that cannot be
// listed (permission denied, not a directory, name too long) is reported and
// the panel goes up to the nearest parent that can be listed.
void read_panel(PANEL* panel);
// Makes the parent of the panel's directory the panel's directory and reads it.
void read_parent_dir(PANEL* panel);
// Doubles the capacity of the list; false when it cannot grow.
[[nodiscard]] bool IncreaseMaxFiles(PANEL* panel);
// Puts the cursor on the entry named exactly name (when there is one) and
// keeps the cursor inside the page.
void goto_fname(PANEL* panel, const wchar_t* name);
// Re-reads both panels after a file operation (a hidden one is marked for
// reading) and repaints them.
void panel_refresh();
// Sets a panel up from the settings of its side (0 left, 1 right), reads it
// and shows it when its side is showing.
void init_panel(PANEL* panel, int side);
