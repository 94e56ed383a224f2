#include "fileops/copyseams.h"

#include "console/console.h"

CopySeams copy_seams;

bool fileops_esc_pending() { return copy_seams.esc_pending ? copy_seams.esc_pending() : check_esc(); }
