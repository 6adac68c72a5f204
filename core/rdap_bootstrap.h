// SPDX-License-Identifier: MIT
// IANA's RDAP bootstrap for domain names (RFC 9224 "dns.json"): which RDAP service answers for a
// TLD. The shipped copy, or a later one the user fetched into the cache folder.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::core {

/// Its name, in the data folder and in the cache folder alike.
inline constexpr const char* BootstrapFileName = "rdap-dns.json";

/// Bounds on a bootstrap file from outside: IANA's file is about 70 KiB with some 1,200 TLDs.
inline constexpr std::size_t MaxBootstrapBytes = std::size_t{4} << 20;
inline constexpr std::size_t MaxBootstrapEntries = 20'000; // TLDs and URLs, counted together
inline constexpr std::size_t MaxBootstrapString = 1024;

class RdapBootstrap
{
public:
    /// Reads the JSON text of a bootstrap file; nullopt with a one-line reason when it is not JSON,
    /// is larger or deeper than a bootstrap file can be, or lacks its shape (an object with a
    /// "publication" date-time and "services": [[[entry, ...], [url, ...]], ...]). An entry is a
    /// domain label or labels, compared without regard to ASCII case; a service without an http or
    /// https URL serves nothing, and an entry listed twice keeps its first service.
    static std::optional<RdapBootstrap> parse(std::string_view json, std::string& error);

    /// parse() on a file of at most MaxBootstrapBytes.
    static std::optional<RdapBootstrap> load(const std::filesystem::path& file, std::string& error);

    /// The base URL (ending in "/") for `name`, a TLD or a whole domain name in A-label form: the
    /// service of its longest entry that ends the name at a label boundary; empty for none. Of a
    /// service's URLs, the first https one, else the first http one.
    std::string_view baseFor(std::string_view name) const;

    /// The file's "publication" (RFC 3339, e.g. "2026-07-23T02:00:03Z").
    const std::string& publication() const { return m_publication; }

    /// Every entry (lower case) with its base URL.
    const std::map<std::string, std::string, std::less<>>& bases() const { return m_bases; }

private:
    std::string m_publication;
    std::map<std::string, std::string, std::less<>> m_bases;
};

/// Whether publication `a` is later than `b` (both RFC 3339 UTC times as parse() accepts them;
/// fractions of a second are ignored).
bool publishedLater(std::string_view a, std::string_view b);

/// What became of the entries from one bootstrap to the next, each list sorted.
struct BootstrapChanges
{
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::vector<std::string> moved; // the entry's base URL changed

    bool empty() const { return added.empty() && removed.empty() && moved.empty(); }
};

BootstrapChanges compareBootstraps(const RdapBootstrap& before, const RdapBootstrap& after);

/// The bootstrap in use: the shipped copy, or the cached one when its publication is later.
struct BootstrapChoice
{
    std::optional<RdapBootstrap> bootstrap; // nullopt only when neither file could be read
    std::filesystem::path source;           // the file it came from
    std::string error;                      // with no bootstrap: why the shipped copy failed
    std::string cacheNote;                  // why a cached copy that is there was not read
};

/// Reads both files; a cached file that is missing is no note, one that is broken is ignored with
/// its reason, and when the shipped copy is broken a good cached one is used whatever its date.
BootstrapChoice loadNewestBootstrap(const std::filesystem::path& shipped,
                                    const std::filesystem::path& cached);

} // namespace zonedesk::core
