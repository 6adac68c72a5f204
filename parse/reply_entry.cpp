// SPDX-License-Identifier: MIT
#include "parse/reply_entry.h"

#include <algorithm>
#include <iterator>

#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::parse {

namespace {

// A line labelled with one of these is the server talking, not a field of the record.
// .nz answers every query with a "query_status:" line.
constexpr std::string_view MessageLabels[] = {
    "error", "warning", "notice", "note", "message", "reason", "query_status"};
constexpr std::ptrdiff_t MostLabelWords = 4;

/// A date in one of the registries' notations: 2028-09-14, 2028/09/14, 2028.09.14, 14-09-2028,
/// 14-Sep-2028.
bool containsDate(std::string_view text)
{
    const auto matches = [&](std::size_t at, std::string_view shape) {
        if (at + shape.size() > text.size())
            return false;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const char c = text[at + i];
            const bool ok = shape[i] == 'd'   ? core::isAsciiDigit(c)
                            : shape[i] == 'a' ? core::isAsciiLetter(c)
                                              : (c == '-' || c == '/' || c == '.');
            if (!ok)
                return false;
        }
        return true;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (core::isAsciiDigit(text[i]) &&
            (matches(i, "dddd-dd-dd") || matches(i, "dd-dd-dddd") || matches(i, "dd-aaa-dddd")))
            return true;
    }
    return false;
}

/// The value of a domain-name line ("Domain Name: X", "[Domain Name] X", "domain: X", after a
/// lettered prefix "a. "), trimmed; nullopt for any other line.
std::optional<std::string_view> domainLineValue(std::string_view line)
{
    std::string_view body = core::trim(line);
    if (body.size() > 3 && body[1] == '.' && body[2] == ' ') // "a. [Domain Name]"
        body = core::trim(body.substr(3));
    const auto startsWithWord = [&](std::string_view word) {
        return body.size() >= word.size() && core::asciiLower(body.substr(0, word.size())) == word;
    };
    if (startsWithWord("[domain name]"))
        return core::trim(body.substr(13));
    if (startsWithWord("domain name")) {
        const std::string_view rest = core::trim(body.substr(11));
        if (rest.starts_with(':'))
            return core::trim(rest.substr(1));
        return std::nullopt;
    }
    if (startsWithWord("domain:"))
        return core::trim(body.substr(7));
    return std::nullopt;
}

} // namespace

bool standsInMessage(std::string_view reply, std::size_t start)
{
    const std::size_t newline = start == 0 ? std::string_view::npos : reply.rfind('\n', start - 1);
    const std::size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
    const std::string_view before = core::trim(reply.substr(lineStart, start - lineStart));
    if (before.empty() || std::string_view("%#*>").find(before.front()) != std::string_view::npos)
        return true;
    if (before.front() == '[' && before.find(']') != std::string_view::npos)
        return false;
    const std::size_t colon = before.find(':');
    if (colon == std::string_view::npos)
        return true;
    const std::string label = core::asciiLower(core::trim(before.substr(0, colon)));
    // A field's label is a few words; more make a sentence ("The queried object does not exist:").
    if (std::count(label.begin(), label.end(), ' ') >= MostLabelWords)
        return true;
    // Nor is a server's own name or a code a label: "whois.domain-registry.nl: only 1 request per
    // second allowed", EURid's "-1: Still in grace period".
    const bool hostName = label.find(' ') == std::string::npos && label.find('.') != std::string::npos;
    if (hostName || std::none_of(label.begin(), label.end(), core::isAsciiLetter))
        return true;
    return std::find(std::begin(MessageLabels), std::end(MessageLabels), label) != std::end(MessageLabels);
}

bool carriesEntry(std::string_view reply)
{
    bool domainLine = false;
    for (const std::string_view line : core::EachLine(reply)) {
        if (domainLineValue(line)) {
            domainLine = true;
            break;
        }
    }
    return domainLine && containsDate(reply);
}

std::optional<std::string> comparableDomainName(std::string_view name)
{
    name = core::trim(name, " \t\"'()[]<>");
    while (name.ends_with('.'))
        name.remove_suffix(1);
    if (name.empty())
        return std::nullopt;
    if (core::isAscii(name))
        return core::asciiLower(name);
    auto form = core::aLabelsOf(name);
    if (form)
        form = core::asciiLower(*form);
    return form;
}

bool answersFor(std::string_view stated, std::string_view queried)
{
    return stated == queried || (queried.size() > stated.size() && queried.ends_with(stated) &&
                                 queried[queried.size() - stated.size() - 1] == '.');
}

bool statesOnlyOtherNames(std::string_view reply, std::string_view queried)
{
    const auto wanted = comparableDomainName(queried);
    if (!wanted)
        return false;
    bool other = false;
    for (const std::string_view line : core::EachLine(reply)) {
        const auto value = domainLineValue(line);
        if (!value)
            continue;
        // The name is the value's first word; a word without a dot ("Domain not found.") or without
        // a comparable form (text in a legacy encoding) states no name.
        const auto name = comparableDomainName(value->substr(0, value->find_first_of(" \t")));
        if (!name || name->find('.') == std::string::npos)
            continue;
        if (answersFor(*name, *wanted))
            return false;
        other = true;
    }
    return other;
}

} // namespace zonedesk::parse
