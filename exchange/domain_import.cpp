// SPDX-License-Identifier: MIT
// Domain import: one name per line, normalised, until the first empty line.
#include "exchange/domain_import.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/text.h"
#include "core/unique_file.h"
#include "core/whois_servers.h"

namespace zonedesk::exchange {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 2> WebSchemes{"https://", "http://"};
constexpr std::string_view WebHostPrefix = "www.";
constexpr std::size_t DomainWidth = sizeof(core::DomainRecord::domain) - 1;

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += core::gbkCharLength(out, i)) {
        if (out[i] >= 'A' && out[i] <= 'Z')
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
    }
    return out;
}

/// Removes every occurrence of the schemes that starts on a character boundary.
std::string removeSchemes(std::string_view text)
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
        const std::size_t length = core::gbkCharLength(text, i);
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

/// Opens a regular file for reading, or gives the errno of the failure.
core::UniqueFile openForReading(const std::filesystem::path& path, int& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }

    struct stat info
    {};

    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return nullptr;
    }
    core::UniqueFile file(::fdopen(fd, "rb"));
    if (!file) {
        error = errno;
        ::close(fd);
    }
    return file;
}

} // namespace

std::string normaliseDomainLine(std::string_view line)
{
    const std::string lowered = toLowerAscii(core::trim(line));
    const std::string withoutScheme = removeSchemes(lowered);
    std::string_view name = withoutScheme;
    if (name.starts_with(WebHostPrefix))
        name.remove_prefix(WebHostPrefix.size());
    return std::string(cutPath(name));
}

ImportReport importDomains(core::DomainTable& table, const std::filesystem::path& path)
{
    ImportReport report;
    core::UniqueFile file = openForReading(path, report.error);
    if (!file) {
        report.outcome = ImportOutcome::InvalidFile;
        return report;
    }

    table.clear();
    char* buffer = nullptr;
    std::size_t capacity = 0;
    bool firstLine = true;
    for (;;) {
        errno = 0;
        const ssize_t read = ::getline(&buffer, &capacity, file.get());
        if (read < 0) {
            // End of file, or a failed read (ENOMEM for an absurdly long line among them).
            if (!std::feof(file.get())) {
                report.outcome = ImportOutcome::ReadError;
                report.error = errno != 0 ? errno : EIO;
            }
            break;
        }
        std::string_view line(buffer, static_cast<std::size_t>(read));
        if (firstLine && line.starts_with(Utf8Bom))
            line.remove_prefix(Utf8Bom.size());
        firstLine = false;

        const std::string name = normaliseDomainLine(line);
        if (name.empty())
            break;
        if (name.size() > DomainWidth) {
            ++report.tooLong;
        } else if (report.count >= core::TableCapacity) {
            ++report.overCapacity;
        } else {
            core::copyField(table[static_cast<std::size_t>(report.count)].domain, name);
            ++report.count;
        }
    }
    std::free(buffer);

    table.setCount(report.count);
    core::assignWhoisServers(table);
    return report;
}

} // namespace zonedesk::exchange
