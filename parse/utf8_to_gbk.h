// SPDX-License-Identifier: MIT
// Re-encoding a registry's UTF-8 value into the GBK code page that records hold.
#pragma once

#include <string>

namespace zonedesk::parse {

/// Replaces `value` (UTF-8) with its GBK form. A character GBK cannot hold becomes "?", bytes that
/// are not UTF-8 are dropped, and a failed conversion leaves the empty string. ASCII (including
/// 7-bit ISO-2022-JP text) comes out unchanged. Any thread.
void utf8ToGbkInPlace(std::string& value);

} // namespace zonedesk::parse
