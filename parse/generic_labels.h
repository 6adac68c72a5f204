// SPDX-License-Identifier: MIT
// The words of registries without rules of their own: the labels each fact stands under, the
// headings that say whose lines follow, and the phrases by which a registry says a name is free or
// taken. Labels are written as the reader compares them: lower case, single blanks, without the
// colon or the dots before it ("Domain Name............:" is "domain name").
#pragma once

#include <cstdint>
#include <string_view>

#include "core/result_fields.h"

// Included only by generic_reply.cpp.
namespace zonedesk::parse::generic {

using core::Field;

/// Whose lines a line stands among: the domain's own (the top of the reply, or a section about the
/// domain or its dates), the registrant's, the registrar's, or another party's (a contact, a name
/// server, the service itself).
enum class Part : std::uint8_t
{
    Domain,
    Registrant,
    Registrar,
    Other,
};

/// A label a fact stands under, in the part of the reply where it means that fact. A label of the
/// domain's part counts in the part of the fact's own party too ("Registrant Name:" under
/// "Registrant:", .es).
struct FactLabel
{
    Field field;
    std::string_view label;
    Part part;
};

// Several labels per fact: the first label (in this order) that holds a value wins, so a
// registry's own label comes before a wider one another registry uses for something else
// ("Registry Expiry Date" before a registrar's "Registrar Registration Expiration Date"), and
// English labels before the same label in the registry's language.
constexpr FactLabel FactLabels[] = {
    {Field::ExpiryDate, "registry expiry date", Part::Domain},     // ICANN registries
    {Field::ExpiryDate, "expiry date", Part::Domain},              // .fr and its islands, .uk
    {Field::ExpiryDate, "expiration date", Part::Domain},          // .by .cl .co .id .pt .rs
    {Field::ExpiryDate, "expiration time", Part::Domain},          // .中国
    {Field::ExpiryDate, "domain expiration date", Part::Domain},   // .co (2017)
    {Field::ExpiryDate, "expire date", Part::Domain},              // .it
    {Field::ExpiryDate, "expires", Part::Domain},                  // .am .br .dk .is .se .ua
    {Field::ExpiryDate, "expires on", Part::Domain},               // .pr .ro .tr
    {Field::ExpiryDate, "expires at", Part::Domain},               // .bg
    {Field::ExpiryDate, "domain expires", Part::Domain},           // .edu's layout
    {Field::ExpiryDate, "expire", Part::Domain},                   // .ar .ee, FRED (.cz .mk .tz)
    {Field::ExpiryDate, "expire-date", Part::Domain},              // .ir
    {Field::ExpiryDate, "expiry", Part::Domain},                   // .tm
    {Field::ExpiryDate, "paid-till", Part::Domain},                // .ru .su .рф
    {Field::ExpiryDate, "valid until", Part::Domain},              // .sk
    {Field::ExpiryDate, "renewal date", Part::Domain},             // .pl
    {Field::ExpiryDate, "renewal", Part::Domain},                  // .ie
    {Field::ExpiryDate, "record expires on", Part::Domain},        // .kg .mo .tw
    {Field::ExpiryDate, "record will expire on", Part::Domain},    // .cf .tk
    {Field::ExpiryDate, "exp date", Part::Domain},                 // .th
    {Field::ExpiryDate, "expiration", Part::Domain},               // .tg
    {Field::ExpiryDate, "validity", Part::Domain},                 // .il
    {Field::ExpiryDate, "fecha de vencimiento", Part::Domain},     // .bo .ve
    {Field::ExpiryDate, "record expired", Part::Domain},           // .my
    {Field::ExpiryDate, "domain currently expires", Part::Domain}, // .ws
    {Field::ExpiryDate, "expired", Part::Domain},                  // .ly
    {Field::ExpiryDate, "date_renewal", Part::Domain},             // .co.ca
    {Field::ExpiryDate, "domain_datebilleduntil", Part::Domain},   // .nz
    {Field::ExpiryDate, "valid-date", Part::Domain},               // .sk (2010)
    {Field::ExpiryDate, "사용 종료일", Part::Domain},              // .kr
    {Field::ExpiryDate, "registrar registration expiration date", Part::Domain},

    {Field::RegistrationDate, "creation date", Part::Domain},
    {Field::RegistrationDate, "registered", Part::Domain},                    // .am .ar .dk .ee, FRED
    {Field::RegistrationDate, "created", Part::Domain},                       // RIPE-like, .it .sk
    {Field::RegistrationDate, "created on", Part::Domain},                    // .id .in .pr
    {Field::RegistrationDate, "created date", Part::Domain},                  // .vg
    {Field::RegistrationDate, "domain registration date", Part::Domain},      // .co (2017)
    {Field::RegistrationDate, "domain create date", Part::Domain},            // Neustar's ccTLDs
    {Field::RegistrationDate, "domain name commencement date", Part::Domain}, // .hk's layout
    {Field::RegistrationDate, "domain record activated", Part::Domain},       // .edu's layout
    {Field::RegistrationDate, "domain_dateregistered", Part::Domain},         // .nz
    {Field::RegistrationDate, "registered on", Part::Domain},           // .uk .ro; .as .gg without colon
    {Field::RegistrationDate, "registered date", Part::Domain},         // .kr
    {Field::RegistrationDate, "registration date", Part::Domain},       // .rs
    {Field::RegistrationDate, "registration time", Part::Domain},       // .中国
    {Field::RegistrationDate, "registration", Part::Domain},            // .ie
    {Field::RegistrationDate, "record created", Part::Domain},          // .hu .kg
    {Field::RegistrationDate, "record created on", Part::Domain},       // .mo .tw
    {Field::RegistrationDate, "domain created", Part::Domain},          // .kz
    {Field::RegistrationDate, "domain registered", Part::Domain},       // .cf .tk
    {Field::RegistrationDate, "first registration date", Part::Domain}, // .ch .li
    {Field::RegistrationDate, "activation", Part::Domain},              // .tg
    {Field::RegistrationDate, "fecha de registro", Part::Domain},       // .bo
    {Field::RegistrationDate, "fecha de creación", Part::Domain},       // .ve
    {Field::RegistrationDate, "fecha de creacion", Part::Domain},       // .uy .ve
    {Field::RegistrationDate, "date registered", Part::Domain},         // .nl
    {Field::RegistrationDate, "date_approved", Part::Domain},           // .co.ca
    {Field::RegistrationDate, "entry created", Part::Domain},           // .ac.uk .gov.uk
    {Field::RegistrationDate, "domain creation date", Part::Domain},    // .hm
    {Field::RegistrationDate, "activated on", Part::Domain},            // .bg
    {Field::RegistrationDate, "acivated", Part::Domain},                // .tn, its spelling
    {Field::RegistrationDate, "assigned", Part::Domain},                // .il
    {Field::RegistrationDate, "date de creation", Part::Domain},        // .dz
    {Field::RegistrationDate, "등록일", Part::Domain},                  // .kr

    {Field::UpdatedDate, "updated date", Part::Domain},
    {Field::UpdatedDate, "update date", Part::Domain},              // .by
    {Field::UpdatedDate, "domain last updated date", Part::Domain}, // .co (2017)
    {Field::UpdatedDate, "last updated", Part::Domain},             // .uk
    {Field::UpdatedDate, "last updated on", Part::Domain},          // .id .in .so
    {Field::UpdatedDate, "last updated date", Part::Domain},        // .kr
    {Field::UpdatedDate, "record last updated on", Part::Domain},   // .kg
    {Field::UpdatedDate, "last update", Part::Domain},              // .it
    {Field::UpdatedDate, "last-update", Part::Domain},              // .fr and its islands
    {Field::UpdatedDate, "last-updated", Part::Domain},             // .ir
    {Field::UpdatedDate, "last modified", Part::Domain},            // .au .kz .om .pl
    {Field::UpdatedDate, "last-modified", Part::Domain},
    {Field::UpdatedDate, "domain record last updated", Part::Domain}, // .edu's layout
    {Field::UpdatedDate, "modified", Part::Domain},                   // .fi .se .ua
    {Field::UpdatedDate, "modified date", Part::Domain},              // .bn
    {Field::UpdatedDate, "modification date", Part::Domain},          // .rs
    {Field::UpdatedDate, "changed", Part::Domain},                    // RIPE-like, .at .de
    {Field::UpdatedDate, "updated", Part::Domain},                    // .sk
    {Field::UpdatedDate, "domain_datelastmodified", Part::Domain},    // .nz
    {Field::UpdatedDate, "ultima actualización", Part::Domain},       // .ve
    {Field::UpdatedDate, "ultima actualizacion", Part::Domain},       // .uy .ve
    {Field::UpdatedDate, "record last updated", Part::Domain},        // .nl
    {Field::UpdatedDate, "record last modified", Part::Domain},       // .my
    {Field::UpdatedDate, "record changed on", Part::Domain},          // .ee (2010)
    {Field::UpdatedDate, "entry updated", Part::Domain},              // .ac.uk .gov.uk
    {Field::UpdatedDate, "updated on", Part::Domain},                 // .name
    {Field::UpdatedDate, "domain last updated", Part::Domain},        // .ws
    {Field::UpdatedDate, "최근 정보 변경일", Part::Domain},           // .kr

    {Field::Owner, "registrant name", Part::Domain},
    {Field::Owner, "registrant organization", Part::Domain},
    {Field::Owner, "registrant organisation", Part::Domain},
    {Field::Owner, "registrant contact name", Part::Domain}, // .ae .om .qa
    {Field::Owner, "registrant contact organisation", Part::Domain},
    {Field::Owner, "registrant internationalized name", Part::Domain}, // .so
    {Field::Owner, "registrant internationalized organization", Part::Domain},
    {Field::Owner, "registrant", Part::Domain},            // .md .rs; a heading at .uk .tr
    {Field::Owner, "holder of domain name", Part::Domain}, // .li
    {Field::Owner, "domain holder", Part::Domain},         // .si .th
    {Field::Owner, "holder", Part::Domain},                // .nu .se
    {Field::Owner, "owner name", Part::Domain},            // .pt .tm
    {Field::Owner, "department name", Part::Domain},       // .gov.za
    {Field::Owner, "owner-organization", Part::Domain},    // .vg
    {Field::Owner, "owner", Part::Domain},                 // .br
    {Field::Owner, "titular", Part::Domain},               // .ve
    {Field::Owner, "org", Part::Domain},                   // .ru .su
    {Field::Owner, "organisation", Part::Domain},          // .int .tk
    {Field::Owner, "descr", Part::Domain},                 // .hr .ie .il
    {Field::Owner, "person", Part::Domain},                // .su
    {Field::Owner, "name", Part::Registrant},
    {Field::Owner, "organization", Part::Registrant},
    {Field::Owner, "organisation", Part::Registrant},
    {Field::Owner, "org", Part::Registrant},
    {Field::Owner, "organization name", Part::Registrant}, // .ai
    {Field::Owner, "nombre", Part::Registrant},
    {Field::Owner, "organizacion", Part::Registrant},
    {Field::Owner, "등록인", Part::Domain}, // .kr

    {Field::Email, "registrant email", Part::Domain},
    {Field::Email, "registrant contact email", Part::Domain},
    {Field::Email, "registrant e-mail", Part::Domain},
    {Field::Email, "owner email", Part::Domain},  // .pt
    {Field::Email, "holder email", Part::Domain}, // .fi
    {Field::Email, "email", Part::Registrant},
    {Field::Email, "e-mail", Part::Registrant},
    {Field::Email, "email address", Part::Registrant},
    {Field::Email, "e-mail", Part::Domain}, // .il .su

    {Field::Registrar, "registrar", Part::Domain},
    {Field::Registrar, "registrar name", Part::Domain},                    // .ae .au .cl .cm .om
    {Field::Registrar, "sponsoring registrar", Part::Domain},              // .co .in .pe .so .中国
    {Field::Registrar, "sponsoring registrar organization", Part::Domain}, // .id
    {Field::Registrar, "current registar", Part::Domain},                  // .kz, its spelling
    {Field::Registrar, "registrar-name", Part::Domain},                    // .lu
    {Field::Registrar, "registrar_name", Part::Domain},                    // .nz
    {Field::Registrar, "registration service provider", Part::Domain},     // .tw
    {Field::Registrar, "authorized agency", Part::Domain},                 // .kr
    {Field::Registrar, "registrar", Part::Registrar},
    {Field::Registrar, "organization", Part::Registrar},
    {Field::Registrar, "name", Part::Registrar},
    {Field::Registrar, "organisation", Part::Registrar},
    {Field::Registrar, "등록대행자", Part::Domain}, // .kr
};

/// A label under which a registry states the name its reply is about.
struct NameLabel
{
    std::string_view label;
    Part part = Part::Domain;
};

constexpr NameLabel NameLabels[] = {
    {"domain name"},
    {"domain"},
    {"domainname"},           // .lu
    {"domain_name"},          // .nz
    {"query"},                // .cm .il .kr
    {"ascii"},                // .ir: the A-label of a name in Persian
    {"ace"},                  // .cl: the same, "ACE: x.cl (RFC-3490, ...)"
    {"puny name"},            // .中国
    {"name"},                 // .ee, under "Domain:"
    {"ドメイン名"},           // .jp in Japanese
    {"nombre de dominio"},    // .ve
    {"complete domain name"}, // .ai
    {"nom de domaine"},       // .dz
    {"domain-name"},          // .ma (RWhois), .sk (2010)
    {"dominio"},              // .bo
    {"도메인이름"},           // .kr
};

// Labels some registries write without a colon, the value after one blank:
//    Record created on 2018-02-05 22:59:12.55172          (.mo, .tw)
//         Registered on 02nd August 2000                  (.as, .gg)
//    Domain GOOGLE.KG (ACTIVE)                            (.kg)
//    Record changed on 28-May-2010                        (.ee)
// Any other label counts without a colon only before a tab or two blanks ("Domain name\tgoogle.ch").
constexpr std::string_view BlankLabels[] = {"record created on",
                                            "record expires on",
                                            "record last updated on",
                                            "record changed on",
                                            "registered on",
                                            "domain"};

/// A word of a heading ("Administrative Contact:", "[Holder]", "Registrar") and the part of the
/// reply the lines under it belong to; the first word found in the heading decides. A heading
/// without any of them is about the domain.
struct PartWord
{
    std::string_view word;
    Part part;
};

constexpr PartWord HeadingWords[] = {
    {"tech", Part::Other},
    {"admin", Part::Other},
    {"billing", Part::Other},
    {"zone", Part::Other},
    {"whois", Part::Other}, // .lv "[Whois] Updated:" is the database's time, not the record's
    {"registrant", Part::Registrant},
    {"holder", Part::Registrant},
    {"owner", Part::Registrant},
    {"titular", Part::Registrant},
    {"using domain", Part::Registrant}, // .kz "Organization Using Domain Name"
    {"registrar", Part::Registrar},
    {"contact", Part::Other},
    {"reseller", Part::Other},
    {"server", Part::Other},
    {"domain", Part::Domain},
};

/// The first label of a paragraph that makes the paragraph an object of its own (RIPE-like
/// replies list the contacts, name servers and the registrar after the domain, each with its own
/// "created:" and "changed:").
constexpr PartWord ObjectLabels[] = {
    {"person", Part::Other},
    {"personname", Part::Other},
    {"role", Part::Other},
    {"nic-hdl", Part::Other},
    {"nsset", Part::Other},
    {"keyset", Part::Other},
    {"nserver", Part::Other},
    {"registrar", Part::Registrar},
};

/// A label that opens a contact object wherever it stands, blank line or not (.ar, .pr): the
/// object belongs to the party its value names ("Contact: Registrant"), else to another party.
constexpr std::string_view ContactLabel = "contact";

/// Labels that open a line naming one of the zone's servers ("name server 1", "nameservers").
constexpr std::string_view NameServerLabels[] = {"nserver", "name server", "nameserver", "dns server"};

/// Labels (or bare headings) over a list of the domain's name servers, one host a line.
constexpr std::string_view NameServerHeadings[] = {"name servers",
                                                   "nameservers",
                                                   "name server",
                                                   "nameserver",
                                                   "nserver",
                                                   "nservers",
                                                   "dns servers",
                                                   "domain servers",
                                                   "domain servers in listed order",
                                                   "name servers in the listed order",
                                                   "domain name servers",
                                                   "domain name servers listed in order",
                                                   "domain nameservers",
                                                   "name server information",
                                                   "name servers information",
                                                   "current nameservers",
                                                   "servidor(es) de nombres de dominio",
                                                   "servidores de nombre"};

/// Labels that open the label of a line naming one server ("ns_name_01", .nz; "dns_name", .sk).
constexpr std::string_view NameServerLabelStarts[] = {
    "nserver", "name server", "nameserver", "dns server", "ns_name", "dns_name"};

/// Labels of lines that each name one server of the domain besides those above.
constexpr std::string_view MoreNameServerLabels[] = {"primary server",
                                                     "secondary server",
                                                     "primary server hostname",
                                                     "secondary server hostname",
                                                     "third server hostname",
                                                     "fourth server hostname",
                                                     "domain servers",
                                                     "dns servers",
                                                     "dns",
                                                     "hostname",
                                                     "host name",
                                                     "ns 1",
                                                     "ns 2",
                                                     "ns 3",
                                                     "ns 4",
                                                     "ns 5",
                                                     "ns 6",
                                                     "호스트이름"};

/// Labels of the domain's own status lines: its security state (StatusLabels decide free or held).
constexpr std::string_view DomainStatusLabels[] = {"domain status",
                                                   "status",
                                                   "state",
                                                   "registration status",
                                                   "epp status",
                                                   "eppstatus",
                                                   "estatus del dominio",
                                                   "status of domain",
                                                   "domain state",
                                                   "lock status",
                                                   "状態"};

/// Labels that make a paragraph a contact's object: its status lines are not the domain's.
constexpr std::string_view ContactHandleLabels[] = {"contact-id", "nic-hdl", "contact-handle"};

/// Labels of a DNSSEC line, and of key or DS records, which only a signed delegation has.
constexpr std::string_view DnssecLabels[] = {"dnssec", "dnssec signed", "dnssec status"};
constexpr std::string_view SigningKeyLabels[] = {
    "dnskey", "ds-rdata", "ds-list", "signing key", "keys", "ds record", "ds records", "ds data"};

/// Labels of the server's own lines: their values are messages, not fields.
constexpr std::string_view MessageLabels[] = {
    "error", "warning", "notice", "note", "notes", "message", "reason"};

/// Where in a message line a phrase must stand.
enum class Where : std::uint8_t
{
    Anywhere,
    WholeLine, // the line is the phrase, a full stop or "!" after it allowed
    LineEnd,   // the phrase ends the line ("free.nl is free", not "is free of charge")
    AfterName, // the line is a name and the phrase ("X.CO.CA is available.", not "... details is available.")
};

struct Phrase
{
    std::string_view text; // lower case
    Where where;
};

// Looked for only in the server's message lines: a line without a label, a comment ("%", "#",
// ">>>"), a label itself ("Not found: x.ca"), or the value of an "Error:" line; never in a field's
// value ("Registrant Organization: Not Found Ltd.") or in the lines under a heading.
constexpr Phrase NotRegisteredPhrases[] = {
    {"no match", Where::Anywhere},  // "No match for", "Nincs talalat / No match"
    {"not found", Where::Anywhere}, // "NOT FOUND", "Domain not found.", "Not found: x.so"
    {"no entries found", Where::Anywhere},
    {"no data found", Where::Anywhere},
    {"no matching record", Where::Anywhere}, // CNNIC's layout
    {"nothing found", Where::Anywhere},
    {"no such domain", Where::Anywhere},
    {"no object found", Where::Anywhere},
    {"does not exist", Where::Anywhere},
    {"not registered", Where::Anywhere},           // "Domain free.ai not registered.", "is not registered"
    {"not been registered", Where::Anywhere},      // Nominet's gTLDs
    {"no information available", Where::Anywhere}, // .es .pl
    {"is available for registration", Where::LineEnd}, // not "... is available for registration. By using"
    {"is available for purchase", Where::LineEnd},     // .tm
    {"returned 0 objects", Where::Anywhere},           // IANA (.int)
    {"no se encuentra registrado", Where::Anywhere},   // .ar
    {"no existe", Where::Anywhere},                    // .cl
    {"available", Where::WholeLine},
    {"is free", Where::LineEnd},                               // .nl
    {"is available", Where::AfterName},                        // .co.ca "X.CO.CA is available."
    {"no records matching", Where::Anywhere},                  // swhoisd (.ax .bj)
    {"no records found for object", Where::Anywhere},          // .in.ua
    {"no results were found", Where::Anywhere},                // .co.pl
    {"domain name not known in", Where::Anywhere},             // .cf .tk
    {"no data was found to match", Where::Anywhere},           // .il
    {"not registred", Where::Anywhere},                        // .ai, its spelling
    {"do not have an entry in our database", Where::Anywhere}, // .ch
    {"no domain records were found", Where::Anywhere},         // .coop
    {"not available in our whois database", Where::Anywhere},  // .lk: its word for not found
    {"object_not_found", Where::Anywhere},                     // .mx
    {"no objects found", Where::Anywhere},                     // RWhois (.ma)
    {"no found", Where::WholeLine},                            // .tw
};

// The registry holds the name back, or it can't be had: taken, never free. Checked before the
// phrases above ("Not available for registration." holds "available for registration").
constexpr Phrase TakenPhrases[] = {
    {"not available for registration", Where::Anywhere},
    {"not available for second level registration", Where::Anywhere}, // .name
    {"reserved name", Where::Anywhere},                               // .am
    {"is reserved", Where::Anywhere},
    {"can not be registered", Where::Anywhere}, // .wed: a prohibited string
    {"cannot be registered", Where::Anywhere},
};

/// A state a registry writes as the value of a status line ("Status: free"), the whole value.
struct StatusWord
{
    std::string_view value; // lower case
    bool registered;
};

constexpr std::string_view StatusLabels[] = {
    "status", "domain status", "query_status", "registration status"};

constexpr StatusWord StatusWords[] = {
    {"free", false},      // .de .lv
    {"available", false}, // .be .eu .it .lt
    {"no object found", false},
    {"not registered", false}, // .cm .ec
    {"not found", false},
    {"220 available", false}, // .nz
    {"taken", true},          // .aq .hm
    {"active", true},         // .gov
    {"ok", true},             // EPP's state of a name without locks
    {"connect", true},        // .de
    {"registered", true},     // .bg .fi
    {"not available", true},  // .be
};

} // namespace zonedesk::parse::generic
