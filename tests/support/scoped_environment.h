// An environment variable set (or unset) for the length of a scope.
#ifndef TOVRIK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H
#define TOVRIK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H

#include <stdlib.h>

#include <string>

class ScopedEnvironment {
public:
    // NULL unsets the variable.
    ScopedEnvironment(const char *name, const char *value) : name_(name)
    {
        const char *old = getenv(name);
        had_ = old != NULL;
        old_ = old ? old : "";
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    std::string name_, old_;
    bool had_;
};

#endif // TOVRIK_TESTS_SUPPORT_SCOPED_ENVIRONMENT_H
