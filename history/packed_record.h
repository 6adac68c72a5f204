// SPDX-License-Identifier: MIT
// Finished records on their way to the history's writer, packed: most of a record's fixed-width
// fields are the zeros after a short text, and a queue of whole copies would hold them all.
#pragma once

#include <string>
#include <string_view>

#include "core/domain_table.h"

namespace zonedesk::history {

/// Appends `record` to `out`: its bytes, each run of zeros as a zero and the run's length.
void appendPackedRecord(std::string& out, const core::DomainRecord& record);

/// Reads the next record of `in` into `record` and moves `in` past it; false when `in` does not
/// start with a whole packed record.
bool takePackedRecord(std::string_view& in, core::DomainRecord& record);

} // namespace zonedesk::history
