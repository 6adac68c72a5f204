// SPDX-License-Identifier: MIT
// What the windows share: the domain table, the two settings, the endpoints and the desktop
// program's own memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/desktop_settings.h"
#include "core/domain_table.h"
#include "core/user_settings.h"
#include "history/history_store.h"
#include "lookup/run_with_history.h"

namespace zonedesk {

/// The history database, opened on first use; a database that can't be used leaves it off for
/// the session, with the reason said once.
struct HistoryAccess
{
    std::unique_ptr<history::HistoryStore> store;
    std::string error;
    bool tried = false;
    bool errorTold = false;
};

struct AppState
{
    core::DomainTable& table;
    core::UserSettings settings;
    lookup::EndpointOverrides endpoints;
    core::DesktopSettings desktop; // the window's geometry and the dialogs' folders, kept across runs
    HistoryAccess history;
    /// The history's run whose list the table holds (opened from the history, or the last run
    /// over it); a Start that finishes it goes on with that list. None after an import.
    std::optional<std::int64_t> listRun;
};

/// Where the history database is: [user] historyDb, or the default path.
inline std::string historyPath(const AppState& state)
{
    return state.settings.historyDb.empty() ? history::defaultHistoryPath() : state.settings.historyDb;
}

/// The history database, opened on the first call (the window's own connection). Null when it
/// can't be used; state.history.error says why.
inline history::HistoryStore* historyStore(AppState& state)
{
    if (!state.history.tried) {
        state.history.tried = true;
        state.history.store = history::HistoryStore::open(historyPath(state), state.history.error);
    }
    return state.history.store.get();
}

} // namespace zonedesk
