// SPDX-License-Identifier: MIT
#include "watch/password_file.h"

#include <system_error>

#include "core/data_files.h"
#include "core/text.h"

namespace zonedesk::watch {

namespace {

/// A password file is one short line; anything longer is not one.
constexpr std::size_t MaxPasswordFileBytes = 4096;

constexpr auto OwnerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

} // namespace

std::optional<std::string>
readPasswordFile(const std::filesystem::path& path, bool& othersCanRead, std::string& why)
{
    std::error_code error;
    const auto permissions = std::filesystem::status(path, error).permissions();
    othersCanRead =
        !error && (permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all)) !=
                      std::filesystem::perms::none;
    std::optional<std::string> text = core::readBoundedFile(path, MaxPasswordFileBytes, why);
    if (text && text->empty())
        why = "it is empty";
    if (!text || text->empty()) {
        why = "cannot read the SMTP password file " + path.string() + ": " + why;
        return std::nullopt;
    }
    return std::string(core::splitLines(*text).front());
}

bool writePrivateFile(const std::filesystem::path& path, std::string_view bytes, std::string& why)
{
    return core::writeFileAtomically(path, bytes, why, OwnerOnly);
}

bool writePasswordFile(const std::filesystem::path& path, const std::string& password, std::string& why)
{
    return writePrivateFile(path, password, why);
}

} // namespace zonedesk::watch
