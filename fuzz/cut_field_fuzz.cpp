// SPDX-License-Identifier: MIT
// cutField on arbitrary text, labels taken from the input: "start\x01end\x01text".
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "parse/cut_field.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t first = input.find('\x01');
    const std::size_t second = first == std::string_view::npos ? first : input.find('\x01', first + 1);
    if (second == std::string_view::npos || first == 0)
        return 0;
    const std::string_view start = input.substr(0, first);
    const std::string_view end = input.substr(first + 1, second - first - 1);
    const std::string_view text = input.substr(second + 1);
    const std::string value = zonedesk::parse::cutField(text, start, end);
    if (value.size() > text.size())
        std::abort();
    if (!end.empty() && !value.empty() && (value.front() == ' ' || value.back() == ' '))
        std::abort(); // trimmed values never keep blanks at their ends
    return 0;
}
