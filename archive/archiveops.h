// The commands that change archives or take members out of them: copying
// and moving out of and into an archive panel (F5, F6), deleting members
// (F8), making a new archive of the tagged files (Shift-F7), and reading
// an archive again after it changed.
#pragma once

struct PANEL;

// Reads the panel's innermost archive again. 0, or -1 when it can no longer
// be read: the panel then shows the archive around it, or none.
int ArchiveReload(PANEL* panel);

// Deletes the panel's tagged members (or its cursor entry) from its archive
// and reads the archive again.
void ArchiveDelete(PANEL* panel);

// Asks for a name and a format and makes a new archive of the tagged files
// of panel (or its cursor entry) in its directory. 0 when the dialog was
// left without a name, -1 when there was nothing to do or it failed, else
// the archiver's status (0 succeeded).
int MakeArchive(PANEL* panel);

// F5 and F6 with an archive on either side: extracts the tagged members of
// the archive panel panels[side] into a directory, or adds the tagged files
// of that panel to the archive the other panel shows. move deletes what was
// really taken out or added afterwards.
void archive_copy_move(PANEL* panels, int side, bool move);

// Whether F5 and F6 on side act on an archive: the panel shows one, or the
// other panel shows one as a file list.
bool ArchiveCopyApplies(const PANEL* panels, int side);
