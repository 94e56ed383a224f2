#include "archive/archivetexts.h"

#include "archive/archive.h"
#include "fileops/hooks.h"
#include "panels/panel.h"

Westring FormatMessage(const wchar_t* pattern, int type) {
    Westring text(pattern);
    if (type >= 0 && type < ARCHIVE_TYPE_COUNT) static_cast<void>(text.subst(L"%s", Westring(archive_type_names[type])));
    return text;
}

Westring DestinationDirectory(PANEL* panel) {
    Westring dir;
    if (panel->detail == DETAIL_TREE && fileops_hooks.tree_cursor_path && fileops_hooks.tree_cursor_path(panel, dir))
        return dir;
    return panel->dir;
}
