// Path arithmetic for the file operations: joining and splitting at "/",
// making a typed path absolute, and the real location of a path that may
// not exist yet.
#pragma once

#include "lib/westring.h"

// dir + "/" + name, without doubling a "/" that ends dir.
Westring join_path(const Westring& dir, const Westring& name);
// Everything before the last "/" ("/" for a name in the root, empty when
// there is no "/"). Only "/" separates: a backslash is part of a Unix name.
Westring dir_part(const Westring& path);
// Everything after the last "/" (the whole path when there is none).
Westring last_component(const Westring& path);

// Turns every backslash into "/", makes a relative path absolute against
// base (the current directory when base is null), drops "." components and
// empty ones, and lets each ".." go up one level ("..." and other names
// made of dots are ordinary names).
// 0, or -1 when the current directory cannot be read or the path climbs
// above "/". An empty result is "/".
[[nodiscard]] int ResolvePath(Westring& path, const wchar_t* base);
