// SPDX-License-Identifier: MIT
// Reading a reply in a registry's current line-oriented layout.
#pragma once

#include <optional>
#include <string_view>

#include "parse/reading.h"

namespace zonedesk::parse {

struct CurrentLayout;

/// Reads `reply` with `layout`: NotRegistered when a line starts with a not-registered phrase,
/// Success with all six fields when at least one date is found, nothing otherwise.
std::optional<Reading> readCurrentLayout(const CurrentLayout& layout, std::string_view reply);

/// Whether a line of `reply` starts with one of the layout's phrases for a name the registry holds back.
bool saysReserved(const CurrentLayout& layout, std::string_view reply);

} // namespace zonedesk::parse
