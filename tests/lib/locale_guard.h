// Switches one locale category for the length of a test and puts it back.
#pragma once

#include <clocale>
#include <string>

class CLocaleGuard {
public:
    CLocaleGuard(int category, const char* name) : category_(category) {
        const char* old = setlocale(category, nullptr);
        saved_ = old ? old : "C";
        ok_ = setlocale(category, name) != nullptr;
    }
    ~CLocaleGuard() { setlocale(category_, saved_.c_str()); }
    CLocaleGuard(const CLocaleGuard&) = delete;
    CLocaleGuard& operator=(const CLocaleGuard&) = delete;

    // False when the locale is not installed (the category is unchanged then).
    bool ok() const { return ok_; }

private:
    int category_;
    std::string saved_;
    bool ok_;
};
