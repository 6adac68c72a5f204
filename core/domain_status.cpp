// SPDX-License-Identifier: MIT
#include "core/domain_status.h"

#include <algorithm>

#include "core/text.h"

namespace zonedesk::core {

namespace {

bool isAlnum(char c)
{
    return isAsciiDigit(c) || isAsciiLetter(c);
}

/// Letters and digits alone, lower case: EPP's "clientTransferProhibited", RDAP's "client
/// transfer prohibited" and a registry's "CLIENT-TRANSFER-PROHIBITED" are one key.
std::string keyOf(std::string_view text)
{
    std::string key;
    for (const char c : text) {
        if (isAlnum(c))
            key.push_back(asciiLower(c));
    }
    return key;
}

std::optional<EppStatus> codeOfKey(std::string_view key)
{
    // RDAP's "active" is EPP's ok (RFC 8056).
    if (key == "active")
        return EppStatus::Ok;
    // Every status line of every reply asks: the table's keys are made once.
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (const EppStatusRow& row : EppStatuses)
            all.push_back(keyOf(row.name));
        return all;
    }();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key)
            return EppStatuses[i].code;
    }
    return std::nullopt;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        const std::size_t end = std::min(text.size(), text.find_first_of(" \t", at));
        if (end > at)
            words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

bool isAddress(std::string_view word)
{
    const std::string lower = asciiLower(word);
    return lower.starts_with("http:") || lower.starts_with("https:") || lower.starts_with("www.");
}

/// A registry's own status word as kept: no control bytes, no address, some letter, at most
/// `limit` bytes.
std::optional<std::string> ownWord(std::string_view part, std::size_t limit = MostOwnWordBytes)
{
    std::string word;
    for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        word.push_back(byte < 0x20 || byte == 0x7F ? ' ' : c);
    }
    const std::string_view kept = trim(word, ". \t");
    if (kept.empty() || kept.size() > limit || isAddress(kept) ||
        std::none_of(kept.begin(), kept.end(), [](char c) {
            return isAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80;
        }))
        return std::nullopt;
    return std::string(kept);
}

void addOwn(DomainStatuses& statuses, std::string word)
{
    if (statuses.own.size() < MostOwnWords &&
        std::find(statuses.own.begin(), statuses.own.end(), word) == statuses.own.end())
        statuses.own.push_back(std::move(word));
}

} // namespace

StatusBits codesOfGroup(StatusBits bits, StatusGroup group)
{
    StatusBits of = 0;
    for (const EppStatusRow& row : EppStatuses) {
        if (row.group == group)
            of |= statusBit(row.code);
    }
    return bits & of;
}

void addStatusValue(DomainStatuses& statuses, std::string_view value)
{
    // What follows the state is no part of it: an address, or a remark in parentheses.
    std::size_t end = value.find('(');
    for (const std::string_view word : wordsOf(value)) {
        if (isAddress(word)) {
            end = std::min(end, static_cast<std::size_t>(word.data() - value.data()));
            break;
        }
    }
    value = value.substr(0, std::min(end, value.size()));
    std::size_t at = 0;
    while (at <= value.size()) {
        const std::size_t comma = std::min(value.size(), value.find(',', at));
        const std::string_view part = trim(trim(value.substr(at, comma - at)), ".");
        at = comma + 1;
        if (part.empty())
            continue;
        if (const auto code = codeOfKey(keyOf(part))) {
            statuses.codes |= statusBit(*code);
            continue;
        }
        // Several codes in one value, a blank between them, up to the first word that is none (a
        // remark: "clientHold - domain inactive" is no "inactive").
        const std::vector<std::string_view> words = wordsOf(part);
        if (!words.empty() && codeOfKey(keyOf(words.front()))) {
            for (const std::string_view word : words) {
                const auto code = codeOfKey(keyOf(word));
                if (!code)
                    break;
                statuses.codes |= statusBit(*code);
            }
            continue;
        }
        if (auto word = ownWord(part))
            addOwn(statuses, std::move(*word));
    }
}

std::string statusesText(const DomainStatuses& statuses)
{
    std::string text;
    const auto add = [&text](std::string_view word, bool own) {
        text += text.empty() ? "" : ", ";
        text += own ? "~" : "";
        text += word;
    };
    for (const EppStatusRow& row : EppStatuses) {
        if ((statuses.codes & statusBit(row.code)) != 0)
            add(row.name, false);
    }
    for (const std::string& word : statuses.own)
        add(word, true);
    return text;
}

