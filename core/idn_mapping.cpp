// SPDX-License-Identifier: MIT
// libidn2 maps while it encodes; decoding its A-labels again gives the mapped Unicode name.
#include "core/idn_mapping.h"

#include <cstdlib>
#include <memory>

#include <idn2.h>

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
    if (utf8Name.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string input(utf8Name);
    char* ascii = nullptr;
    const int encoded = ::idn2_to_ascii_8z(input.c_str(), &ascii, IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
    const Idn2Text asciiOwner(ascii);
    if (encoded != IDN2_OK || ascii == nullptr)
        return std::nullopt;
    char* unicode = nullptr;
    const int decoded = ::idn2_to_unicode_8z8z(ascii, &unicode, 0);
    const Idn2Text unicodeOwner(unicode);
    if (decoded != IDN2_OK || unicode == nullptr)
        return std::nullopt;
    return std::string(unicode);
}

} // namespace zonedesk::core
