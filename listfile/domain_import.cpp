// SPDX-License-Identifier: MIT
// Domain import: one name per line, normalised, until the first empty line.
#include "listfile/domain_import.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "core/confusable_names.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/idn_mapping.h"
#include "core/registrable_domain.h"
#include "core/text.h"
#include "core/whois_query_name.h"
#include "core/whois_servers.h"
#include "listfile/regular_file.h"

namespace zonedesk::listfile {

namespace {

constexpr std::array<std::string_view, 2> WebSchemes{"https://", "http://"};
constexpr std::string_view WebHostPrefix = "www.";
constexpr std::size_t DomainWidth = sizeof(core::DomainRecord::domain) - 1;

/// The length of the character at text[pos]: GBK's one or two bytes, or a byte of UTF-8 text, whose
/// multi-byte characters never hold an ASCII byte.
std::size_t charLength(std::string_view text, std::size_t pos, bool gbk)
{
    return gbk ? core::gbkCharLength(text, pos) : 1;
}

std::string toLowerAscii(std::string_view text, bool gbk)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += charLength(out, i, gbk)) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

/// Removes every occurrence of the schemes that starts on a character boundary.
std::string removeSchemes(std::string_view text, bool gbk)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        bool removed = false;
        for (const std::string_view scheme : WebSchemes) {
            if (text.substr(i).starts_with(scheme)) {
                i += scheme.size();
                removed = true;
                break;
            }
        }
        if (removed)
            continue;
        const std::size_t length = charLength(text, i, gbk);
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

/// Leading slashes go (a "//name" line still names a host); the first slash after the host starts
/// its path, which is not part of the name.
std::string_view cutPath(std::string_view text)
{
    const std::size_t first = text.find_first_not_of('/');
    if (first == std::string_view::npos)
        return {};
    text.remove_prefix(first);
    // '/' (0x2F) is below every GBK trail byte, so a plain search cannot land inside a character.
    return text.substr(0, text.find('/'));
}

/// normaliseDomainLine for GBK text or, with `gbk` false, UTF-8 text.
std::string normaliseName(std::string_view line, bool gbk)
{
    const std::string lowered = toLowerAscii(core::trim(line), gbk);
    const std::string withoutScheme = removeSchemes(lowered, gbk);
    std::string_view name = withoutScheme;
    if (name.starts_with(WebHostPrefix))
        name.remove_prefix(WebHostPrefix.size());
    name = cutPath(name);
    // "example.com." names the same domain; a lone "." is no name at all.
    if (name.ends_with('.'))
        name.remove_suffix(1);
    return std::string(name);
}

struct SkipTexts
{
    SkipReason reason;
    std::string_view english;
    std::string_view chinese; // UTF-8
};

// Indexed by SkipReason.
constexpr SkipTexts SkipReasons[SkipReasonCount] = {
    {SkipReason::TooLong, "longer than 40 bytes", "长于 40 字节"},
    {SkipReason::LineTooLong, "a line too long to be a name", "行太长，不是域名"},
    {SkipReason::Blank, "a blank inside", "含有空格"},
    {SkipReason::ControlByte, "a control character", "含有控制字符"},
    {SkipReason::NoDot, "no dot", "没有点号"},
    {SkipReason::BadCharacter, "characters a domain name can't hold", "含有域名不允许的字符"},
    {SkipReason::FormulaPrefix, "starts with =, +, - or @", "以 =、+、- 或 @ 开头"},
    {SkipReason::NotInGbk, "text GBK can't hold", "含有 GBK 无法表示的字符"},
    {SkipReason::PublicSuffix, "a public suffix, which nobody registers", "是公共后缀，不能注册"},
};

constexpr bool skipReasonsAreIndexed()
{
    for (std::size_t i = 0; i < SkipReasonCount; ++i) {
        if (static_cast<std::size_t>(SkipReasons[i].reason) != i)
            return false;
    }
    return true;
}

static_assert(skipReasonsAreIndexed());

bool isAsciiNameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool hasEmptyLabel(std::string_view name)
{
    return name.starts_with('.') || name.ends_with('.') || name.find("..") != std::string_view::npos;
}

/// The line's name as GBK: cleaned as normaliseDomainLine cleans it; an IDN mapped as UTS #46 maps
/// it first, so that "BÜCHER.jp" and "例子。cn" name what a browser would. A name the mapping can't
/// take, or whose mapped form GBK can't hold, is kept as written and checked as it is. nullopt,
/// with the reason, for a name with no GBK form at all.
std::optional<std::string> lineName(std::string_view line, ListEncoding encoding, SkipReason& reason)
{
    if (core::isAscii(line))
        return normaliseDomainLine(line);
    const bool utf8 = encoding == ListEncoding::Utf8;
    if (!utf8 || core::isUtf8(line)) {
        const std::string text = utf8 ? std::string(line) : core::gbkToUtf8(line);
        if (const auto mapped = core::idnMapped(normaliseName(text, false))) {
            // The mapping may make a trailing "。" a final dot or "ｗｗｗ．" a web prefix.
            const std::string name = normaliseName(*mapped, false);
            auto gbk = name.empty() ? std::nullopt : core::utf8ToGbkExact(name);
            if (gbk)
                return gbk;
        }
    }
    if (!utf8)
        return normaliseDomainLine(line);
    const auto gbk = core::utf8ToGbkExact(line);
    if (!gbk) {
        reason = SkipReason::NotInGbk; // a "?" in its place would query another name
        return std::nullopt;
    }
    return normaliseDomainLine(*gbk);
}

ImportReport readList(core::DomainTable& table, int fd, ListEncoding encoding)
{
    ImportReport report;
    table.clear();
    ListReader reader(fd, encoding);
    while (const auto line = reader.next()) {
        if (report.stoppedAtLine != 0) {
            report.linesAfterStop += line->overlong || !core::trim(line->bytes).empty() ? 1 : 0;
            continue;
        }
        SkipReason reason = SkipReason::LineTooLong;
        std::optional<std::string> named;
        if (!line->overlong)
            named = lineName(line->bytes, reader.lineEncoding(line->bytes), reason);
        if (!named) {
            ++report.skipped[static_cast<std::size_t>(reason)];
            continue;
        }
        const std::string& name = *named;
        if (name.empty()) {
            report.stoppedAtLine = line->number;
            continue;
        }
        if (const auto bad = checkDomainName(name)) {
            ++report.skipped[static_cast<std::size_t>(*bad)];
            continue;
        }
        if (report.count >= core::TableCapacity) {
            report.fullAtLine = line->number;
            break;
        }
        core::copyField(table[static_cast<std::size_t>(report.count)].domain, name);
        if (core::confusableALabel(name))
            report.confusable.push_back(report.count);
        else if (report.confusableUnchecked.empty() && !core::isAscii(name))
            report.confusableUnchecked = core::confusionUnchecked();
        ++report.count;
    }
    report.encoding = reader.encoding();
    report.end = reader.end();
    if (reader.end() == ListReader::End::ReadError) {
        report.outcome = ImportOutcome::ReadError;
        report.error = reader.error();
    }
    table.setCount(report.count);
    core::assignWhoisServers(table);
    return report;
}

} // namespace

