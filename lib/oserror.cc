#include "lib/oserror.h"

#include <cstring>

namespace {

// strerror_r comes in two forms: the GNU one returns the text (which may or
// may not be in the buffer), the POSIX one fills the buffer and returns 0.
[[maybe_unused]] const char* error_text(char* result, const char*) { return result; }
[[maybe_unused]] const char* error_text(int result, const char* buffer) {
    return result == 0 ? buffer : "Unknown error";
}

}  // namespace

Westring GetOSErrorMessage(int error) {
    char buffer[256];
    buffer[0] = 0;
    const char* text = error_text(strerror_r(error, buffer, sizeof buffer), buffer);
    Westring message(text);
    return message.rtrim();
}
