// SPDX-License-Identifier: MIT
// IDNA2008 through libidn2: a name in Chinese or Japanese is asked for as its A-label form.
#include "core/whois_query_name.h"

#include <algorithm>
#include <cstdlib>

#include <idn2.h>

#include "core/encodings.h"

namespace zonedesk::core {

std::optional<std::string> whoisQueryName(std::string_view gbkDomain)
{
    if (std::all_of(
            gbkDomain.begin(), gbkDomain.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::string(gbkDomain);
    const std::string utf8 = gbkToUtf8(gbkDomain);
    char* ascii = nullptr;
    const int rc = ::idn2_to_ascii_8z(utf8.c_str(), &ascii, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    if (rc != IDN2_OK || ascii == nullptr) {
        std::free(ascii);
        return std::nullopt;
    }
    std::string name(ascii);
    std::free(ascii);
    return name;
}

} // namespace zonedesk::core