std::string_view skipReasonText(SkipReason reason)
{
    return SkipReasons[static_cast<std::size_t>(reason)].english;
}

std::string_view skipReasonTextZh(SkipReason reason)
{
    return SkipReasons[static_cast<std::size_t>(reason)].chinese;
}

std::int32_t ImportReport::skippedTotal() const
{
    std::int32_t total = 0;
    for (const std::int32_t n : skipped)
        total += n;
    return total;
}

std::string normaliseDomainLine(std::string_view line)
{
    return normaliseName(line, true);
}

std::optional<SkipReason> checkDomainName(std::string_view name)
{
    if (name.size() > DomainWidth)
        return SkipReason::TooLong;
    if (std::string_view("=+-@").find(name.front()) != std::string_view::npos)
        return SkipReason::FormulaPrefix;
    bool ascii = true;
    for (std::size_t i = 0; i < name.size(); i += core::gbkCharLength(name, i)) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte == ' ' || byte == '\t')
            return SkipReason::Blank;
        if (byte < 0x20 || byte == 0x7F)
            return SkipReason::ControlByte;
        if (byte >= 0x80)
            ascii = false;
        else if (!isAsciiNameByte(name[i]))
            return SkipReason::BadCharacter;
    }
    if (name.find('.') == std::string_view::npos)
        return SkipReason::NoDot;
    if (hasEmptyLabel(name))
        return SkipReason::BadCharacter;
    if (!ascii) {
        // The name sent is its A-label form; IDNA maps some marks ("。") to dots, which must not
        // make another name of it.
        const auto query = core::whoisQueryName(name);
        if (!query || hasEmptyLabel(*query) ||
            std::count(query->begin(), query->end(), '.') != std::count(name.begin(), name.end(), '.') ||
            !std::all_of(query->begin(), query->end(), isAsciiNameByte))
            return SkipReason::BadCharacter;
    }
    // The ten registries keep their rules for their suffixes; anywhere else a public suffix is
    // no name to look up.
    if (!core::serverRuleFor(name).server) {
        const auto query = core::whoisQueryName(name);
        if (query && core::splitDomain(*query).kind == core::DomainParts::Kind::PublicSuffix)
            return SkipReason::PublicSuffix;
    }
    return std::nullopt;
}

ImportReport importDomains(core::DomainTable& table, const std::filesystem::path& path, ListEncoding encoding)
{
    ImportReport report;
    const OpenedFile file = openRegularFile(path);
    switch (file.outcome) {
    case OpenOutcome::InvalidFile:
        report.outcome = ImportOutcome::InvalidFile;
        report.error = file.error;
        return report;
    case OpenOutcome::NotAFile: report.outcome = ImportOutcome::NotAFile; return report;
    case OpenOutcome::Opened: break;
    }
    return readList(table, file.fd.get(), encoding);
}

ImportReport importDomainsFrom(core::DomainTable& table, int fd, ListEncoding encoding)
{
    return readList(table, fd, encoding);
}

} // namespace zonedesk::listfile
