// SPDX-License-Identifier: MIT
// The form in which a domain name is sent to a WHOIS server.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::core {

/// The IDNA2008 A-label form ("xn--...") of a name in UTF-8, with libidn2's NFC input and
/// non-transitional processing; nullopt when the name has no such form (one holding a NUL has none).
std::optional<std::string> aLabelsOf(std::string_view utf8Name);

/// The bytes to send for a domain held in GBK: the name itself when it is ASCII, otherwise its
/// IDNA2008 A-label form ("xn--..."); nullopt when the name has no such form.
std::optional<std::string> whoisQueryName(std::string_view gbkDomain);

} // namespace zonedesk::core
