#include "editor/editor.h"

EditorHooks editor_hooks;
EditorSearch editor_search;

EditorExit edit(const wchar_t* name, int64_t offset, int length) {
    DVEditor editor;
    return editor.edit(name, offset, length);
}
