// SPDX-License-Identifier: MIT
// What keeps a run's finished lookups (the history). The run hands it the newly finished records
// at each tick of the thread that drives it; the recorder does its writing elsewhere, so that it
// never holds up the run or the window.
#pragma once

#include <string>
#include <vector>

namespace zonedesk::core {

class RunRecorder
{
public:
    virtual ~RunRecorder() = default;

    /// False once it could not open or a write failed: it keeps nothing more of the run; error()
    /// says why. As of the last tick(), finish() or settled().
    virtual bool active() const = 0;

    virtual const std::string& error() const = 0;

    /// Takes every record that finished since the last call. `replies` is indexed like the table
    /// and holds each finished record's reply (written before its `done`); a reply taken is moved out.
    virtual void tick(std::vector<std::string>& replies) = 0;

    /// Takes the rest and closes the run; the writing ends on its own.
    virtual void finish(std::vector<std::string>& replies) = 0;

    /// After finish(): true once everything is written.
    virtual bool settled() = 0;

    /// After finish(): waits until settled.
    virtual void wait() = 0;
};

} // namespace zonedesk::core
