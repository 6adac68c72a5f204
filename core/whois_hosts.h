// SPDX-License-Identifier: MIT
// The port-43 WHOIS host of each TLD (whois-servers.tsv), for names outside the ten registries.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::core {

/// Its name in the data folder.
inline constexpr const char* WhoisTableFileName = "whois-servers.tsv";

/// Bounds on the table from outside: the shipped one is about 20 KiB with some 900 lines.
inline constexpr std::size_t MaxWhoisTableBytes = std::size_t{1} << 20;
inline constexpr std::size_t MaxWhoisTableLines = 10'000;

/// A record's `server` field holds 50 bytes and its end.
inline constexpr std::size_t MaxWhoisHostBytes = 50;

class WhoisHostTable
{
public:
    /// Reads "tld<TAB>host" lines (LF or CR LF; empty lines skipped). Nullopt with the first bad
    /// line's number and what is wrong with it: a TLD that is not one lower-case label, a host that
    /// is not a host name or is longer than MaxWhoisHostBytes, a TLD listed twice; or a table over
    /// its bounds.
    static std::optional<WhoisHostTable> parse(std::string_view text, std::string& error);

    /// parse() on a file of at most MaxWhoisTableBytes.
    static std::optional<WhoisHostTable> load(const std::filesystem::path& file, std::string& error);

    /// The host for `tld` (a lower-case A-label, no dot); empty for none.
    std::string_view hostFor(std::string_view tld) const;

    std::size_t size() const { return m_hosts.size(); }

private:
    std::map<std::string, std::string, std::less<>> m_hosts;
};

/// One lower-case LDH label of 1 to 63 bytes, A-labels included: a TLD or a part of a host name.
bool isLdhLabel(std::string_view label);

/// A host name in lower-case LDH form of at most MaxWhoisHostBytes (what a `server` field holds).
bool isWhoisHostName(std::string_view host);

} // namespace zonedesk::core
