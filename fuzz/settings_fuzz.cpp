// SPDX-License-Identifier: MIT
// The profile reader and writer on arbitrary text: reading never exceeds the value limit, and a
// value written is read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk::core;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (profileValue(text, "user", "gqts").size() > MaxSettingLength)
        std::abort();
    (void)expiryWarnDaysFromText(text);
    const std::string rewritten = withProfileValue(text, "user", "gqts", "42");
    if (profileValue(rewritten, "user", "gqts") != "42")
        std::abort();
    return 0;
}
