// SPDX-License-Identifier: MIT
// Reading a reply with a branch's rules for the layout the registry used around 2010.
#pragma once

#include <string_view>

#include "parse/reading.h"

namespace zonedesk::parse {

struct Branch;

/// The branch's verdict on `reply` (its not-registered phrase, in the section where the branch
/// looks for it), and for a registered name every field rule's value and "N/A" in the fields the
/// registry does not provide. Always NotRegistered or Success.
Reading readOldLayout(const Branch& branch, std::string_view reply);

} // namespace zonedesk::parse
