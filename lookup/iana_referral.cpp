// SPDX-License-Identifier: MIT
// The cache is a small TSV ("tld<TAB>host<TAB>seconds since 1970"), read whole and written whole:
// a line that can't be read is just not there, and the next answer rewrites the file without it.
#include "lookup/iana_referral.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "core/data_files.h"
#include "core/text.h"
#include "core/whois_hosts.h"
#include "lookup/whois_exchange.h"
#include "parse/service_refusals.h"

namespace zonedesk::lookup {

namespace {

struct CachedAnswer
{
    std::string host;
    std::int64_t askedAt = 0; // seconds since 1970
};

using ReferralCache = std::map<std::string, CachedAnswer, std::less<>>;

// Workers of one process read and rewrite the file one at a time; between processes the last
// writer wins, which loses at most an answer that is then asked again.
std::mutex cacheMutex;

std::int64_t secondsOf(std::chrono::system_clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

bool isFresh(const CachedAnswer& answer, std::int64_t now)
{
    const std::int64_t lifetime = std::chrono::duration_cast<std::chrono::seconds>(ReferralLifetime).count();
    return answer.askedAt <= now && now - answer.askedAt < lifetime;
}

/// The fresh, well-formed lines of the file; an unreadable file reads as an empty cache.
ReferralCache readCache(const std::filesystem::path& file, std::int64_t now)
{
    ReferralCache cache;
    std::string error;
    const auto text = core::readBoundedFile(file, MaxReferralCacheBytes, error);
    if (!text)
        return cache;
    for (const std::string_view line : core::splitLines(*text)) {
        const std::size_t first = line.find('\t');
        const std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string_view tld = line.substr(0, first);
        const std::string_view host = line.substr(first + 1, second - first - 1);
        const std::string_view seconds = line.substr(second + 1);
        CachedAnswer answer{std::string(host), 0};
        const auto [end, parsed] =
            std::from_chars(seconds.data(), seconds.data() + seconds.size(), answer.askedAt);
        if (parsed != std::errc() || end != seconds.data() + seconds.size() || !core::isLdhLabel(tld) ||
            (!host.empty() && !core::isWhoisHostName(host)) || !isFresh(answer, now))
            continue;
        cache.insert_or_assign(std::string(tld), std::move(answer));
        if (cache.size() == MaxReferralCacheEntries)
            break;
    }
    return cache;
}

/// A host a domain may be sent to: a host name, neither an IPv4 literal nor IANA's own server
/// (which knows TLDs, not domains: its "0 objects" would read as a free name).
bool isReferralHost(std::string_view host)
{
    const bool ipv4 = !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return core::isAsciiDigit(c) || c == '.';
    });
    return core::isWhoisHostName(host) && !ipv4 && host != IanaWhoisHost;
}

/// The "key: value" lines of an IANA answer, both in lower case, in the answer's order.
std::vector<std::pair<std::string, std::string>> keyedLines(std::string_view reply)
{
    std::vector<std::pair<std::string, std::string>> lines;
    for (const std::string_view line : core::splitLines(reply)) {
        const std::string_view trimmed = core::trim(line);
        const std::size_t colon = trimmed.find(':');
        if (colon != std::string_view::npos)
            lines.emplace_back(core::asciiLower(core::trim(trimmed.substr(0, colon))),
                               core::asciiLower(core::trim(trimmed.substr(colon + 1))));
    }
    return lines;
}

/// Whether `reply` is IANA's record of `tld`: a "domain:" line that names it (any letter case).
/// A refusal, an answer cut before it, another encoding or line end, another object: not one.
bool isTldRecord(std::string_view reply, std::string_view tld)
{
    const auto lines = keyedLines(reply);
    return std::any_of(lines.begin(), lines.end(), [tld](const auto& line) {
        return line.first == "domain" && line.second == tld;
    });
}

bool writeCache(const std::filesystem::path& file, const ReferralCache& cache, std::string& error)
{
    std::string text;
    for (const auto& [tld, answer] : cache)
        text += tld + "\t" + answer.host + "\t" + std::to_string(answer.askedAt) + "\n";
    return core::writeFileAtomically(file, text, error);
}

} // namespace

std::string referralHost(std::string_view reply)
{
    std::string whois;
    for (const auto& [key, value] : keyedLines(reply)) {
        if (key == "refer")
            return isReferralHost(value) ? value : std::string();
        if (key == "whois" && whois.empty())
            whois = value;
    }
    return isReferralHost(whois) ? whois : std::string();
}

std::filesystem::path defaultReferralCache()
{
    return core::cacheDir() / ReferralCacheFileName;
}

Referral ianaReferral(std::string_view tld,
                      const std::filesystem::path& cacheFile,
                      const EndpointOverrides& endpoints,
                      const ExchangeOptions& session,
                      std::chrono::system_clock::time_point now,
                      const std::stop_token& stop)
{
    Referral referral;
    if (!core::isLdhLabel(tld)) {
        referral.reason = core::ErrorReason::BadName;
        return referral;
    }
    const std::int64_t nowSeconds = secondsOf(now);
    {
        const std::scoped_lock lock(cacheMutex);
        const ReferralCache cache = readCache(cacheFile, nowSeconds);
        if (const auto found = cache.find(tld); found != cache.end()) {
            referral.answered = true;
            referral.fromCache = true;
            referral.host = found->second.host;
            return referral;
        }
    }

    ExchangeOptions bounded = session;
    bounded.replySizeCap = std::min(session.replySizeCap, MaxReferralReplyBytes);
    const ExchangeResult result = exchangeWhois(endpoints.endpointFor(IanaWhoisHost), tld, bounded, stop);
    if (result.outcome == ExchangeOutcome::Stopped) {
        referral.stopped = true;
        return referral;
    }
    if (result.outcome != ExchangeOutcome::Received || result.reason != core::ErrorReason::None) {
        referral.reason =
            result.reason != core::ErrorReason::None ? result.reason : core::ErrorReason::ConnectFailed;
        return referral;
    }
    if (result.reply.empty()) {
        referral.reason = core::ErrorReason::EmptyReply;
        return referral;
    }
    // Only IANA's record of the TLD is an answer ("no host" included) and kept; anything else is
    // an error of this run, asked again by the next.
    if (!isTldRecord(result.reply, tld)) {
        referral.reason = parse::serviceRefusal(result.reply) == parse::Refusal::Throttled
                              ? core::ErrorReason::Throttled
                              : core::ErrorReason::Unrecognised;
        return referral;
    }
    referral.answered = true;
    referral.host = referralHost(result.reply);

    const std::scoped_lock lock(cacheMutex);
    // Read again under the lock: another worker may have written since.
    ReferralCache cache = readCache(cacheFile, nowSeconds);
    if (cache.size() >= MaxReferralCacheEntries) {
        const auto oldest = std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
            return a.second.askedAt < b.second.askedAt;
        });
        cache.erase(oldest);
    }
    cache.insert_or_assign(std::string(tld), CachedAnswer{referral.host, nowSeconds});
    writeCache(cacheFile, cache, referral.cacheError);
    return referral;
}

} // namespace zonedesk::lookup
