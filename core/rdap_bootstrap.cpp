// SPDX-License-Identifier: MIT
// The bootstrap read with nlohmann-json, its nesting measured before it parses and its values
// counted while it does, so that a hostile file can't make a deep or a wide tree, then its shape
// checked member by member.
#include "core/rdap_bootstrap.h"

#include <algorithm>

#include "core/data_files.h"
#include "core/json_nesting.h"
#include "core/text.h"

#include <nlohmann/json.hpp>

namespace zonedesk::core {

namespace {

using json = nlohmann::json;

// The object (0), "services" (1), a service (2) and its two lists (3) are all the nesting there is.
constexpr std::size_t MaxContainerDepth = 3;
// Each entry and URL, each service's three lists and a few members: far above any real file.
constexpr std::size_t MaxBootstrapValues = 4 * MaxBootstrapEntries;
constexpr std::size_t MaxNameBytes = 253;
constexpr std::size_t MaxLabelBytes = 63;

/// "YYYY-MM-DDTHH:MM:SS", an optional fraction, then "Z".
bool isPublicationTime(std::string_view text)
{
    constexpr std::string_view Shape = "dddd-dd-ddTdd:dd:dd";
    if (text.size() < Shape.size() + 1 || !text.ends_with('Z'))
        return false;
    for (std::size_t i = 0; i < Shape.size(); ++i) {
        if (Shape[i] == 'd' ? !isAsciiDigit(text[i]) : text[i] != Shape[i])
            return false;
    }
    std::string_view rest = text.substr(Shape.size(), text.size() - Shape.size() - 1);
    if (rest.empty())
        return true;
    return rest.size() >= 2 && rest.front() == '.' && std::all_of(rest.begin() + 1, rest.end(), isAsciiDigit);
}

/// A domain name or a single label in lower-case LDH form (A-labels included).
bool isEntry(std::string_view name)
{
    if (name.empty() || name.size() > MaxNameBytes)
        return false;
    std::size_t labelStart = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name[i] == '.') {
            const std::size_t length = i - labelStart;
            if (length == 0 || length > MaxLabelBytes || name[labelStart] == '-' || name[i - 1] == '-')
                return false;
            labelStart = i + 1;
            continue;
        }
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || isAsciiDigit(c) || c == '-'))
            return false;
    }
    return true;
}

/// An https URL whose host is a host name (letters, digits, "-" and "."; or an address in
/// brackets), with no user or password, and no blank, control or non-ASCII byte anywhere: a URL
/// any client reads one way, that shows as what it is. Plain http is no service: an answer anyone
/// on the way could change.
bool isServiceUrl(std::string_view url)
{
    constexpr std::string_view Scheme = "https://";
    if (!url.starts_with(Scheme) || std::any_of(url.begin(), url.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte <= 0x20 || byte >= 0x7F;
        }))
        return false;
    const std::string_view rest = url.substr(Scheme.size());
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (authority.find('@') != std::string_view::npos)
        return false;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1)
            return false;
        const std::string_view address = authority.substr(1, close - 1);
        if (!std::all_of(address.begin(), address.end(), [](char c) {
                return isAsciiDigit(c) || (asciiLower(c) >= 'a' && asciiLower(c) <= 'f') || c == ':' ||
                       c == '.';
            }))
            return false;
        authority.remove_prefix(close + 1);
    } else {
        const std::string_view host = authority.substr(0, authority.find(':'));
        if (host.empty() || host.front() == '.' || host.front() == '-' ||
            !std::all_of(host.begin(), host.end(), [](char c) {
                return isAsciiDigit(c) || isAsciiLetter(c) || c == '-' || c == '.';
            }))
            return false;
        authority.remove_prefix(host.size());
    }
    if (authority.empty())
        return true;
    const std::string_view port = authority.substr(1);
    return authority.front() == ':' && !port.empty() && port.size() <= 5 &&
           std::all_of(port.begin(), port.end(), isAsciiDigit);
}

std::string serviceBase(const json& urls)
{
    for (const json& url : urls) {
        const auto& text = url.get_ref<const std::string&>();
        if (isServiceUrl(text))
            return text.ends_with('/') ? text : text + "/";
    }
    return {};
}

std::string where(std::size_t service)
{
    return "services[" + std::to_string(service) + "]";
}

} // namespace

