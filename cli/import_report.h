// SPDX-License-Identifier: MIT
// Importing a file for a subcommand, with the messages a terminal user sees.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/domain_table.h"
#include "listfile/list_reader.h"

#include <CLI/CLI.hpp>

namespace zonedesk::cli {

/// The value of --encoding: "gbk" or "utf-8" (letter case ignored, "utf8" too); nullopt otherwise.
std::optional<listfile::ListEncoding> parseEncoding(std::string_view value);

/// Allocates a table and imports `path` ("-": standard input) into it, printing the summary (or
/// the error) on stderr; `quiet` prints the summary only when something was left out. nullptr
/// when the table can't be had or the file is refused; the caller exits with ExitFile.
std::unique_ptr<core::DomainTable>
importForCommand(const std::filesystem::path& path,
                 listfile::ListEncoding encoding = listfile::ListEncoding::Auto,
                 bool quiet = false);

/// What a command reads names from: a list file (-f FILE, or an argument naming an existing file
/// or -) or the names given as arguments.
struct Inputs
{
    std::string file;
    std::vector<std::string> arguments;
};

/// Declares -f/--file and the NAME|FILE arguments.
void addInputs(CLI::App& app, Inputs& inputs);

/// The table of the inputs: the list file's names, or the argument names (in the locale's
/// encoding, UTF-8) as if they were the lines of a list. nullptr after a message on stderr;
/// `exitCode` says whether it was a usage or a file error.
std::unique_ptr<core::DomainTable>
importInputs(const Inputs& inputs, listfile::ListEncoding encoding, bool quiet, int& exitCode);

} // namespace zonedesk::cli
