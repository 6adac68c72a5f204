// SPDX-License-Identifier: MIT
// The UTS #46 mapping of a domain name: the form a browser or a registry would look the name up in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::core {

/// `utf8Name` mapped as UTS #46 (non-transitional) maps it: letters case-folded ("BÜCHER.jp" to
/// "bücher.jp"), full-width forms narrowed, the ideographic and full-width full stops made dots
/// ("例子。cn" to "例子.cn"), NFC; every label in its Unicode form. nullopt when IDNA has no form for
/// the name. Any thread.
std::optional<std::string> idnMapped(std::string_view utf8Name);

} // namespace zonedesk::core
