// The prompt of the !i macro: asks the user for a parameter of a command.
#pragma once

#include "lib/westring.h"

// Shows a small dialog with title (empty: "?") over a text field and puts
// what the user typed into answer. False when the user cancelled with Esc.
[[nodiscard]] bool AskParameter(const Westring& title, Westring& answer);
