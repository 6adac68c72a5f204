// SPDX-License-Identifier: MIT
// How deep JSON text from outside nests, found before a parser builds a document of it: a parser
// keeps every open level, so a text of brackets alone costs memory in proportion to its length.
#pragma once

#include <cstddef>
#include <string_view>

namespace zonedesk::core {

/// Deeper than any RDAP answer or file the programs read (RFC 9083 objects nest about ten levels).
inline constexpr std::size_t MaxJsonDepth = 64;

/// Whether `text` opens no more than `maxDepth` arrays and objects inside one another, counting
/// the brackets outside strings (a string's escaped quote does not end it). Malformed text is
/// left to the parser: only the depth is judged. Pure; any thread.
bool jsonNestingWithin(std::string_view text, std::size_t maxDepth = MaxJsonDepth);

} // namespace zonedesk::core
