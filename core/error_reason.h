// SPDX-License-Identifier: MIT
// Why a lookup ended in Error: kept per record so that "ERR!" always comes with its reason.
#pragma once

#include <cstdint>
#include <string_view>

namespace zonedesk::core {

/// Stored in DomainRecord::errorReason (one byte); None for every record that is not an Error.
enum class ErrorReason : std::uint8_t
{
    None = 0,
    BadName,      // the name has no form a WHOIS server can be asked for (IDNA)
    HostNotFound, // the server's name does not resolve
    ConnectFailed,
    SendFailed,
    EmptyReply,   // the server closed without a byte
    TimedOut,     // no complete reply within the idle or the total time limit
    Reset,        // the connection broke before the server closed it
    Throttled,    // the server still rationed queries after the last retry
    ServiceGone,  // the server no longer serves this query
    Unrecognised, // a reply, but neither a record nor a not-registered answer
    TooLarge,     // an RDAP answer over the size cap (JSON cut short can't be read)
    NoService,    // no registry service is known for the name's TLD (with NoServer)
    PublicSuffix, // the name is a public suffix, which nobody registers (with NoServer)
    OtherDomain,  // a record, but of another name than the one asked for
    NotRdap,      // an HTTP answer of the RDAP address that is no RDAP answer (an error page)
    // An RDAP redirect that is not followed: to a scheme other than https, or one too many.
    RedirectRefused,
    // The host timed out on the names before in a row and on one later probe: not asked again.
    NotAnswering,
};

/// A stable key for scripts ("connect-failed"); empty for None and values outside the set.
std::string_view errorReasonKey(std::uint8_t reason);

/// The reason of a key as errorReasonKey gives it; None for an empty or unknown key.
std::uint8_t errorReasonOfKey(std::string_view key);

/// The reason in English, for terminals ("connect failed").
std::string_view errorReasonText(std::uint8_t reason);

/// The reason in Chinese for the list's tool tip, in UTF-8.
std::string_view errorReasonTextZh(std::uint8_t reason);

} // namespace zonedesk::core
