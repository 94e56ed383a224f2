// Running an archiver from a chosen folder: the process's current
// directory is changed for the run and changed back afterwards, so that
// the archiver writes and reads the names it is given relative to there.
#pragma once

#include <string>

#include "lib/westring.h"

class WorkingDirectoryChange {
public:
    // Changes into dir; ok() tells whether that worked.
    explicit WorkingDirectoryChange(const Westring& dir);
    // Changes back to where the process was.
    ~WorkingDirectoryChange();
    WorkingDirectoryChange(const WorkingDirectoryChange&) = delete;
    WorkingDirectoryChange& operator=(const WorkingDirectoryChange&) = delete;

    bool ok() const { return error_ == 0; }
    int error() const { return error_; }

private:
    std::string previous_;
    int error_ = 0;
};
