// SPDX-License-Identifier: MIT
// Names that may pass for another (UTS #39): a label mixing scripts, or one that looks like an
// ASCII label ("аpple.com" with a Cyrillic а). Such a name is shown with its A-label beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::core {

enum class NameConfusion : std::uint8_t
{
    None,
    MixedScripts,   // a label mixes scripts beyond the usual CJK mixes, mixes digit sets or hides a mark
    LooksLikeAscii, // a label in one other script that reads as an ASCII one ("аре" as "ape")
};

/// Whether a UTF-8 name may pass for another; ASCII labels never do. None when ICU's checker is not
/// available (its module missing: `confusionUnchecked` says why). Any thread.
NameConfusion nameConfusion(std::string_view utf8Name);

/// Why names beyond ASCII are not checked: ICU's module is missing or its checker cannot be set
/// up. Empty when they are checked. Loads the module. Any thread.
std::string confusionUnchecked();

/// The A-label form ("xn--pple-43d.com") of a name held in GBK when the name may pass for
/// another; nullopt for every other name. Any thread.
std::optional<std::string> confusableALabel(std::string_view gbkDomain);

} // namespace zonedesk::core
