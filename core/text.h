// SPDX-License-Identifier: MIT
// Small byte-text helpers shared by the parsers and readers (ASCII rules; GBK bytes pass through).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace zonedesk::core {

/// The C library's white space: blank, tab, CR, LF, vertical tab, form feed.
inline constexpr std::string_view WhiteSpace = " \t\r\n\v\f";

/// `text` without leading and trailing bytes of `blanks`.
constexpr std::string_view trim(std::string_view text, std::string_view blanks = WhiteSpace)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

/// `text` with A-Z lowered (every other byte as it is, so not for GBK-aware work).
inline std::string asciiLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

} // namespace zonedesk::core
