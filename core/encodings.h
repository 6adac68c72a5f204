// SPDX-License-Identifier: MIT
// Conversions between the GBK bytes kept in records and files, UTF-8 for screens and terminals,
// and the ISO-2022-JP text of .jp replies. Thread-safe: each call opens its own converters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::core {

/// Length in bytes (1 or 2) of the GBK character that starts at text[pos]; pos < text.size().
/// A lead byte without a valid trail byte counts as a single byte.
constexpr std::size_t gbkCharLength(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x81 || lead == 0xFF || pos + 1 >= text.size())
        return 1;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

/// GBK to UTF-8. A byte sequence that is not GBK becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

/// UTF-8 to GBK. A character GBK cannot hold becomes "?"; bytes that are not UTF-8 are dropped.
/// Returns the empty string when the converter is not available.
std::string utf8ToGbk(std::string_view utf8);

/// UTF-8 to GBK only when every byte is UTF-8 and every character has a GBK form; nullopt otherwise
/// (a name must not be changed by its conversion).
std::optional<std::string> utf8ToGbkExact(std::string_view utf8);

/// UTF-16 (little- or big-endian, no byte-order mark) to UTF-8; a unit that is not UTF-16 becomes
/// U+FFFD, and so does an odd last byte.
std::string utf16ToUtf8(std::string_view utf16, bool bigEndian);

/// One character of UTF-8 text: its code point and its length in bytes.
struct Utf8Char
{
    std::uint32_t point = 0;
    std::size_t length = 0; // 0: no well-formed character starts there
};

/// The well-formed UTF-8 character at text[pos] (ICU's reading: no overlong form, no surrogate,
/// nothing above U+10FFFF, nothing cut off by the end of `text`); length 0 for any other byte.
Utf8Char utf8CharAt(std::string_view text, std::size_t pos);

/// Whether `text` is well-formed UTF-8; with `mayBeCut`, a sequence cut off by the end of `text`
/// still counts as well-formed (the text is the first part of something longer).
bool isUtf8(std::string_view text, bool mayBeCut = false);

/// ISO-2022-JP to UTF-8; broken sequences are dropped.
std::string iso2022jpToUtf8(std::string_view iso2022jp);

/// ISO-2022-JP to GBK. A character GBK cannot hold becomes "?"; broken sequences are dropped.
std::string iso2022jpToGbk(std::string_view iso2022jp);

} // namespace zonedesk::core
