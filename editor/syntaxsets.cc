#include "editor/syntaxsets.h"

#include "lib/casefold.h"

namespace {

// Copies n characters into out, upper-cased when fold is set.
void CopyWord(Westring& out, const wchar_t* word, int n, bool fold) {
    out.reserve_discard(n);
    wchar_t* d = out.data();
    if (fold) {
        const CUnicodeCaseFold& table = CUnicodeCaseFold::Get();
        for (int i = 0; i < n; i++) d[i] = table.toupper(word[i]);
    } else {
        std::wmemcpy(d, word, n);
    }
    d[n] = 0;
}

}  // namespace

void SyntaxWordList::AddWord(const wchar_t* word, int n) {
    if (n <= 0) return;
    auto* item = new Westring();
    CopyWord(*item, word, n, ignore_case_);
    if (AddItem(item) != 0) delete item;  // already listed
}

bool SyntaxWordList::Contains(const wchar_t* word, int n) const {
    if (n <= 0 || count() == 0) return false;
    CopyWord(probe_, word, n, ignore_case_);
    int position;
    return FindPosition(position, probe_.c_str()) == 0;
}
