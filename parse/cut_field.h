// SPDX-License-Identifier: MIT
// Taking one value out of a WHOIS reply by the labels around it.
#pragma once

#include <string>
#include <string_view>

namespace zonedesk::parse {

/// The text between the first `startLabel` and the first `endLabel` after it, with every pair of
/// consecutive blanks removed and surrounding white space trimmed. An empty `endLabel` returns the
/// rest of the text untouched. A missing label gives the empty string. Byte positions, exact
/// case-sensitive matching; no state, any thread.
std::string cutField(std::string_view text, std::string_view startLabel, std::string_view endLabel);

} // namespace zonedesk::parse
