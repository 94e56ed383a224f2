// Archive panels: entering an archive file from a panel, listing the
// directory the panel shows inside it, and leaving it again. An archive
// inside an archive is taken out to a private temporary folder first and
// opened from there, chained to the enclosing one.
#pragma once

struct PANEL;
struct entry;

// Puts the archive hooks of panel reading and command execution in place.
void InstallArchiveHooks();

// Opens the entry of the panel's directory as an archive and shows its top
// level in the panel. False (nothing changed) when it is no archive the
// program reads or the member could not be taken out.
bool EnterArchive(PANEL* panel, entry* e);

// Closes every archive the panel shows, innermost first.
void CloseArchives(PANEL* panel);
