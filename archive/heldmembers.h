// Members taken out of an archive for a program that runs on its own (an
// association started in the background, a program with its own window):
// nobody waits for it, so its copy is neither removed nor rewritten under
// it. Its folder stays while the program runs, and whenever the copy is
// seen to have changed it is written back into its archive.
#pragma once

// The members the panels' archives have out now become held: the archive
// forgets them, and this list keeps them.
void HoldExtractedMembers();

// Writes back every held member whose copy changed since it was last
// looked at. Runs before a member is extracted, when an archive is left,
// and when the program ends.
void WriteBackHeldMembers();

// How many members are held (for tests).
int HeldMemberCount();
