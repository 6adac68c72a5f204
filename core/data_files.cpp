// SPDX-License-Identifier: MIT
// POSIX calls rather than streams: a read must refuse a huge or special file before it reads it,
// and a write must reach the disk before the rename makes it visible.
#include "core/data_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/unique_fd.h"

namespace zonedesk::core {

namespace {

std::string errnoText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

} // namespace

std::filesystem::path executableDir()
{
    std::error_code failed;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path() : exe.parent_path();
}

std::filesystem::path dataDirFor(const char* variable,
                                 const std::filesystem::path& exeDir,
                                 const std::vector<std::filesystem::path>& xdgDataDirs)
{
    if (variable != nullptr && *variable != '\0')
        return variable;
    std::error_code failed;
    if (std::filesystem::is_directory(exeDir / "data", failed))
        return exeDir / "data";
    std::filesystem::path installed = (exeDir / ".." / "share" / "zonedesk").lexically_normal();
    if (std::filesystem::is_directory(installed, failed))
        return installed;
    for (const std::filesystem::path& base : xdgDataDirs) {
        if (std::filesystem::is_regular_file(base / "zonedesk" / "rdap-dns.json", failed))
            return base / "zonedesk";
    }
    return installed;
}

std::vector<std::filesystem::path> xdgDataDirs()
{
    std::vector<std::filesystem::path> dirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME"); // NOLINT(concurrency-mt-unsafe)
    const char* home = std::getenv("HOME");              // NOLINT(concurrency-mt-unsafe)
    if (dataHome != nullptr && *dataHome == '/')
        dirs.emplace_back(dataHome);
    else if (home != nullptr && *home == '/')
        dirs.push_back(std::filesystem::path(home) / ".local" / "share");
    const char* shared = std::getenv("XDG_DATA_DIRS"); // NOLINT(concurrency-mt-unsafe)
    const std::string_view list =
        shared != nullptr && *shared != '\0' ? std::string_view(shared) : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t colon = std::min(list.find(':', start), list.size());
        const std::string_view entry = list.substr(start, colon - start);
        if (entry.starts_with('/'))
            dirs.emplace_back(entry);
        start = colon + 1;
    }
    return dirs;
}

std::filesystem::path dataDir()
{
    const char* variable = std::getenv(DataDirVariable); // NOLINT(concurrency-mt-unsafe)
    return dataDirFor(variable, executableDir(), xdgDataDirs());
}

std::filesystem::path cacheDir()
{
    const char* cache = std::getenv("XDG_CACHE_HOME"); // NOLINT(concurrency-mt-unsafe): no setenv in threads
    if (cache != nullptr && *cache == '/')
        return std::filesystem::path(cache) / "zonedesk";
    const char* home = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
    return std::filesystem::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".cache" / "zonedesk";
}

std::optional<std::string>
readBoundedFile(const std::filesystem::path& path, std::size_t cap, std::string& error, bool* missing)
{
    if (missing != nullptr)
        *missing = false;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd) {
        if (missing != nullptr)
            *missing = errno == ENOENT;
        error = "cannot open " + path.string() + ": " + errnoText(errno);
        return std::nullopt;
    }

    struct stat info
    {};

    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path.string() + " is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::size_t>(info.st_size) > cap) {
        error = path.string() + " is larger than " + std::to_string(cap) + " bytes";
        return std::nullopt;
    }
    std::string text;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + path.string() + ": " + errnoText(errno);
            return std::nullopt;
        }
        if (n == 0)
            break;
        // The file may grow after fstat: the cap holds for what is read, too.
        if (text.size() + static_cast<std::size_t>(n) > cap) {
            error = path.string() + " is larger than " + std::to_string(cap) + " bytes";
            return std::nullopt;
        }
        text.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return text;
}

bool writeFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes,
                         std::string& error,
                         std::filesystem::perms permissions)
{
    std::error_code made;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), made);
    if (made) {
        error = "cannot make the folder " + path.parent_path().string() + ": " + made.message();
        return false;
    }
    std::string temp = path.string() + ".XXXXXX";
    const int raw = ::mkostemp(temp.data(), O_CLOEXEC);
    if (raw < 0) {
        error = "cannot write beside " + path.string() + ": " + errnoText(errno);
        return false;
    }
    UniqueFd fd(raw);
    const auto mode = static_cast<mode_t>(permissions & std::filesystem::perms::mask);
    int failure = ::fchmod(fd.get(), mode) == 0 ? 0 : errno;
    std::size_t done = 0;
    while (failure == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    if (failure == 0 && ::fsync(fd.get()) != 0)
        failure = errno;
    if (::close(fd.release()) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlink(temp.c_str());
        error = "cannot write " + path.string() + ": " + errnoText(failure);
        return false;
    }
    return true;
}

} // namespace zonedesk::core
