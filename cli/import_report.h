// SPDX-License-Identifier: MIT
// Importing a file for a subcommand, with the messages a terminal user sees.
#pragma once

#include <filesystem>
#include <memory>

#include "core/domain_table.h"

namespace zonedesk::cli {

/// Allocates a table and imports `path` into it, printing the summary (or the error) on stderr.
/// nullptr when the table can't be had or the file is invalid; the caller exits with ExitFile.
std::unique_ptr<core::DomainTable> importForCommand(const std::filesystem::path& path);

} // namespace zonedesk::cli
