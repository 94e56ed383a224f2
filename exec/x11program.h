// Telling X Window System clients from other programs without running them:
// such a program is started apart from the console, with nothing to wait for.
#pragma once

// Whether the program at path links the X11 client library (libX11.so.*),
// itself or through any library it needs: what ldd would list. The files are
// read, never run (ldd may run the program's own loader). Libraries are
// looked for as the dynamic loader does, along DT_RPATH, this process's
// LD_LIBRARY_PATH, DT_RUNPATH, the directories of /etc/ld.so.conf and the
// system's default ones. False for scripts, text and broken files.
[[nodiscard]] bool IsX11(const char* path);
