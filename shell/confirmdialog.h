// The Confirmations dialog of the Options menu: which questions the program
// asks before deleting and quitting.
#pragma once

// Shows the dialog; OK stores the boxes in the Confirmations setting (a bit
// set is a question switched off), Cancel changes nothing.
void edit_confirmations();
