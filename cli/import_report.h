// SPDX-License-Identifier: MIT
// Importing a file for a subcommand, with the messages a terminal user sees.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "core/domain_table.h"
#include "listfile/list_reader.h"

namespace zonedesk::cli {

/// The value of --encoding: "gbk" or "utf-8" (letter case ignored, "utf8" too); nullopt otherwise.
std::optional<listfile::ListEncoding> parseEncoding(std::string_view value);

/// Allocates a table and imports `path` ("-": standard input) into it, printing the summary (or
/// the error) on stderr. nullptr when the table can't be had or the file is refused; the caller
/// exits with ExitFile.
std::unique_ptr<core::DomainTable>
importForCommand(const std::filesystem::path& path,
                 listfile::ListEncoding encoding = listfile::ListEncoding::Auto);

} // namespace zonedesk::cli
