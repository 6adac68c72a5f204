// SPDX-License-Identifier: MIT
#include "watch/password_file.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/settings_file.h"
#include "core/text.h"

namespace zonedesk::watch {

namespace {

/// A password file is one short line; anything longer is not one.
constexpr std::size_t MaxPasswordFileBytes = 4096;

std::string errnoText()
{
    return std::error_code(errno, std::generic_category()).message();
}

} // namespace

std::optional<std::string>
readPasswordFile(const std::filesystem::path& path, bool& othersCanRead, std::string& why)
{
    othersCanRead = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot read the SMTP password file " + path.string() + ": " + errnoText();
        return std::nullopt;
    }
    struct stat status = {};
    if (::fstat(fd, &status) == 0)
        othersCanRead = (status.st_mode & (S_IRWXG | S_IRWXO)) != 0;
    std::string text(MaxPasswordFileBytes, '\0');
    ssize_t n = 0;
    do {
        n = ::read(fd, text.data(), text.size());
    } while (n < 0 && errno == EINTR);
    ::close(fd);
    if (n <= 0) {
        why = "cannot read the SMTP password file " + path.string() +
              (n == 0 ? std::string(": it is empty") : ": " + errnoText());
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(n));
    const std::vector<std::string_view> lines = core::splitLines(text);
    return lines.empty() ? std::string() : std::string(lines.front());
}

bool writePrivateFile(const std::filesystem::path& path, std::string_view bytes, std::string& why)
{
    std::error_code made;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), made);
    if (made) {
        why = "cannot make the folder " + path.parent_path().string() + ": " + made.message();
        return false;
    }
    // Made first with the owner's permissions alone: the replacement keeps them.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    const bool owned = fd >= 0 && ::fchmod(fd, 0600) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!owned || !core::replaceFileAtomically(path, bytes)) {
        why = "cannot write " + path.string();
        return false;
    }
    return true;
}

bool writePasswordFile(const std::filesystem::path& path, const std::string& password, std::string& why)
{
    return writePrivateFile(path, password, why);
}

} // namespace zonedesk::watch
