// The locale's date format as the panels show and read dates: the character
// between the fields and the order of day, month and year.
#pragma once

// The separator of the current locale's date format ('/' when it has none).
wchar_t date_separator();
// "mdy", "dmy" or "ymd" for the current locale's date format.
const char* date_order();

// The same two answers for a date format in strftime form, such as
// "%d.%m.%Y"; a null or unreadable format gives '/' and "mdy".
wchar_t date_separator_of(const char* format);
const char* date_order_of(const char* format);
