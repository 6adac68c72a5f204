// SPDX-License-Identifier: MIT
// What every exchange of a worker is held to (time limits, the size cap, the pacing of a server
// that throttles) and the host look-ups the workers of a run share.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

namespace zonedesk::net {
class CurlDnsShare;
} // namespace zonedesk::net

namespace zonedesk::lookup {

class HostResolver;

struct ExchangeOptions
{
    std::chrono::milliseconds connectTimeout{3000}; // per address
    std::chrono::milliseconds connectBackoff{1000}; // pause before the retry of a failed connect
    int connectRetries = 1;
    std::chrono::milliseconds readTimeout{15000};   // longest wait for the next byte
    std::chrono::milliseconds exchangeLimit{60000}; // whole exchange, connect included
    std::size_t replySizeCap = std::size_t{1} << 20;
    /// Pauses before asking a throttling server again, one per retry; after the last, Error.
    std::vector<std::chrono::milliseconds> throttleRetryPauses{
        std::chrono::seconds(2), std::chrono::seconds(4), std::chrono::seconds(8), std::chrono::seconds(16)};
    /// Pacing of a server that throttled: the pause before each of its queries starts here at the
    /// first throttle, doubles at each further one up to the maximum, and shrinks by a quarter
    /// after `paceEaseAfter` answers in a row (gone below the start).
    std::chrono::milliseconds paceStart{2000};
    std::chrono::milliseconds paceMax{60000};
    int paceEaseAfter = 8;
    /// A host that timed out on this many names in a row is silent: its next name is asked once
    /// more after the pause, and if that times out too, its other names end "not answering"
    /// without a question (each would cost the whole time limit). 0: never silent.
    int silentAfter = 3;
    std::chrono::milliseconds silentProbePause{30000};
    /// Ask over RDAP first wherever the registry has it (the `transport=rdap` setting).
    bool preferRdap = false;
    /// Where host names are looked up, shared by the workers of a run so that each host is looked
    /// up once per run: port 43's addresses and libcurl's DNS cache. Null: each exchange looks its
    /// host up for itself (within the same limits).
    std::shared_ptr<HostResolver> whoisHosts;
    std::shared_ptr<net::CurlDnsShare> rdapHosts;

    /// Limits an exchange can use; a worker whose options are not usable queries nothing.
    bool usable() const
    {
        return connectTimeout.count() > 0 && readTimeout.count() > 0 && exchangeLimit.count() > 0 &&
               connectRetries >= 0 && connectBackoff.count() >= 0 && replySizeCap > 0;
    }
};

} // namespace zonedesk::lookup
