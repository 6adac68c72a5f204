// SPDX-License-Identifier: MIT
// libpsl answers "is this a public suffix" for one name at a time; the longest such suffix of a
// name, and so its registrable domain, is found by asking for each of its tails in turn.
#include "core/registrable_domain.h"

#include <algorithm>
#include <vector>

#include <libpsl.h>

#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::core {

namespace {

constexpr std::size_t MaxNameBytes = 253;
constexpr std::size_t MaxLabelBytes = 63;

} // namespace

void PublicSuffixList::Deleter::operator()(psl_ctx_st* context) const
{
    psl_free(context);
}

PublicSuffixList::PublicSuffixList(psl_ctx_st* context)
    : m_context(context)
{}

const PublicSuffixList& PublicSuffixList::system()
{
    static const PublicSuffixList list(psl_latest(nullptr));
    return list;
}

std::optional<PublicSuffixList> PublicSuffixList::load(const std::filesystem::path& file, std::string& error)
{
    psl_ctx_st* context = psl_load_file(file.c_str());
    if (context == nullptr) {
        error = "cannot read the suffix list " + file.string();
        return std::nullopt;
    }
    return PublicSuffixList(context);
}

bool PublicSuffixList::isPublicSuffix(const std::string& name) const
{
    return m_context && psl_is_public_suffix2(m_context.get(), name.c_str(), PSL_TYPE_ICANN) != 0;
}

std::optional<std::string> normalizedDomainName(std::string_view name, std::string& error)
{
    if (name.ends_with('.'))
        name.remove_suffix(1);
    if (name.empty()) {
        error = "an empty name";
        return std::nullopt;
    }
    // libidn2's own limits are larger; a name far over a domain's length is not converted at all.
    if (name.size() > 4 * MaxNameBytes) {
        error = "longer than a domain name";
        return std::nullopt;
    }
    std::optional<std::string> ascii = isAscii(name) ? std::optional(asciiLower(name)) : aLabelsOf(name);
    if (!ascii) {
        error = "not an internationalised domain name";
        return std::nullopt;
    }
    if (ascii->size() > MaxNameBytes) {
        error = "longer than " + std::to_string(MaxNameBytes) + " bytes";
        return std::nullopt;
    }
    std::string_view rest = *ascii;
    for (;;) {
        const std::size_t dot = rest.find('.');
        const std::string_view label = rest.substr(0, dot);
        const bool ldh = std::all_of(label.begin(), label.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        });
        if (label.empty() || label.size() > MaxLabelBytes || !ldh || label.starts_with('-') ||
            label.ends_with('-')) {
            error = "not a host name (each label 1 to 63 letters, digits or inner hyphens)";
            return std::nullopt;
        }
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    if (std::all_of(rest.begin(), rest.end(), isAsciiDigit)) {
        error = "an address, not a name (the last label is all digits)";
        return std::nullopt;
    }
    return ascii;
}

DomainParts splitDomain(std::string_view name, const PublicSuffixList& list)
{
    DomainParts parts;
    const auto normalized = normalizedDomainName(name, parts.error);
    if (!normalized)
        return parts;
    parts.name = *normalized;
    std::vector<std::size_t> labelStarts{0};
    for (std::size_t dot = parts.name.find('.'); dot != std::string::npos;
         dot = parts.name.find('.', dot + 1))
        labelStarts.push_back(dot + 1);
    // Tails from the longest: the first that is a public suffix is the longest one. The TLD counts
    // as one whatever the list says, as its implicit "*" rule does.
    std::size_t tail = 0;
    while (tail + 1 < labelStarts.size() && !list.isPublicSuffix(parts.name.substr(labelStarts[tail])))
        ++tail;
    parts.suffix = parts.name.substr(labelStarts[tail]);
    parts.tld = parts.name.substr(labelStarts.back());
    if (tail == 0) {
        parts.kind = DomainParts::Kind::PublicSuffix;
        return parts;
    }
    parts.kind = DomainParts::Kind::Registrable;
    parts.registrable = parts.name.substr(labelStarts[tail - 1]);
    return parts;
}

} // namespace zonedesk::core
