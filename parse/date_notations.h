// SPDX-License-Identifier: MIT
// The order of day and month in a registry's dates written with digits only.
#pragma once

#include <string_view>

#include "core/calendar_date.h"

namespace zonedesk::parse {

/// The order in which `reply`, a reply of the registry of `tld` (the last label, lower case), writes
/// day and month: the notation the reply states ("complete date format : DD/MM/YYYY", "Creation
/// Date (dd/mm/yyyy):"), else the order the registry is known to keep, else Unstated.
core::DateOrder dateOrderOf(std::string_view reply, std::string_view tld);

} // namespace zonedesk::parse