DomainStatuses readStatusesText(std::string_view text)
{
    DomainStatuses statuses;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.size(), text.find(',', at));
        const std::string_view part = trim(text.substr(at, comma - at));
        at = comma + 1;
        if (part.starts_with('~')) {
            // The text form is any encoding the record's words were converted to: no bound here
            // (the record's bound its words when they were read).
            if (auto word = ownWord(part.substr(1), part.size()))
                addOwn(statuses, std::move(*word));
        } else {
            addStatusValue(statuses, part);
        }
    }
    return statuses;
}

std::optional<std::string> nameServerHost(std::string_view value)
{
    const std::vector<std::string_view> words = wordsOf(value);
    if (words.empty())
        return std::nullopt;
    const std::string host = asciiLower(trim(words.front(), "."));
    if (host.size() < 3 || host.size() > 253 || host.find('.') == std::string::npos)
        return std::nullopt;
    std::size_t labelStart = 0;
    const std::size_t lastDot = host.rfind('.');
    bool letter = false;
    for (std::size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '.') {
            const std::size_t length = i - labelStart;
            if (length == 0 || length > 63 || host[labelStart] == '-' || host[i - 1] == '-')
                return std::nullopt;
            labelStart = i + 1;
            continue;
        }
        if (!isAlnum(host[i]) && host[i] != '-')
            return std::nullopt;
        // The last label, the zone's, holds a letter: an address is no host.
        letter = i > lastDot ? letter || isAsciiLetter(host[i]) : letter;
    }
    if (!letter)
        return std::nullopt;
    return host;
}

void addNameServer(std::vector<std::string>& servers, std::string host)
{
    const auto at = std::lower_bound(servers.begin(), servers.end(), host);
    if (at != servers.end() && *at == host)
        return;
    servers.insert(at, std::move(host));
    // The first hosts in order, whatever order the reply lists them in: a reorder is no change.
    if (servers.size() > MostNameServers)
        servers.pop_back();
}

std::string nameServersText(const std::vector<std::string>& servers, std::size_t capacity)
{
    std::string text;
    for (std::size_t i = 0; i < servers.size(); ++i) {
        const std::size_t left = servers.size() - i - 1;
        // Room for " +NN" stays while hosts are left after this one.
        const std::size_t after = text.size() + (text.empty() ? 0 : 1) + servers[i].size();
        if (after + (left > 0 ? 4 : 0) > capacity) {
            const std::string more = "+" + std::to_string(servers.size() - i);
            text += text.empty() ? more : " " + more;
            return text.size() <= capacity ? text : std::string();
        }
        text += text.empty() ? "" : " ";
        text += servers[i];
    }
    return text;
}

std::vector<std::string> readNameServersText(std::string_view text)
{
    std::vector<std::string> servers;
    for (const std::string_view word : wordsOf(text)) {
        if (auto host = nameServerHost(word))
            addNameServer(servers, std::move(*host));
    }
    return servers;
}

std::optional<Dnssec> readDnssecValue(std::string_view value)
{
    const std::string key = keyOf(value);
    for (const std::string_view no : {"unsigned", "notsigned", "nosigned"}) {
        if (key.starts_with(no))
            return Dnssec::Unsigned;
    }
    if (key == "no" || key == "inactive" || key == "false" || key == "off" || key == "none")
        return Dnssec::Unsigned;
    if (key.starts_with("signed") || key == "yes" || key == "active" || key == "true" || key == "on")
        return Dnssec::Signed;
    return std::nullopt;
}

std::string_view dnssecText(Dnssec dnssec)
{
    switch (dnssec) {
    case Dnssec::Signed: return "signed";
    case Dnssec::Unsigned: return "unsigned";
    case Dnssec::NotStated: break;
    }
    return {};
}

Dnssec dnssecOfText(std::string_view text)
{
    for (const Dnssec each : {Dnssec::Signed, Dnssec::Unsigned}) {
        if (text == dnssecText(each))
            return each;
    }
    return Dnssec::NotStated;
}

} // namespace zonedesk::core
