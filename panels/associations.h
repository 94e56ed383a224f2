// File associations: masks paired with commands (or colour words). A set is
// searched in order and the first association whose mask matches wins. The
// command, viewer and editor sets say what Enter, F3 and F4 run for a file;
// the colour sets say how the panels colour files and directories.
#pragma once

#include "lib/estring.h"
#include "lib/objectstore.h"
#include "lib/westring.h"
#include "panels/entry.h"

struct Association {
    Westring mask;     // a filter expression
    Westring command;

    // Whether the mask matches the entry (or a bare name); a mask with a
    // syntax error matches nothing.
    bool IsMatch(const entry* e) const;
    bool IsMatch(const Westring& name) const;
};

class AssociationSet : public TObjectStore<Association> {
public:
    // Appends an association; 0, or -1 when the set is full.
    int AddAssociation(const Westring& mask, const Westring& command);
    // The command of the first association matching the entry or name; false
    // (command untouched) when none matches. The narrow form gives the
    // bytes of the configuration file (UTF-8).
    bool FindAssociation(const entry* e, Westring& command) const;
    bool FindAssociation(const Westring& name, Westring& command) const;
    bool FindAssociation(const Westring& name, Estring& command) const;
    void Clear() { DestroyAll(); }
};

extern AssociationSet execAssociations;       // [Associations]: commands run for files
extern AssociationSet viewAssociations;       // [Viewer Associations]
extern AssociationSet editAssociations;       // [Editor Associations]
extern AssociationSet colourAssociations;     // [Colours]: colour words for files
extern AssociationSet colourDirAssociations;  // [Directory Colours]: colour words for directories
