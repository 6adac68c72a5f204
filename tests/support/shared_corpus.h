// SPDX-License-Identifier: MIT
// The shared set of real WHOIS replies beside the repository, read at test time (never copied).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zonedesk::test {

struct CorpusReply
{
    std::string file; // relative to the corpus folder
    std::string suffix;
    std::string era;  // "legacy" or "current"
    std::string kind; // "registered", "available", "throttled", "reserved" or "other"
    std::string domain;
    std::string expiry; // YYYY-MM-DD or empty
    std::string created;
    std::string updated;
    std::string registrar;
};

/// One reply of the generic set (registries other than the ten with their own rules).
struct GenericReply
{
    std::string file; // relative to the generic corpus folder
    std::string host; // the zone's WHOIS host; empty when none is known
    std::string tld;
    std::string verdict; // "registered", "available" or "throttled"
    std::string expiry;  // YYYY-MM-DD or empty
    std::string created;
    std::string updated;
    std::string registrar; // empty when the source expects none
    std::string source;    // owner/repo@commit:path of the file in its public repository
    std::string set;       // the folder's name: "generic-replies" or "generic-replies-2"
    std::filesystem::path path;
};

/// The corpus folder: $ZONEDESK_WHOIS_REPLIES, else ../shared/whois-replies beside the source tree;
/// nullopt when it is not there (tests then skip).
std::optional<std::filesystem::path> corpusFolder();

/// The rows of manifest.tsv; empty when the corpus is absent.
std::vector<CorpusReply> corpusReplies();

/// The bytes of one reply of the corpus.
std::string corpusBytes(const CorpusReply& reply);

/// The generic corpus folder: $ZONEDESK_GENERIC_REPLIES, else ../shared/generic-replies beside the
/// source tree; nullopt when it is not there (tests then skip).
std::optional<std::filesystem::path> genericCorpusFolder();

/// The rows of the generic corpora's manifests: ../shared/generic-replies and
/// ../shared/generic-replies-2 ($ZONEDESK_GENERIC_REPLIES_2), each where it is there.
std::vector<GenericReply> genericReplies();

/// The bytes of one reply of the generic corpus.
std::string genericBytes(const GenericReply& reply);

/// The WHOIS host that answers for a corpus suffix ("com", "cn", ...).
std::string hostForSuffix(const std::string& suffix);

/// True when `text` holds the date `isoDate` (YYYY-MM-DD) in one of the registries' notations:
/// 2020-09-14, 2020/09/14, 14-sep-2020 (any case), 14-09-2020, or "Sep 14 ... 2020".
bool holdsDate(const std::string& text, const std::string& isoDate);

} // namespace zonedesk::test
