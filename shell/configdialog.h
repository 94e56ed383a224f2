// The options dialog: the programs, start-up directories, screen size and
// other settings the configuration file keeps.
#pragma once

// KEY_ENTER (13) when confirmed, KEY_ESC (27) when cancelled (the settings
// are then as before).
[[nodiscard]] int edit_config();
