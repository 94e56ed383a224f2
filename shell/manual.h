// Opening the manual in a web browser.
#pragma once

#include "lib/westring.h"

// The manual's index page.
extern const char* const kManualIndex;

// The first of "x-www-browser", "firefox", "mozilla-firefox" and "epiphany"
// found on the search path, as a full path; empty when there is none.
Westring FindBrowser();
// Starts the browser with the manual's index page in the background; false
// when no browser was found or it could not be started.
[[nodiscard]] bool open_manual();
