#pragma once

// Sets or clears an environment variable for one test and puts the old value back. POSIX only:
// the Windows tests take their places as arguments instead.

#include <stdlib.h>

#include <optional>
#include <string>

namespace kgtest {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = ::getenv(name)) {
            m_old = old;
        }
        if (value) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace kgtest
