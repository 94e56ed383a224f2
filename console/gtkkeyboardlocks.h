// The keyboard's lock keys on the desktop, through the X keyboard extension.
// Called with the toolkit lock held.
#pragma once

// 1 when Scroll Lock is locked on, 0 when off, -1 when the keymap ties no
// modifier to the Scroll Lock key (the desktop then keeps no state for it).
int DesktopScrollLockState();
// Locks the modifier of the Num Lock key on; nothing happens when the keymap
// ties none to it.
void DesktopNumLockOn();
