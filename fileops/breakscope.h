// Marks an interruptible operation for the length of one item: break_status
// is "running" (1) inside, and the caller's value comes back afterwards, so
// that nested items do not end the outer command's break window.
#pragma once

#include "console/console.h"

class CBreakScope {
public:
    CBreakScope() : saved_(break_status) { break_status = 1; }
    ~CBreakScope() { break_status = saved_; }
    CBreakScope(const CBreakScope&) = delete;
    CBreakScope& operator=(const CBreakScope&) = delete;

private:
    int saved_;
};
