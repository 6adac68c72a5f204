// SPDX-License-Identifier: MIT
#include "core/library_versions.h"

#include <set>

#include <gtest/gtest.h>

namespace zonedesk::core {
namespace {

TEST(LibraryVersions, EveryLibraryOnceWithAVersionItGaveItself)
{
    std::set<std::string> names;
    for (const LibraryVersion& library : libraryVersions()) {
        EXPECT_TRUE(names.insert(library.name).second) << library.name;
        EXPECT_NE(library.version, "?") << library.name;
        EXPECT_NE(library.version.find('.'), std::string::npos) << library.name << " " << library.version;
    }
    for (const char* name : {"libidn2",
                             "iconv (GNU libc)",
                             "libcurl",
                             "nlohmann-json",
                             "SQLite",
                             "zstd",
                             "libpsl",
                             "ICU",
                             "libical",
                             "GIO"})
        EXPECT_TRUE(names.contains(name)) << name;
}

} // namespace
} // namespace zonedesk::core
