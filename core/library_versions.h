// SPDX-License-Identifier: MIT
// The libraries both programs stand on or load in their modules, with their versions: what
// `zonedesk-cli --version` and the desktop program's About box list.
#pragma once

#include <string>
#include <vector>

namespace zonedesk::core {

struct LibraryVersion
{
    std::string name; // "libcurl", "iconv (GNU libc)"
    // As the library says of itself at run time; "?" when it does not or its module is missing.
    std::string version;
};

/// The core's libraries in a fixed order: the loaded shared libraries' own versions, the
/// header-only ones' and libical's as compiled in. Loads the modules. Any thread.
std::vector<LibraryVersion> libraryVersions();

} // namespace zonedesk::core
