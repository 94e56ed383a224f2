// The text of an operating-system error number, for messages to the user.
#pragma once

#include "lib/westring.h"

// The C library's text for the error number with trailing white space
// removed. Safe to call from any thread.
Westring GetOSErrorMessage(int error);

// The same, under its shorter name.
inline Westring GetOSErrorMsg(int error) { return GetOSErrorMessage(error); }
