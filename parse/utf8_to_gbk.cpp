// SPDX-License-Identifier: MIT
// utf8ToGbkInPlace on top of the core's encodings.
#include "parse/utf8_to_gbk.h"

#include <algorithm>

#include "core/encodings.h"
#include "core/text.h"

namespace zonedesk::parse {

void utf8ToGbkInPlace(std::string& value)
{
    // Pure ASCII is the common case for WHOIS values and needs no converter.
    if (core::isAscii(value))
        return;
    value = core::utf8ToGbk(value);
}

} // namespace zonedesk::parse
