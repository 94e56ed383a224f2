#include "tools/foundsort.h"

#include <cwchar>

#include "lib/casefold.h"

namespace {

const wchar_t* NameOf(const FoundFile& found) {
    const wchar_t* slash = std::wcsrchr(found.file->name, L'/');
    return slash ? slash + 1 : found.file->name;
}

// The extension after the last '.', empty for none; a leading '.' (a
// hidden name) does not start one.
const wchar_t* ExtensionOf(const FoundFile& found) {
    const wchar_t* name = NameOf(found);
    const wchar_t* dot = std::wcsrchr(name, L'.');
    return dot && dot != name ? dot + 1 : L"";
}

bool ByName(const FoundFile& a, const FoundFile& b) {
    int names = fold_wcscasecmp(NameOf(a), NameOf(b));
    if (names != 0) return names < 0;
    return fold_wcscasecmp(a.file->name, b.file->name) < 0;
}

}  // namespace

void SortFound(FoundList& list, FoundOrder order) {
    switch (order) {
        case FoundOrder::kName: list.Sort(ByName); break;
        case FoundOrder::kExtension:
            list.Sort([](const FoundFile& a, const FoundFile& b) {
                int extensions = fold_wcscasecmp(ExtensionOf(a), ExtensionOf(b));
                return extensions != 0 ? extensions < 0 : ByName(a, b);
            });
            break;
        case FoundOrder::kTime:
            list.Sort([](const FoundFile& a, const FoundFile& b) {
                if (a.file->time == b.file->time) return ByName(a, b);
                return b.file->time < a.file->time;
            });
            break;
        case FoundOrder::kSize:
            list.Sort([](const FoundFile& a, const FoundFile& b) {
                if (a.file->size == b.file->size) return ByName(a, b);
                return a.file->size > b.file->size;
            });
            break;
    }
}
