// SPDX-License-Identifier: MIT
// The registrable domain of a name by the Public Suffix List (libpsl): the part a registry holds,
// which is what a registration-data service is asked for.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct psl_ctx_st;

namespace zonedesk::core {

class PublicSuffixList
{
public:
    /// The newest list the system has (Debian's publicsuffix package, else the one built into
    /// libpsl), loaded at the first call; thread-safe. Without any list no name is a suffix (and
    /// splitDomain takes the TLD for one). Debian's list may be years old: a suffix added since
    /// is missing, and the name under it is taken for a registrable one.
    static const PublicSuffixList& system();

    /// A list in the Public Suffix List's text format; nullopt with a reason when it can't be read.
    static std::optional<PublicSuffixList> load(const std::filesystem::path& file, std::string& error);

    /// Whether `name` (lower-case A-labels) is a suffix of the list's ICANN section, where the
    /// registries' own suffixes stand (not the private section: blogspot.com is a registered name).
    /// A TLD the list doesn't know counts as one, as the list's implicit "*" rule says.
    bool isPublicSuffix(const std::string& name) const;

private:
    struct Deleter
    {
        void operator()(psl_ctx_st* context) const;
    };

    explicit PublicSuffixList(psl_ctx_st* context);

    std::unique_ptr<psl_ctx_st, Deleter> m_context;
};

struct DomainParts
{
    enum class Kind : std::uint8_t
    {
        Registrable,  // a name under a public suffix: `registrable` is set
        PublicSuffix, // the name is itself a public suffix ("co.uk", "com"): nobody registers it
        NotADomain,   // `error` says why
    };

    Kind kind = Kind::NotADomain;
    std::string name;        // the whole name, lower-case A-labels, without a final dot
    std::string registrable; // the public suffix and the one label before it: "example.co.uk"
    std::string suffix;      // the longest public suffix: "co.uk"
    std::string tld;         // the last label: "uk"
    std::string error;
};

/// A domain name (ASCII, A-labels or UTF-8 U-labels, any letter case, an optional final dot) as
/// lower-case A-labels; nullopt with a reason when it is not a host name of at most 253 bytes or
/// looks like an IPv4 address (its last label all digits).
std::optional<std::string> normalizedDomainName(std::string_view name, std::string& error);

/// The parts of `name` by `list`: its longest public suffix, and the registrable domain one label
/// longer. The TLD is a public suffix even when the list doesn't say so.
DomainParts splitDomain(std::string_view name, const PublicSuffixList& list = PublicSuffixList::system());

} // namespace zonedesk::core
