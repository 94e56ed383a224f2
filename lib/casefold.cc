#include "lib/casefold.h"

namespace {

const CUnicodeCaseFold::Pair kCaseList[] = {
#include "lib/casefold_table.inc"
};

}  // namespace

const CUnicodeCaseFold::Pair* CUnicodeCaseFold::Pairs() { return kCaseList; }

int CUnicodeCaseFold::PairCount() { return static_cast<int>(sizeof kCaseList / sizeof kCaseList[0]); }

CUnicodeCaseFold::CUnicodeCaseFold() {
    for (int c = 0; c < 0x10000; c++) table_[c] = static_cast<uint16_t>(c);
    for (const Pair& p : kCaseList) table_[p.lower] = p.upper;
}

const CUnicodeCaseFold& CUnicodeCaseFold::Get() {
    // Built once, thread-safely, on first use; lives until the program ends.
    static const CUnicodeCaseFold* instance = new CUnicodeCaseFold();
    return *instance;
}

void CUnicodeCaseFold::strupr(wchar_t* text) const {
    if (!text) return;
    for (; *text; text++) *text = toupper(*text);
}

int fold_wcscasecmp(const wchar_t* a, const wchar_t* b) {
    const CUnicodeCaseFold& fold = CUnicodeCaseFold::Get();
    for (;; a++, b++) {
        wchar_t ua = fold.toupper(*a), ub = fold.toupper(*b);
        if (ua != ub || *a == 0) {
            // Worked out in 64 bits: characters far apart must not overflow.
            int64_t d = static_cast<int64_t>(ua) - static_cast<int64_t>(ub);
            return d > 0 ? (d > INT32_MAX ? INT32_MAX : static_cast<int>(d))
                         : (d < INT32_MIN ? INT32_MIN : static_cast<int>(d));
        }
    }
}
