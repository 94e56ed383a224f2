#include "tools/usermenukeytext.h"

#include "lib/casefold.h"

namespace {

constexpr int kExtendedKey = 0x10000;  // codes from here on are special keys

// The codes of F1..F10 and F11..F12 are n plus these bases, by modifier.
struct FunctionKeyBases {
    wchar_t prefix;  // 0 for none
    int low;         // n up to 10
    int high;        // n above 10
};
constexpr FunctionKeyBases kBases[] = {
    {0, 0x1003A, 0x1007A},
    {L'A', 0x10067, 0x10080},
    {L'C', 0x1005D, 0x1007E},
    {L'S', 0x30053, 0x3007C},
};
constexpr int kLastFunctionKey = 12;

// The number of "F<n>" at text: 1 to 12 without a leading zero, else 0.
int function_key_number(const wchar_t* text) {
    if (text[0] != L'F' || text[1] < L'1' || text[1] > L'9') return 0;
    int n = 0;
    for (const wchar_t* p = text + 1; *p; p++) {
        if (*p < L'0' || *p > L'9') return 0;
        n = n * 10 + (*p - L'0');
        if (n > kLastFunctionKey) return 0;
    }
    return n;
}

bool usable_character(wchar_t c) { return c >= 0x20 && c != 0x7F && c < kExtendedKey; }

}  // namespace

int MenuKeyCode(const Westring& key_text) {
    const int length = key_text.strlen();
    if (length == 1) return usable_character(key_text[0]) ? key_text[0] : 0;
    if (length < 2 || length > 4) return 0;
    const wchar_t* text = key_text.c_str();
    for (const FunctionKeyBases& bases : kBases) {
        const wchar_t* number = text;
        if (bases.prefix) {
            if (text[0] != bases.prefix) continue;
            number++;
        }
        const int n = function_key_number(number);
        if (n > 0) return n + (n <= 10 ? bases.low : bases.high);
    }
    return 0;
}

int MenuTypedKey(int key) {
    if (key <= 0 || key >= kExtendedKey) return key;
    return CUnicodeCaseFold::Get().toupper(static_cast<wchar_t>(key));
}
