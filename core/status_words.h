// SPDX-License-Identifier: MIT
// What a name's status codes mean to its holder, in a few words for the list's cell and one plain
// sentence per code for its tool tip, in Chinese and English.
#pragma once

#include <string_view>
#include <vector>

#include "core/domain_status.h"

namespace zonedesk::core {

struct StatusWords
{
    std::string_view zh;
    std::string_view en;
};

/// The states of `codes` in a few words each, the most pressing first, each once: a hold, a
/// redemption, a pending delete before a lock. Codes stated without a transfer lock say
/// "未锁定" / "unlocked" in the lock's place; none stated gives none.
std::vector<StatusWords> statusSummary(StatusBits codes);

/// One sentence of what `code` means for the name.
StatusWords statusMeaning(EppStatus code);

/// A hold, a redemption or a pending delete: the name is not working or on its way out.
bool atRisk(StatusBits codes);

} // namespace zonedesk::core
