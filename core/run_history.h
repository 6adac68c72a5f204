// SPDX-License-Identifier: MIT
// What keeps a run's finished lookups (the history). The run hands it the newly finished records
// at each tick of the thread that drives it; the writing happens elsewhere, so that it never
// holds up the run or the window.
#pragma once

#include <string>
#include <vector>

namespace zonedesk::core {

class RunHistory
{
public:
    virtual ~RunHistory() = default;

    /// Takes every record that finished since the last call. `replies` is indexed like the table
    /// and holds each finished record's reply (written before its `done`); a reply taken is moved out.
    virtual void tick(std::vector<std::string>& replies) = 0;

    /// Closes the run: the rest is taken as the writing has room for it, all of it by wait().
    /// `replies` must outlive that.
    virtual void finish(std::vector<std::string>& replies) = 0;

    /// After finish(): waits until everything is written.
    virtual void wait() = 0;
};

} // namespace zonedesk::core
