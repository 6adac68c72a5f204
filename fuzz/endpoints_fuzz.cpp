// SPDX-License-Identifier: MIT
// The endpoint options (--endpoint, --rdap-endpoint and their environment variables) on arbitrary
// text: an entry taken is one that reads back, every RDAP base is an http(s) URL ending in "/",
// and a malformed list never takes away what was there.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lookup/endpoints.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk::lookup;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    EndpointOverrides overrides;
    if (!overrides.add("whois.known.example=127.0.0.1:4343") ||
        !overrides.addRdap("known=http://127.0.0.1:1/"))
        std::abort();
    // The options take one entry each, the environment variables a list.
    (void)overrides.add(text);
    (void)overrides.addRdap(text);
    (void)overrides.addList(text);
    (void)overrides.addRdapList(text);

    // The text's first words, as hosts and suffixes to look up: nothing it set can break a lookup
    // (later words are parsed the same way; checking them all only slows the search).
    constexpr int WordsChecked = 32;
    int words = 0;
    for (std::size_t start = 0; start < text.size() && words < WordsChecked; ++words) {
        const std::size_t end = std::min(text.find_first_of(";=", start), text.size());
        const std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        const Endpoint endpoint = overrides.endpointFor(word);
        if (endpoint.address.empty() || endpoint.port == 0)
            std::abort();
        const std::string base = overrides.rdapOverrideFor(std::string(word));
        if (!base.empty() &&
            (!base.ends_with('/') || !(base.starts_with("http://") || base.starts_with("https://"))))
            std::abort();
    }
    const Endpoint known = overrides.endpointFor("whois.known.example");
    if (known.address.empty() || known.port == 0)
        std::abort();
    return 0;
}
