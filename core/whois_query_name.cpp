// SPDX-License-Identifier: MIT
// IDNA2008 through libidn2: a name in Chinese or Japanese is asked for as its A-label form.
#include "core/whois_query_name.h"

#include <algorithm>
#include <cstdlib>

#include <idn2.h>

#include "core/encodings.h"
#include "core/text.h"

namespace zonedesk::core {

std::optional<std::string> aLabelsOf(std::string_view utf8Name)
{
    // libidn2 reads up to a NUL: a name holding one would be converted cut short.
    if (utf8Name.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string terminated(utf8Name);
    char* ascii = nullptr;
    const int rc = ::idn2_to_ascii_8z(terminated.c_str(), &ascii, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    std::optional<std::string> name;
    if (rc == IDN2_OK && ascii != nullptr)
        name = ascii;
    std::free(ascii);
    return name;
}

std::optional<std::string> whoisQueryName(std::string_view gbkDomain)
{
    if (isAscii(gbkDomain))
        return std::string(gbkDomain);
    return aLabelsOf(gbkToUtf8(gbkDomain));
}

} // namespace zonedesk::core
