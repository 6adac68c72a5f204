// SPDX-License-Identifier: MIT
// An RDAP domain object, as the registries publish it:
//    {"objectClassName":"domain","ldhName":"EXAMPLE.ORG",
//     "events":[{"eventAction":"registration","eventDate":"1995-08-31T04:00:00Z"}, ...],
//     "entities":[{"roles":["registrar"],"vcardArray":["vcard",[["fn",{},"text","R Inc."]]]},
//                 {"roles":["registrant"],"vcardArray":["vcard",[["org",{},"text","Example"],
//                  ["email",{},"text","a@example.org"]]],"remarks":[{"title":"REDACTED FOR PRIVACY"}]}],
//     "redacted":[{"name":{"description":"Registrant Email"}, ...}]}
#include "parse/rdap_reading.h"

#include <initializer_list>
#include <string>

#include "core/domain_status.h"
#include "core/json_nesting.h"
#include "core/text.h"
#include "parse/utf8_to_gbk.h"

#include <nlohmann/json.hpp>

namespace zonedesk::parse {

namespace {

using nlohmann::json;

constexpr long HttpOk = 200;
constexpr long HttpNotFound = 404;
constexpr long HttpTooManyRequests = 429;

struct EventField
{
    std::string_view action;
    Field field;
};

constexpr EventField EventFields[] = {
    {"registration", Field::RegistrationDate},
    {"expiration", Field::ExpiryDate},
    {"last changed", Field::UpdatedDate},
};

/// `object[key]` as text, or empty when it is missing or not a string.
std::string textOf(const json& object, std::string_view key)
{
    if (!object.is_object())
        return {};
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

/// The value of a vCard property ("fn", "org", "email", "contact-uri"): its fourth member, or the
/// first text of it when the value is structured.
std::string vcardValue(const json& entity, std::string_view property)
{
    const auto vcard = entity.find("vcardArray");
    if (vcard == entity.end() || !vcard->is_array() || vcard->size() < 2 || !(*vcard)[1].is_array())
        return {};
    for (const json& entry : (*vcard)[1]) {
        if (!entry.is_array() || entry.size() < 4 || !entry[0].is_string() ||
            entry[0].get<std::string>() != property)
            continue;
        const json& value = entry[3];
        if (value.is_string())
            return value.get<std::string>();
        if (value.is_array() && !value.empty() && value[0].is_string())
            return value[0].get<std::string>();
    }
    return {};
}

/// Whether the entity lists `role` (lower case) among its roles; registries write "Registrant" too.
bool hasRole(const json& entity, std::string_view role)
{
    const auto roles = entity.find("roles");
    if (roles == entity.end() || !roles->is_array())
        return false;
    for (const json& each : *roles) {
        if (each.is_string() && core::asciiLower(each.get<std::string>()) == role)
            return true;
    }
    return false;
}

/// The first of the entity's vCard `properties` whose value is not blank; empty when none is.
std::string firstVcardValue(const json& entity, std::initializer_list<std::string_view> properties)
{
    for (const std::string_view property : properties) {
        std::string value = vcardValue(entity, property);
        if (!core::trim(value).empty())
            return value;
    }
    return {};
}

/// The first entity with `role`, among the domain's entities and the entities nested in them.
const json* entityWithRole(const json& object, std::string_view role, int depth = 0)
{
    const auto entities = object.find("entities");
    if (entities == object.end() || !entities->is_array())
        return nullptr;
    for (const json& entity : *entities) {
        if (entity.is_object() && hasRole(entity, role))
            return &entity;
    }
    if (depth == 0) {
        for (const json& entity : *entities) {
            if (!entity.is_object())
                continue;
            if (const json* nested = entityWithRole(entity, role, depth + 1))
                return nested;
        }
    }
    return nullptr;
}

/// What the registry says in place of a withheld registrant value: the title of the entity's
/// first remark ("REDACTED FOR PRIVACY"), else "N/A".
std::string withheld(const json& entity)
{
    const auto remarks = entity.find("remarks");
    if (remarks != entity.end() && remarks->is_array() && !remarks->empty()) {
        std::string title = textOf((*remarks)[0], "title");
        if (!core::trim(title).empty())
            return title;
    }
    return std::string(NotApplicable);
}

void setUtf8(Reading& reading, Field field, std::string value)
{
    utf8ToGbkInPlace(value);
    reading.set(field, value);
}

/// RDAP's "status" words, the "ldhName" of each of "nameservers", and "secureDNS"'s
/// "delegationSigned". A list longer than any registry writes is read no further.
void readSecurity(const json& domain, Reading& reading)
{
    constexpr std::size_t MostEntries = 64;
    if (const auto statuses = domain.find("status"); statuses != domain.end() && statuses->is_array()) {
        for (std::size_t i = 0; i < statuses->size() && i < MostEntries; ++i) {
            if ((*statuses)[i].is_string())
                core::addStatusValue(reading.statuses(), (*statuses)[i].get<std::string>());
        }
        // Read in UTF-8 (a GBK byte could spell a code's letters), kept in GBK.
        for (std::string& word : reading.statuses().own)
            utf8ToGbkInPlace(word);
    }
    if (const auto servers = domain.find("nameservers"); servers != domain.end() && servers->is_array()) {
        for (std::size_t i = 0; i < servers->size() && i < MostEntries; ++i) {
            if (auto host = core::nameServerHost(textOf((*servers)[i], "ldhName")))
                core::addNameServer(reading.nameServers(), std::move(*host));
        }
    }
    if (const auto secure = domain.find("secureDNS"); secure != domain.end() && secure->is_object()) {
        if (const auto signedFlag = secure->find("delegationSigned");
            signedFlag != secure->end() && signedFlag->is_boolean())
            reading.setDnssec(signedFlag->get<bool>() ? core::Dnssec::Signed : core::Dnssec::Unsigned);
    }
}

Reading readDomain(const json& domain, std::string_view queriedName)
{
    const std::string ldhName = textOf(domain, "ldhName");
    if (textOf(domain, "objectClassName") != "domain" || ldhName.empty())
        return Reading(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    if (core::asciiLower(ldhName) != core::asciiLower(queriedName))
        return Reading(core::LookupStatus::Error, core::ErrorReason::OtherDomain);

    Reading reading(core::LookupStatus::Success);
    const auto events = domain.find("events");
    for (const EventField& wanted : EventFields) {
        std::string date;
        if (events != domain.end() && events->is_array()) {
            for (const json& event : *events) {
                if (textOf(event, "eventAction") == wanted.action) {
                    date = textOf(event, "eventDate");
                    break;
                }
            }
        }
        setUtf8(reading, wanted.field, date.empty() ? std::string(NotApplicable) : date);
    }

    const json* registrant = entityWithRole(domain, "registrant");
    if (registrant == nullptr) {
        reading.set(Field::Owner, NotApplicable);
        reading.set(Field::Email, NotApplicable);
    } else {
        const std::string owner = firstVcardValue(*registrant, {"org", "fn"});
        // A contact form instead of an address.
        const std::string email = firstVcardValue(*registrant, {"email", "contact-uri"});
        setUtf8(reading, Field::Owner, owner.empty() ? withheld(*registrant) : owner);
        setUtf8(reading, Field::Email, email.empty() ? withheld(*registrant) : email);
    }
    // Some registrars publish only their organisation (MarkMonitor has no "fn").
    const json* registrar = entityWithRole(domain, "registrar");
    const std::string registrarName =
        registrar != nullptr ? firstVcardValue(*registrar, {"fn", "org"}) : std::string();
    setUtf8(reading, Field::Registrar, registrarName.empty() ? std::string(NotApplicable) : registrarName);
    readSecurity(domain, reading);
    return reading;
}

/// The document of an answer's body; discarded when it is not JSON, or nests deeper than an answer
/// does (so that a body of brackets alone builds no tree).
json parseAnswer(std::string_view body)
{
    if (!core::jsonNestingWithin(body))
        return json::value_t::discarded;
    return json::parse(body, nullptr, false);
}

/// Whether an HTTP status means "ask again later" (429, or a server error).
bool isRdapThrottle(long httpStatus)
{
    return httpStatus == HttpTooManyRequests || (httpStatus >= 500 && httpStatus <= 599);
}

/// Whether a 404 is the RDAP server's own "no such object": an RDAP error object (RFC 9083 §6), or
/// an empty body sent as RDAP or JSON. A web server's or a proxy's page is not.
bool isRdapNotFound(std::string_view body, std::string_view mediaType)
{
    if (core::trim(body).empty()) {
        const std::string type = core::asciiLower(core::trim(mediaType.substr(0, mediaType.find(';'))));
        return type == "application/rdap+json" || type == "application/json";
    }
    const json answer = parseAnswer(body);
    return answer.is_object() && (answer.contains("errorCode") || answer.contains("rdapConformance"));
}

} // namespace

Reading
readRdap(long httpStatus, std::string_view body, std::string_view queriedName, std::string_view mediaType)
{
    if (httpStatus == HttpNotFound) {
        return isRdapNotFound(body, mediaType)
                   ? Reading(core::LookupStatus::NotRegistered)
                   : Reading(core::LookupStatus::Error, core::ErrorReason::NotRdap);
    }
    if (isRdapThrottle(httpStatus))
        return Reading(core::LookupStatus::Error, core::ErrorReason::Throttled);
    if (httpStatus != HttpOk)
        return Reading(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    const json domain = parseAnswer(body);
    if (domain.is_discarded() || !domain.is_object())
        return Reading(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    return readDomain(domain, queriedName);
}

} // namespace zonedesk::parse
