// SPDX-License-Identifier: MIT
// A fresh folder per test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zonedesk::test {

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    /// Writes `bytes` exactly to a file of that name in the folder and returns its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path m_path;
};

/// The whole content of a file, byte for byte; empty when it can't be read.
std::string readFile(const std::filesystem::path& path);

} // namespace zonedesk::test
