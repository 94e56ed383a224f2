#include "panels/associations.h"

#include "lib/fsname.h"
#include "panels/mask.h"

AssociationSet execAssociations;
AssociationSet viewAssociations;
AssociationSet editAssociations;
AssociationSet colourAssociations;
AssociationSet colourDirAssociations;

bool Association::IsMatch(const entry* e) const { return e && mask_eval(mask, *e) == 1; }

bool Association::IsMatch(const Westring& name) const { return mask_eval(mask, name) == 1; }

int AssociationSet::AddAssociation(const Westring& mask, const Westring& command) {
    Association* association = new Association{mask, command};
    if (AddObject(association) == 0) return 0;
    delete association;
    return -1;
}

bool AssociationSet::FindAssociation(const entry* e, Westring& command) const {
    for (int i = 0; i < count(); i++) {
        const Association* association = (*this)[i];
        if (association->IsMatch(e)) {
            command = association->command;
            return true;
        }
    }
    return false;
}

bool AssociationSet::FindAssociation(const Westring& name, Westring& command) const {
    for (int i = 0; i < count(); i++) {
        const Association* association = (*this)[i];
        if (association->IsMatch(name)) {
            command = association->command;
            return true;
        }
    }
    return false;
}

bool AssociationSet::FindAssociation(const Westring& name, Estring& command) const {
    Westring wide;
    if (!FindAssociation(name, wide)) return false;
    command = EncodeFileName(wide);
    return true;
}
