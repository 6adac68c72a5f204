// SPDX-License-Identifier: MIT
#include "parse/service_refusals.h"

#include <string>

#include "core/text.h"

namespace zonedesk::parse {

namespace {

struct RefusalPhrase
{
    std::string_view phrase; // lower case; matched anywhere, letter case ignored
    Refusal kind;
};

// The one list of refusals. PIR answers "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR
// DETAILS"; Verisign "Sorry, the Whois database is currently down"; the retired .info port-43
// service "TLD is not supported."; the rest are the wordings servers commonly use.
constexpr RefusalPhrase RefusalPhrases[] = {
    {"whois limit exceeded",                   Refusal::Throttled  },
    {"the whois database is currently down",   Refusal::Throttled  },
    {"limit exceeded",                         Refusal::Throttled  },
    {"quota exceeded",                         Refusal::Throttled  },
    {"exceeded your query limit",              Refusal::Throttled  },
    {"restricted due to excessive queries",    Refusal::Throttled  },
    {"maximum daily connection limit reached", Refusal::Throttled  },
    {"maximum query rate reached",             Refusal::Throttled  },
    {"number of allowed queries exceeded",     Refusal::Throttled  },
    {"server too busy",                        Refusal::Throttled  },
    {"tld is not supported.",                  Refusal::Unavailable},
};

} // namespace

Refusal serviceRefusal(std::string_view reply)
{
    const std::string lower = core::asciiLower(reply);
    for (const RefusalPhrase& entry : RefusalPhrases) {
        if (lower.find(entry.phrase) != std::string::npos)
            return entry.kind;
    }
    return Refusal::None;
}

} // namespace zonedesk::parse
