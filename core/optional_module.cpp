// SPDX-License-Identifier: MIT
#include "core/optional_module.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <dlfcn.h>

#include "core/data_files.h"

namespace zonedesk::core {

namespace {

/// The folders a module is looked for in, in their order.
std::vector<std::filesystem::path> moduleDirs()
{
    const char* variable = std::getenv(ModuleDirVariable); // NOLINT(concurrency-mt-unsafe)
    if (variable != nullptr && *variable != '\0')
        return {variable};
    const std::filesystem::path exeDir = executableDir();
    // Never folders relative to wherever the program was started from.
    if (exeDir.empty())
        return {};
    return {exeDir / "lib" / "zonedesk", (exeDir / ".." / "lib" / "zonedesk").lexically_normal()};
}

std::string dlerrorText()
{
    const char* text = dlerror(); // NOLINT(concurrency-mt-unsafe): read right after the failed call
    return text != nullptr ? std::string(text) : std::string("unknown error");
}

} // namespace

void* moduleEntry(const char* file, const char* symbol, std::string& why)
{
    const std::vector<std::filesystem::path> dirs = moduleDirs();
    for (const std::filesystem::path& dir : dirs) {
        const std::filesystem::path path = dir / file;
        std::error_code failed;
        if (!std::filesystem::is_regular_file(path, failed))
            continue;
        // Loaded once: a second dlopen of the same file only counts a reference, and the module
        // is never closed, so the pointers handed out stay good.
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            why = "cannot load " + path.string() + ": " + dlerrorText();
            return nullptr;
        }
        void* entry = dlsym(module, symbol);
        if (entry == nullptr)
            why = path.string() + " has no " + symbol;
        return entry;
    }
    if (dirs.empty())
        why = std::string(file) + " cannot be found: the program's own folder is unknown";
    else
        why = std::string(file) + " is not installed (looked in " + dirs.front().string() +
              (dirs.size() > 1 ? " and " + dirs.back().string() : std::string()) + ")";
    return nullptr;
}

std::string moduleLibraryVersion(const char* file)
{
    const auto version = moduleFunction<ModuleVersion>(file, ModuleVersionEntry);
    const char* text = version.function != nullptr ? version.function() : nullptr;
    return text != nullptr ? std::string(text) : std::string("?");
}

} // namespace zonedesk::core
