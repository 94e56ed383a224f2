#include "fileops/fileglobals.h"

#include "console/console.h"

int overwrite_mode = OVERWRITE_ASK;
char merge_all = 0;
signed char read_written_all = 0;
char del_all_RO = DEL_RO_ASK;
char del_force = 0;
char del_all_trees = 0;
char case_filter = 0;
Win* fwin = nullptr;

void ResetFileGlobals() {
    overwrite_mode = OVERWRITE_ASK;
    merge_all = 0;
    read_written_all = 0;
    del_all_RO = DEL_RO_ASK;
    del_force = 0;
    del_all_trees = 0;
    case_filter = 0;
    break_status = 0;
}
