// SPDX-License-Identifier: MIT
// One worker: the records of one WHOIS server, queried one after another on the worker's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/whois_servers.h"
#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"

namespace zonedesk::core {
class DomainTable;
struct ServiceData;
class WorkerEndTarget;
} // namespace zonedesk::core

namespace zonedesk::lookup {

/// What the UI thread hands a worker at its creation; the worker's thread owns it from then on.
struct WorkerParams
{
    core::WorkerEndTarget* target = nullptr; // receives the worker's end
    core::DomainTable* table = nullptr;
    std::int32_t count = 0;                       // the table's count when the worker was created
    std::string server;                           // the host the worker queries, as records hold it
    ExchangeOptions options;                      // the limits the worker's session opens with
    const EndpointOverrides* endpoints = nullptr; // outlives the worker (owned by the run)
    /// While the worker waits for a throttling server: when it asks again (steady clock, ns);
    /// 0 otherwise. Written by the worker (release), read by the UI thread (acquire).
    std::atomic<std::int64_t>* throttledUntil = nullptr;
    /// When set (sized to `count`), each record's reply is kept at its index, written before the
    /// record's `done`, so a reader that has seen `done` may read it.
    std::vector<std::string>* rawReplies = nullptr;
    /// Set (release) just before the worker posts its end, so that the run can join its thread
    /// then instead of keeping every ended thread of a long run until the run ends.
    std::atomic<bool>* ended = nullptr;
    /// Where the names beyond the ten are asked (outlives the worker); null: the shipped data.
    const core::ServiceData* services = nullptr;
    /// IANA's referrals, kept across runs.
    std::filesystem::path referralCache;
};

/// A worker thread's function, the whole life of a worker: looks up every record of `params`'
/// server among the first `count`, in table order, until a stop, then posts its end exactly once
/// (`queried` false when its exchange options cannot be used, and nothing was asked).
void lookupThreadMain(std::stop_token stop, std::unique_ptr<WorkerParams> params);

} // namespace zonedesk::lookup
