// SPDX-License-Identifier: MIT
// The one way text gets into a fixed-width record field.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "core/encodings.h"

namespace zonedesk::core {

/// Number of leading bytes of `text` that make whole GBK characters and fit in `limit` bytes.
constexpr std::size_t gbkFitLength(std::string_view text, std::size_t limit)
{
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t next = length + gbkCharLength(text, length);
        if (next > limit)
            break;
        length = next;
    }
    return length;
}

/// Copies src into dst, cutting at the last whole GBK character that fits in N - 1 bytes; the rest
/// of the field is zero-filled, so it is always NUL-terminated and never touches the next field.
/// Returns the number of bytes stored. Any thread (the caller must own the record).
template <std::size_t N> std::size_t copyField(char (&dst)[N], std::string_view src)
{
    static_assert(N > 0);
    // A NUL inside src would end the stored text anyway; stop there so the cut is measured honestly.
    src = src.substr(0, std::min(src.find('\0'), src.size()));
    const std::size_t length = gbkFitLength(src, N - 1);
    std::copy_n(src.begin(), length, dst); // not memcpy: an empty view may have a null data()
    std::fill(dst + length, dst + N, '\0');
    return length;
}

/// The text stored in a field: up to its first NUL, never past its end.
template <std::size_t N> std::string_view fieldText(const char (&field)[N])
{
    const auto* end = std::find(field, field + N, '\0');
    return {field, static_cast<std::size_t>(end - field)};
}

} // namespace zonedesk::core
