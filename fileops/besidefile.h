// New files are made under a temporary name in the destination directory
// and renamed to their final name only when complete: a failure, Esc or a
// kill never leaves a partial file under the final name, and a file being
// replaced stays as it was until its successor is whole.
#pragma once

#include <functional>
#include <string>

#include "lib/atpath.h"

// Makes a node under a fresh temporary name beside final: make(dir, leaf)
// returns 0 or an error number, and EEXIST makes it try another name.
// temp_leaf receives the name to hand to the *at calls with final.dir().
// 0 or the error number.
[[nodiscard]] int MakeBeside(const AtPath& final, const std::function<int(int dir, const char* leaf)>& make,
                             std::string& temp_leaf);
// The same for the final name leaf relative to the open directory dir.
[[nodiscard]] int MakeBeside(int dir, const char* leaf, const std::function<int(int dir, const char* leaf)>& make,
                             std::string& temp_leaf);

// Renames the temporary node to the final name: over what is there when
// replace is set, else only when nothing is (EEXIST otherwise). The
// temporary node is removed when this fails. 0 or the error number.
[[nodiscard]] int PutInPlace(const AtPath& final, const std::string& temp_leaf, bool replace);
[[nodiscard]] int PutInPlace(int dir, const char* leaf, const std::string& temp_leaf, bool replace);

// Removes a temporary node left by a failed copy.
void DropBeside(const AtPath& final, const std::string& temp_leaf);
void DropBeside(int dir, const std::string& temp_leaf);
