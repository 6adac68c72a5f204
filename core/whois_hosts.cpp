// SPDX-License-Identifier: MIT
// A strict reader: the table is the project's own data, so any line it doesn't expect means the
// file is not the table, and the whole file is refused rather than half used.
#include "core/whois_hosts.h"

#include <algorithm>
#include <vector>

#include "core/data_files.h"
#include "core/text.h"

namespace zonedesk::core {

namespace {

constexpr std::size_t MaxLabelBytes = 63;

} // namespace

bool isLdhLabel(std::string_view label)
{
    return !label.empty() && label.size() <= MaxLabelBytes && !label.starts_with('-') &&
           !label.ends_with('-') && std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
           });
}

bool isWhoisHostName(std::string_view host)
{
    if (host.empty() || host.size() > MaxWhoisHostBytes)
        return false;
    for (;;) {
        const std::size_t dot = host.find('.');
        if (!isLdhLabel(host.substr(0, dot)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        host.remove_prefix(dot + 1);
    }
}

std::optional<WhoisHostTable> WhoisHostTable::parse(std::string_view text, std::string& error)
{
    if (text.size() > MaxWhoisTableBytes) {
        error = "larger than " + std::to_string(MaxWhoisTableBytes) + " bytes";
        return std::nullopt;
    }
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.size() > MaxWhoisTableLines) {
        error = "more than " + std::to_string(MaxWhoisTableLines) + " lines";
        return std::nullopt;
    }
    WhoisHostTable table;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty())
            continue;
        const std::string where = "line " + std::to_string(i + 1) + ": ";
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos) {
            error = where + "not a TLD and a host separated by one tab";
            return std::nullopt;
        }
        const std::string_view tld = line.substr(0, tab);
        const std::string_view host = line.substr(tab + 1);
        if (!isLdhLabel(tld)) {
            error = where + "the TLD is not one lower-case label";
            return std::nullopt;
        }
        if (host.size() > MaxWhoisHostBytes) {
            error = where + "the host is longer than " + std::to_string(MaxWhoisHostBytes) + " bytes";
            return std::nullopt;
        }
        if (!isWhoisHostName(host)) {
            error = where + "the host is not a lower-case host name";
            return std::nullopt;
        }
        if (!table.m_hosts.emplace(tld, host).second) {
            error = where + "the TLD is listed again";
            return std::nullopt;
        }
    }
    return table;
}

std::optional<WhoisHostTable> WhoisHostTable::load(const std::filesystem::path& file, std::string& error)
{
    const auto text = readBoundedFile(file, MaxWhoisTableBytes, error);
    if (!text)
        return std::nullopt;
    auto table = parse(*text, error);
    if (!table)
        error = file.string() + ": " + error;
    return table;
}

std::string_view WhoisHostTable::hostFor(std::string_view tld) const
{
    const auto found = m_hosts.find(tld);
    return found == m_hosts.end() ? std::string_view() : std::string_view(found->second);
}

} // namespace zonedesk::core
