#include "fileops/hooks.h"

#include <cstdlib>

FileOpsHooks fileops_hooks;

const char* fileops_getenv(const char* name) {
    return fileops_hooks.getenv ? fileops_hooks.getenv(name) : std::getenv(name);
}
