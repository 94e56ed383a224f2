// A temporary write permission for saving over a file that is not writable.
#pragma once

#include <cstdint>

#include "lib/westring.h"

class CReadOnlyOverride {
public:
    CReadOnlyOverride() = default;
    // Puts the file's mode back if the override is still active.
    // A mode that cannot be put back here has no one left to tell.
    ~CReadOnlyOverride() { (void)Release(); }
    CReadOnlyOverride(const CReadOnlyOverride&) = delete;
    CReadOnlyOverride& operator=(const CReadOnlyOverride&) = delete;

    // Gives the owner write permission on path. 0 when it did; EACCES when
    // the owner may already write (so the failure has another cause); the
    // error number of a failing stat or chmod. A previous override is
    // released first.
    [[nodiscard]] int Override(const Westring& path);
    // Restores the mode the file had before Override. 0 or the error number
    // of chmod; 0 when nothing is overridden.
    [[nodiscard]] int Release();

    bool active() const { return active_; }

private:
    Westring path_;
    uint16_t mode_ = 0;
    bool active_ = false;
};
