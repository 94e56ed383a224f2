// Sets an environment variable for the length of a test and puts it back.
#pragma once

#include <cstdlib>
#include <string>

class CEnvGuard {
public:
    // A null value removes the variable.
    CEnvGuard(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) saved_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~CEnvGuard() {
        if (had_) setenv(name_.c_str(), saved_.c_str(), 1);
        else unsetenv(name_.c_str());
    }
    CEnvGuard(const CEnvGuard&) = delete;
    CEnvGuard& operator=(const CEnvGuard&) = delete;

private:
    std::string name_;
    std::string saved_;
    bool had_;
};
