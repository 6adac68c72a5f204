// SPDX-License-Identifier: MIT
// Opening a file that is to be read as a list: only a regular file, never a device, FIFO or socket.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/unique_fd.h"

namespace zonedesk::listfile {

enum class OpenOutcome : std::uint8_t
{
    Opened,
    InvalidFile, // missing, unreadable or a folder: see `error`
    NotAFile,    // a FIFO, a device or a socket, refused (/dev/zero would never end)
};

struct OpenedFile
{
    core::UniqueFd fd; // blocking, open only when Opened
    OpenOutcome outcome = OpenOutcome::Opened;
    int error = 0; // errno of an InvalidFile
};

/// Opens `path` for reading if it is a regular file; a FIFO without a writer is refused, not waited on.
OpenedFile openRegularFile(const std::filesystem::path& path);

} // namespace zonedesk::listfile
