// Where one path lies relative to a directory, judged by the files
// themselves (device and inode) rather than by spelling, so that symbolic
// links, ".." and trees deeper than the path limit are all seen through.
#pragma once

// Whether path is the directory dir or lies below it. path need not exist:
// its nearest existing ancestor decides. False when dir is no directory.
bool WithinDirectory(const wchar_t* dir, const wchar_t* path);
