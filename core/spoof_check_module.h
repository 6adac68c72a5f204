// SPDX-License-Identifier: MIT
// The module that holds ICU's spoof checker (UTS #39) for core/confusable_names: ICU is mapped only
// when a name has a label beyond ASCII.
#pragma once

#include <cstddef>

namespace zonedesk::core {

/// How a UTF-8 label may pass for another: a NameConfusion value (0 none, 1 mixed scripts, 2 reads
/// as an ASCII label); -1 when ICU's checker cannot be set up. Any thread.
using SpoofLabelCheck = int(const char* utf8Label, std::size_t size);
/// The entry's name carries the version of its signature: a change renames it, so that a module of
/// another build is refused rather than misread.
inline constexpr const char* SpoofLabelEntry = "zonedesk_spoof_label_1";

} // namespace zonedesk::core