std::optional<RdapBootstrap> RdapBootstrap::parse(std::string_view text, std::string& error)
{
    if (text.size() > MaxBootstrapBytes) {
        error = "larger than " + std::to_string(MaxBootstrapBytes) + " bytes";
        return std::nullopt;
    }
    // Even a parse that keeps nothing holds a pointer per open level: the depth is judged first.
    if (!jsonNestingWithin(text, MaxContainerDepth + 1)) {
        error = "nested deeper than a bootstrap file (" + std::to_string(MaxContainerDepth + 1) + " levels)";
        return std::nullopt;
    }
    std::size_t values = 0;
    const json::parser_callback_t limit = [&values](int, json::parse_event_t event, json&) {
        // Past the cap nothing more is kept, so that the tree stays small whatever the text.
        if (event == json::parse_event_t::object_start || event == json::parse_event_t::array_start ||
            event == json::parse_event_t::value)
            ++values;
        return values <= MaxBootstrapValues;
    };
    json document;
    try {
        document = json::parse(text, limit);
    } catch (const json::exception& e) {
        // e.what() names the library and its error id; the position is what helps a reader.
        const auto* parseError = dynamic_cast<const json::parse_error*>(&e);
        error = parseError != nullptr ? "not JSON (error at byte " + std::to_string(parseError->byte) + ")"
                                      : "not JSON";
        return std::nullopt;
    }
    if (values > MaxBootstrapValues) {
        error = "more than " + std::to_string(MaxBootstrapValues) + " JSON values";
        return std::nullopt;
    }
    if (!document.is_object()) {
        error = "not a JSON object";
        return std::nullopt;
    }
    const auto publication = document.find("publication");
    if (publication == document.end() || !publication->is_string() ||
        !isPublicationTime(publication->get_ref<const std::string&>())) {
        error = "no \"publication\" date-time";
        return std::nullopt;
    }
    const auto services = document.find("services");
    if (services == document.end() || !services->is_array()) {
        error = "no \"services\" list";
        return std::nullopt;
    }

    RdapBootstrap bootstrap;
    bootstrap.m_publication = publication->get<std::string>();
    std::size_t entries = 0;
    for (std::size_t i = 0; i < services->size(); ++i) {
        const json& service = (*services)[i];
        if (!service.is_array() || service.size() != 2 || !service[0].is_array() || !service[1].is_array()) {
            error = where(i) + " is not a pair of lists";
            return std::nullopt;
        }
        entries += service[0].size() + service[1].size();
        if (entries > MaxBootstrapEntries) {
            error = "more than " + std::to_string(MaxBootstrapEntries) + " entries and URLs";
            return std::nullopt;
        }
        for (const json& item : service[0]) {
            if (!item.is_string() || item.get_ref<const std::string&>().size() > MaxBootstrapString ||
                !isEntry(asciiLower(item.get_ref<const std::string&>()))) {
                error = where(i) + " has an entry that is not a domain name";
                return std::nullopt;
            }
        }
        for (const json& item : service[1]) {
            if (!item.is_string() || item.get_ref<const std::string&>().size() > MaxBootstrapString) {
                error = where(i) + " has a URL that is not a string of at most " +
                        std::to_string(MaxBootstrapString) + " bytes";
                return std::nullopt;
            }
        }
        const std::string base = serviceBase(service[1]);
        if (base.empty())
            continue;
        for (const json& item : service[0])
            bootstrap.m_bases.emplace(asciiLower(item.get_ref<const std::string&>()), base);
    }
    // Taken, it would leave every TLD without its RDAP service.
    if (bootstrap.m_bases.empty()) {
        error = "no TLD with a usable service URL";
        return std::nullopt;
    }
    return bootstrap;
}

std::optional<RdapBootstrap> RdapBootstrap::load(const std::filesystem::path& file, std::string& error)
{
    const auto text = readBoundedFile(file, MaxBootstrapBytes, error);
    if (!text)
        return std::nullopt;
    auto bootstrap = parse(*text, error);
    if (!bootstrap)
        error = file.string() + ": " + error;
    return bootstrap;
}

std::string_view RdapBootstrap::baseFor(std::string_view name) const
{
    if (name.ends_with('.'))
        name.remove_suffix(1);
    const std::string lower = asciiLower(name);
    std::string_view candidate = lower;
    for (;;) {
        if (const auto found = m_bases.find(candidate); found != m_bases.end())
            return found->second;
        const std::size_t dot = candidate.find('.');
        if (dot == std::string_view::npos)
            return {};
        candidate.remove_prefix(dot + 1);
    }
}

bool publishedLater(std::string_view a, std::string_view b)
{
    constexpr std::size_t WholeSeconds = 19; // "YYYY-MM-DDTHH:MM:SS"
    return a.substr(0, WholeSeconds) > b.substr(0, WholeSeconds);
}

BootstrapChanges compareBootstraps(const RdapBootstrap& before, const RdapBootstrap& after)
{
    BootstrapChanges changes;
    for (const auto& [entry, base] : after.bases()) {
        const auto old = before.bases().find(entry);
        if (old == before.bases().end())
            changes.added.push_back(entry);
        else if (old->second != base)
            changes.moved.push_back(entry);
    }
    for (const auto& [entry, base] : before.bases()) {
        if (!after.bases().contains(entry))
            changes.removed.push_back(entry);
    }
    return changes;
}

BootstrapChoice loadNewestBootstrap(const std::filesystem::path& shipped, const std::filesystem::path& cached)
{
    BootstrapChoice choice;
    std::optional<RdapBootstrap> shippedCopy = RdapBootstrap::load(shipped, choice.error);

    std::string cacheError;
    bool cacheMissing = false;
    std::optional<RdapBootstrap> cachedCopy;
    if (const auto text = readBoundedFile(cached, MaxBootstrapBytes, cacheError, &cacheMissing)) {
        cachedCopy = RdapBootstrap::parse(*text, cacheError);
        if (!cachedCopy)
            cacheError = cached.string() + ": " + cacheError;
    }
    if (!cachedCopy && !cacheMissing)
        choice.cacheNote = "ignored the cached copy: " + cacheError;

    if (cachedCopy &&
        (!shippedCopy || publishedLater(cachedCopy->publication(), shippedCopy->publication()))) {
        choice.bootstrap = std::move(cachedCopy);
        choice.source = cached;
        choice.error.clear();
    } else if (shippedCopy) {
        choice.bootstrap = std::move(shippedCopy);
        choice.source = shipped;
    }
    return choice;
}

} // namespace zonedesk::core
