// SPDX-License-Identifier: MIT
// An environment variable set (or removed) for one test, its old value put back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace zonedesk::test {

class ScopedVariable
{
public:
    /// Sets `name` to `value`; a null `value` removes it.
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name)) // NOLINT(concurrency-mt-unsafe): tests set it before threads
            m_old = old;
        if (value != nullptr)
            ::setenv(name, value, 1); // NOLINT(concurrency-mt-unsafe)
        else
            ::unsetenv(name); // NOLINT(concurrency-mt-unsafe)
    }

    ~ScopedVariable()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1); // NOLINT(concurrency-mt-unsafe)
        else
            ::unsetenv(m_name); // NOLINT(concurrency-mt-unsafe)
    }

    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace zonedesk::test
