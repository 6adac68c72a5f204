// SPDX-License-Identifier: MIT
// Reading an RDAP answer (RFC 9083) into the same Reading the WHOIS readers produce.
#pragma once

#include <string_view>

#include "parse/reading.h"

namespace zonedesk::parse {

/// 404 with an RDAP error object, or with an empty body of an RDAP or JSON `mediaType` (the
/// Content-Type as sent): NotRegistered; any other 404 (a web server's or a proxy's page): Error
/// (not-rdap). 200 with a domain object whose ldhName is `queriedName` (letter case ignored;
/// another name: Error other-domain): Success with the registration, expiration and last-changed event dates,
/// the registrar entity's name (else organisation), and the registrant's organisation (else name) and e-mail;
/// where the registry withholds them, its own words, or "N/A" when there is no registrant. Entity roles are
/// matched without letter case. Anything else, malformed JSON among it: Error. Values are converted from
/// UTF-8 to GBK. Pure; any thread.
Reading readRdap(long httpStatus,
                 std::string_view body,
                 std::string_view queriedName,
                 std::string_view mediaType = {});

} // namespace zonedesk::parse
