// SPDX-License-Identifier: MIT
// Libraries that only some commands need (ICU's spoof checker, libical, GIO's D-Bus client) sit
// in small modules of ours that are loaded on first use: a lookup run maps none of them, nor what
// they pull in, and a module that is missing costs its feature alone.
#pragma once

#include <string>

namespace zonedesk::core {

/// The variable that names the module folder outright.
inline constexpr const char* ModuleDirVariable = "ZONEDESK_MODULE_DIR";

/// Every module's entry that tells its library's version ("72.1"), a `ModuleVersion`.
inline constexpr const char* ModuleVersionEntry = "zonedesk_module_version";
using ModuleVersion = const char*();

/// The modules' files: ICU's spoof checker, libical's writer, GIO's D-Bus notification.
inline constexpr const char* SpoofModule = "zonedesk-icu.so";
inline constexpr const char* CalendarModule = "zonedesk-ical.so";
inline constexpr const char* NotifyModule = "zonedesk-gio.so";

/// The entry `symbol` of the module `file`, loaded at the first call and kept for the program's
/// life: from $ZONEDESK_MODULE_DIR alone when that is set, else from lib/zonedesk beside the
/// running program (the build folder, a portable copy), else from ../lib/zonedesk (an installed
/// program, and the build folder's tests and benchmarks). nullptr with a one-line reason when the
/// module is missing, cannot be loaded or lacks the entry. Any thread.
void* moduleEntry(const char* file, const char* symbol, std::string& why);

/// A module's entry as a function of type `Function`, as the module declares it, or nullptr with
/// the reason. Callers keep one in a function-local static: loaded at the first use, then kept.
template <typename Function> struct ModuleFunction
{
    Function* function = nullptr;
    std::string why;
};

template <typename Function> ModuleFunction<Function> moduleFunction(const char* file, const char* symbol)
{
    ModuleFunction<Function> loaded;
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): dlsym's object pointer
    loaded.function = reinterpret_cast<Function*>(moduleEntry(file, symbol, loaded.why));
    return loaded;
}

/// The module's library version, "?" when the module cannot be loaded.
std::string moduleLibraryVersion(const char* file);

} // namespace zonedesk::core
