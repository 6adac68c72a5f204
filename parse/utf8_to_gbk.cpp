// SPDX-License-Identifier: MIT
// utf8ToGbkInPlace on top of the core's encodings.
#include "parse/utf8_to_gbk.h"

#include <algorithm>

#include "core/encodings.h"

namespace zonedesk::parse {

void utf8ToGbkInPlace(std::string& value)
{
    // Pure ASCII is the common case for WHOIS values and needs no converter.
    if (std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return;
    value = core::utf8ToGbk(value);
}

} // namespace zonedesk::parse
