// SPDX-License-Identifier: MIT
#include "listfile/regular_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace zonedesk::listfile {

OpenedFile openRegularFile(const std::filesystem::path& path)
{
    OpenedFile opened;
    // Non-blocking, so that opening a FIFO without a writer can't hang before it is refused.
    opened.fd = core::UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));

    struct stat info
    {};

    if (!opened.fd || ::fstat(opened.fd.get(), &info) != 0) {
        opened.outcome = OpenOutcome::InvalidFile;
        opened.error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        opened.outcome = OpenOutcome::InvalidFile;
        opened.error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        opened.outcome = OpenOutcome::NotAFile;
    } else {
        ::fcntl(opened.fd.get(), F_SETFL, ::fcntl(opened.fd.get(), F_GETFL) & ~O_NONBLOCK);
        return opened;
    }
    opened.fd.reset();
    return opened;
}

} // namespace zonedesk::listfile
