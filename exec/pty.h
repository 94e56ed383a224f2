// Pseudo-terminals for commands run inside the program's window.
#pragma once

// Opens a new pseudo-terminal pair sized rows x columns. Both ends are
// opened close-on-exec and without becoming anybody's controlling terminal;
// the child makes the slave its own after fork. Returns 0, or the errno
// value of the step that failed (nothing stays open then).
[[nodiscard]] int OpenPty(int& master, int& slave, int rows, int columns);

// Tells the terminal on fd (either end) its new size; the foreground program
// gets SIGWINCH. Returns 0 or an errno value.
[[nodiscard]] int SetPtySize(int fd, int rows, int columns);
