// SPDX-License-Identifier: MIT
// Looking into a history file from outside the store, as another program would.
#pragma once

#include <cstdint>
#include <string>

namespace zonedesk::test {

/// The first column of the first row `sql` gives on the database at `path`; -1 when there is none.
std::int64_t scalar(const std::string& path, const std::string& sql);

/// scalar, read only: beside a program that is writing the file.
std::int64_t scalarReadOnly(const std::string& path, const std::string& sql);

/// Runs `sql` on the database at `path`; a failure fails the test.
void execute(const std::string& path, const std::string& sql);

} // namespace zonedesk::test
