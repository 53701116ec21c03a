#pragma once
// An environment variable set or unset for one test, put back as it was afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace velmora::testing {

class ScopedVariable {
public:
    /// value null: the variable is unset.
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* v = std::getenv(name)) saved_ = v;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { saved_ ? setenv(name_, saved_->c_str(), 1) : unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

}  // namespace velmora::testing
