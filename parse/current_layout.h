// SPDX-License-Identifier: MIT
// Reading a reply in a registry's current line-oriented layout.
#pragma once

#include <string_view>

namespace zonedesk::core {
struct DomainRecord;
}

namespace zonedesk::parse {

struct CurrentLayout;

/// Reads `reply` with `layout`. When it finds a not-registered phrase, stores that verdict; when
/// it finds at least one date, stores Success and all six fields. Returns whether it did either;
/// otherwise the record is untouched.
bool readCurrentLayout(const CurrentLayout& layout, std::string_view reply, core::DomainRecord& record);

/// Whether a line of `reply` starts with one of the layout's phrases for a name the registry holds back.
bool saysReserved(const CurrentLayout& layout, std::string_view reply);

} // namespace zonedesk::parse
