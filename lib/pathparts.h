// CPathParts: the components of a path in order, split at "/".
#pragma once

#include "lib/objectstore.h"
#include "lib/westring.h"

class CPathParts : public TObjectStore<Westring> {
public:
    // Splits path at "/": empty components are dropped, except that a
    // leading "/" gives an empty first component (the root).
    explicit CPathParts(const Westring& path);

    // The number of leading components equal in both (case matters).
    int Common(const CPathParts& other) const;
    // The components joined with "/"; the root alone gives "/".
    Westring Path() const;
};

// The directory that holds path. Trailing "/" are ignored and the result
// has none except the root: "/a/b/" and "/a/b" give "/a", "/a" and "/a/"
// give "/", and "/" (or "") stays "/". A relative path keeps its form:
// "a/b" gives "a", and a single name "a" gives "." (the working directory).
Westring ParentDirectory(const Westring& path);
