// SPDX-License-Identifier: MIT
// What keeps a name safe, as registries state it: its status codes (EPP's, RFC 5731, with the
// grace periods of RFC 3915; RDAP writes the same codes as words, RFC 8056), the host names of its
// name servers, and whether its delegation is signed (DNSSEC). One table of the codes; the text
// forms the record, the history and the exports keep them in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::core {

/// The EPP status codes, numbering the bits of StatusBits. The record keeps the bits: never
/// renumber them.
enum class EppStatus : std::uint8_t
{
    Ok,
    Inactive,
    ClientDeleteProhibited,
    ClientHold,
    ClientRenewProhibited,
    ClientTransferProhibited,
    ClientUpdateProhibited,
    ServerDeleteProhibited,
    ServerHold,
    ServerRenewProhibited,
    ServerTransferProhibited,
    ServerUpdateProhibited,
    PendingCreate,
    PendingDelete,
    PendingRenew,
    PendingTransfer,
    PendingUpdate,
    AddPeriod,
    AutoRenewPeriod,
    RenewPeriod,
    TransferPeriod,
    RedemptionPeriod,
    PendingRestore,
};

/// What a code means to a holder: the history's changes go by it.
enum class StatusGroup : std::uint8_t
{
    Fine,          // ok
    Inactive,      // no name servers
    Locked,        // transfer prohibited
    Prohibited,    // update, delete or renewal prohibited
    Hold,          // not in the zone: the name does not resolve
    Redemption,    // deleted, restorable for a fee
    PendingDelete, // going, not restorable
    Pending,       // a request in progress
    Grace,         // a grace period after a registration, renewal or transfer
};

struct EppStatusRow
{
    EppStatus code;
    std::string_view name; // as EPP writes it: "clientTransferProhibited"
    StatusGroup group;
};

inline constexpr EppStatusRow EppStatuses[] = {
    {EppStatus::Ok, "ok", StatusGroup::Fine},
    {EppStatus::Inactive, "inactive", StatusGroup::Inactive},
    {EppStatus::ClientDeleteProhibited, "clientDeleteProhibited", StatusGroup::Prohibited},
    {EppStatus::ClientHold, "clientHold", StatusGroup::Hold},
    {EppStatus::ClientRenewProhibited, "clientRenewProhibited", StatusGroup::Prohibited},
    {EppStatus::ClientTransferProhibited, "clientTransferProhibited", StatusGroup::Locked},
    {EppStatus::ClientUpdateProhibited, "clientUpdateProhibited", StatusGroup::Prohibited},
    {EppStatus::ServerDeleteProhibited, "serverDeleteProhibited", StatusGroup::Prohibited},
    {EppStatus::ServerHold, "serverHold", StatusGroup::Hold},
    {EppStatus::ServerRenewProhibited, "serverRenewProhibited", StatusGroup::Prohibited},
    {EppStatus::ServerTransferProhibited, "serverTransferProhibited", StatusGroup::Locked},
    {EppStatus::ServerUpdateProhibited, "serverUpdateProhibited", StatusGroup::Prohibited},
    {EppStatus::PendingCreate, "pendingCreate", StatusGroup::Pending},
    {EppStatus::PendingDelete, "pendingDelete", StatusGroup::PendingDelete},
    {EppStatus::PendingRenew, "pendingRenew", StatusGroup::Pending},
    {EppStatus::PendingTransfer, "pendingTransfer", StatusGroup::Pending},
    {EppStatus::PendingUpdate, "pendingUpdate", StatusGroup::Pending},
    {EppStatus::AddPeriod, "addPeriod", StatusGroup::Grace},
    {EppStatus::AutoRenewPeriod, "autoRenewPeriod", StatusGroup::Grace},
    {EppStatus::RenewPeriod, "renewPeriod", StatusGroup::Grace},
    {EppStatus::TransferPeriod, "transferPeriod", StatusGroup::Grace},
    {EppStatus::RedemptionPeriod, "redemptionPeriod", StatusGroup::Redemption},
    {EppStatus::PendingRestore, "pendingRestore", StatusGroup::Redemption},
};

using StatusBits = std::uint32_t;

constexpr StatusBits statusBit(EppStatus code)
{
    return StatusBits{1} << static_cast<unsigned>(code);
}

/// The codes of `bits` in `group`.
StatusBits codesOfGroup(StatusBits bits, StatusGroup group);

/// The registry's own words a record keeps, at most; each at most MostOwnWordBytes.
inline constexpr std::size_t MostOwnWords = 4;
inline constexpr std::size_t MostOwnWordBytes = 40;

/// A domain's statuses: EPP codes, and the words a registry writes of its own ("connect",
/// "NOT DELEGATED"), as written.
struct DomainStatuses
{
    StatusBits codes = 0;
    std::vector<std::string> own; // in the order first written, no repeats

    bool empty() const { return codes == 0 && own.empty(); }

    bool operator==(const DomainStatuses&) const = default;
};

/// Adds what one status value states: one code or several ("clientDeleteProhibited
/// clientTransferProhibited"), a code with a remark or address after it
/// ("clientTransferProhibited https://icann.org/epp#clientTransferProhibited", "ok (active)"),
/// RDAP's words ("client transfer prohibited"; "active" is ok), or a registry's own words, a
/// comma between each ("REGISTERED, DELEGATED"). Control bytes, addresses and words past the
/// bounds are left out.
void addStatusValue(DomainStatuses& statuses, std::string_view value);

/// The text form: the codes in the table's order, then the registry's own words, each after "~",
/// joined by ", " ("clientTransferProhibited, ok, ~connect"); empty when none is stated.
std::string statusesText(const DomainStatuses& statuses);

/// The statuses a text form states (the inverse of statusesText; anything else is read as
/// addStatusValue reads a registry's line).
DomainStatuses readStatusesText(std::string_view text);

/// Name servers a record keeps, at most, of any number a reply lists.
inline constexpr std::size_t MostNameServers = 32;

/// The host a name server value names: its first word, lower case, without a trailing dot;
/// nullopt when that is no host name (an address, a URL, a handle, junk).
std::optional<std::string> nameServerHost(std::string_view value);

/// Adds `host` (as nameServerHost gives it) to `servers`, kept sorted without repeats: the first
/// MostNameServers in that order.
void addNameServer(std::vector<std::string>& servers, std::string host);

/// The sorted hosts joined by blanks, as many whole ones as fit in `capacity` bytes, and "+N" for
/// the N left out ("a.ns.example b.ns.example +3"); empty when there are none.
std::string nameServersText(const std::vector<std::string>& servers, std::size_t capacity);

/// The hosts of a text form (a "+N" left out).
std::vector<std::string> readNameServersText(std::string_view text);

enum class Dnssec : std::uint8_t
{
    NotStated,
    Unsigned,
    Signed,
};

/// What a DNSSEC value says: "signedDelegation", "signed", "yes" are Signed; "unsigned",
/// "Unsigned delegation", "no", "inactive" Unsigned; nullopt for anything else.
std::optional<Dnssec> readDnssecValue(std::string_view value);

/// "signed", "unsigned", or empty when not stated.
std::string_view dnssecText(Dnssec dnssec);

/// The inverse of dnssecText (NotStated for any other text).
Dnssec dnssecOfText(std::string_view text);

} // namespace zonedesk::core
