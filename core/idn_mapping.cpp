// SPDX-License-Identifier: MIT
// libidn2 maps while it encodes; decoding its A-labels again gives the mapped Unicode name.
#include "core/idn_mapping.h"

#include <cstdlib>
#include <memory>

#include <idn2.h>

#include "core/whois_query_name.h"

namespace zonedesk::core {

namespace {

struct FreeIdn2
{
    void operator()(char* text) const { std::free(text); }
};

using Idn2Text = std::unique_ptr<char, FreeIdn2>;

} // namespace

std::optional<std::string> idnMapped(std::string_view utf8Name)
{
    const auto ascii = aLabelsOf(utf8Name);
    if (!ascii)
        return std::nullopt;
    char* unicode = nullptr;
    const int decoded = ::idn2_to_unicode_8z8z(ascii->c_str(), &unicode, 0);
    const Idn2Text unicodeOwner(unicode);
    if (decoded != IDN2_OK || unicode == nullptr)
        return std::nullopt;
    return std::string(unicode);
}

} // namespace zonedesk::core
