// SPDX-License-Identifier: MIT
// A stdio file closed on every path out.
#pragma once

#include <cstdio>
#include <memory>

namespace zonedesk::core {

/// Closes a file that nobody closed explicitly, i.e. on an early return. A caller that must know
/// whether the close worked (a written file) releases it and closes it itself.
struct FileCloser
{
    void operator()(std::FILE* file) const { static_cast<void>(std::fclose(file)); }
};

using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

} // namespace zonedesk::core
