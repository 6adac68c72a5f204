// SPDX-License-Identifier: MIT
// The history's size per lookup: one run storing every reply of the shared corpora (the ten
// registries' and the generic set) as the history writer does, in hand-overs of 50, with each reply's
// facts from the manifests. Prints the database's size per lookup once it is closed, with the
// replies compressed as the store keeps them (against our dictionary, then against the one the
// file trains on its own replies) and, for comparison, with the same rows written with their
// replies as received (as before compression), and the time storing took per lookup. Then
// reads the changes over argv[1] lookups (default 200,000) and prints the time and the growth of
// the resident set.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sqlite3.h>

#include "bench/process_usage.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "history/history_store.h"
#include "history/record_changes.h"
#include "history/stored_reply.h"
#include "tests/support/shared_corpus.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace zonedesk;
using Clock = std::chrono::steady_clock;

constexpr std::size_t HandOver = 50;
constexpr std::int64_t DefaultLookups = 200'000;

std::int32_t statusOf(const std::string& verdict)
{
    if (verdict == "registered")
        return static_cast<std::int32_t>(core::LookupStatus::Success);
    if (verdict == "available")
        return static_cast<std::int32_t>(core::LookupStatus::NotRegistered);
    return static_cast<std::int32_t>(core::LookupStatus::Error);
}

history::HistoryEntry entryOf(std::string name,
                              std::string server,
                              const std::string& verdict,
                              std::string expiry,
                              std::string created,
                              std::string updated,
                              std::string registrar,
                              std::string raw)
{
    history::HistoryEntry entry;
    entry.name = std::move(name);
    entry.server = std::move(server);
    entry.source = "whois";
    entry.status = statusOf(verdict);
    entry.values[core::Field::ExpiryDate] = std::move(expiry);
    entry.values[core::Field::RegistrationDate] = std::move(created);
    entry.values[core::Field::UpdatedDate] = std::move(updated);
    entry.values[core::Field::Registrar] = std::move(registrar);
    entry.error = entry.status == static_cast<std::int32_t>(core::LookupStatus::Error) ? "throttled" : "";
    entry.raw = std::move(raw);
    return entry;
}

std::vector<history::HistoryEntry> corpusEntries()
{
    std::vector<history::HistoryEntry> entries;
    for (const test::CorpusReply& reply : test::corpusReplies())
        entries.push_back(entryOf(reply.domain,
                                  test::hostForSuffix(reply.suffix),
                                  reply.kind,
                                  reply.expiry,
                                  reply.created,
                                  reply.updated,
                                  reply.registrar,
                                  test::corpusBytes(reply)));
    for (const test::GenericReply& reply : test::genericReplies())
        entries.push_back(entryOf(std::filesystem::path(reply.file).stem().string() + "." + reply.tld,
                                  reply.host,
                                  reply.verdict,
                                  reply.expiry,
                                  reply.created,
                                  reply.updated,
                                  reply.registrar,
                                  test::genericBytes(reply)));
    return entries;
}

bool exec(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    bool done = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!done)
        std::fprintf(stderr, "history_size_bench: %s\n", sqlite3_errmsg(db));
    sqlite3_close(db);
    return done;
}

double scalar(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    double value = 0;
    if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_double(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

double bytesPerLookup(const std::string& path, std::size_t lookups)
{
    return static_cast<double>(std::filesystem::file_size(path)) / static_cast<double>(lookups);
}

/// Stores the corpus as one run; false after saying why.
bool storeCorpus(const std::string& path, std::vector<history::HistoryEntry>& entries, double& seconds)
{
    std::string error;
    auto store = history::HistoryStore::open(path, error);
    const auto run = store ? store->beginRun(1, "bench", error) : std::nullopt;
    if (!run) {
        std::fprintf(stderr, "history_size_bench: %s\n", error.c_str());
        return false;
    }
    const auto start = Clock::now();
    for (std::size_t first = 0; first < entries.size(); first += HandOver) {
        std::vector<history::HistoryEntry> batch(
            entries.begin() + static_cast<std::ptrdiff_t>(first),
            entries.begin() + static_cast<std::ptrdiff_t>(std::min(first + HandOver, entries.size())));
        for (history::HistoryEntry& entry : batch) {
            entry.runId = *run;
            entry.time = 2;
        }
        if (!store->add(batch, error)) {
            std::fprintf(stderr, "history_size_bench: %s\n", error.c_str());
            return false;
        }
    }
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return store->endRun(*run, 3, {}, error);
}

/// The corpus as one run with the replies as received, in the same hand-overs, as every file was
/// written before compression; false after saying why.
bool storeAsReceived(const std::string& path, const std::vector<history::HistoryEntry>& entries)
{
    std::string error;
    if (!history::HistoryStore::open(path, error)) {
        std::fprintf(stderr, "history_size_bench: %s\n", error.c_str());
        return false;
    }
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    bool stored =
        sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
        sqlite3_exec(
            db, "INSERT INTO runs(id, started, program) VALUES(1, 1, 'bench')", nullptr, nullptr, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "INSERT INTO lookups(run_id, time, name, server, source, status, expiry, "
                           "registration, updated, owner, email, registrar, error, raw) "
                           "VALUES(1, 2, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           -1,
                           &insert,
                           nullptr) == SQLITE_OK;
    const auto text = [&insert](int index, const std::string& value) {
        sqlite3_bind_text64(insert, index, value.data(), value.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    };
    for (std::size_t i = 0; stored && i < entries.size(); ++i) {
        const history::HistoryEntry& entry = entries[i];
        if (i % HandOver == 0)
            sqlite3_exec(db, i == 0 ? "BEGIN" : "COMMIT; BEGIN", nullptr, nullptr, nullptr);
        text(1, entry.name);
        text(2, entry.server);
        text(3, entry.source);
        sqlite3_bind_int64(insert, 4, entry.status);
        text(5, entry.values[core::Field::ExpiryDate]);
        text(6, entry.values[core::Field::RegistrationDate]);
        text(7, entry.values[core::Field::UpdatedDate]);
        text(8, entry.values[core::Field::Owner]);
        text(9, entry.values[core::Field::Email]);
        text(10, entry.values[core::Field::Registrar]);
        text(11, entry.error);
        sqlite3_bind_blob64(insert, 12, entry.raw.data(), entry.raw.size(), SQLITE_TRANSIENT);
        stored = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    stored = stored && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!stored)
        std::fprintf(stderr, "history_size_bench: %s\n", sqlite3_errmsg(db));
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return stored;
}

/// `count` lookups of count / 4 names (no replies), then every change read: seconds and the
/// growth of the resident set while reading, KiB.
bool readChanges(const std::string& path, std::int64_t count, double& seconds, long& growthKiB)
{
    std::string error;
    if (!history::HistoryStore::open(path, error)) {
        std::fprintf(stderr, "history_size_bench: %s\n", error.c_str());
        return false;
    }
    const std::string fill =
        "INSERT INTO runs(id, started, program) VALUES(1, 0, 'bench');"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < " +
        std::to_string(count) +
        ") INSERT INTO lookups(run_id, time, name, server, source, status, expiry, registration, updated, "
        "owner, email, registrar, error) SELECT 1, i, 'name' || (i % " +
        std::to_string(count / 4) +
        ") || '.com', 'whois.verisign-grs.com', 'whois', 1, printf('%04d-01-01', 2000 + i / " +
        std::to_string(count / 4) +
        "), '2001-01-01', '', 'Example Holdings Ltd', '', 'Registrar ' || (i % 7), '' FROM n;";
    if (!exec(path, fill))
        return false;
    auto store = history::HistoryStore::open(path, error);
    if (!store)
        return false;
    const long before = bench::maxRssKiB();
    const auto start = Clock::now();
    std::int64_t changes = 0;
    const bool read = store->eachPairSince(
        0,
        [&changes](const history::HistoryEntry& earlier, const history::HistoryEntry& later) {
            changes += static_cast<std::int64_t>(history::changesBetween(earlier, later).size());
            return true;
        },
        error);
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    growthKiB = bench::maxRssKiB() - before;
    std::printf("changes read: %lld\n", static_cast<long long>(changes));
    return read;
}

} // namespace

int main(int argc, char** argv)
{
    const std::int64_t lookups = argc > 1 ? std::atoll(argv[1]) : DefaultLookups;
    auto entries = corpusEntries();
    if (entries.empty()) {
        std::fprintf(stderr, "history_size_bench: the shared reply corpora are not there\n");
        return 1;
    }
    std::size_t replyBytes = 0;
    for (const history::HistoryEntry& entry : entries)
        replyBytes += entry.raw.size();
    test::TempDir dir;
    const std::string path = (dir.path() / "history.sqlite3").string();
    double seconds = 0;
    if (!storeCorpus(path, entries, seconds))
        return 1;
    const double compressed = bytesPerLookup(path, entries.size());
    const double storedBytes = scalar(path, "SELECT avg(length(raw)) FROM lookups");
    const double trainedBytes =
        scalar(path, "SELECT avg(length(raw)) FROM lookups WHERE raw_dictionary IS NOT NULL");
    const double ownBytes = scalar(path, "SELECT avg(length(raw)) FROM lookups WHERE raw_dictionary IS NULL");
    const double dictionaries = scalar(path, "SELECT count(*) FROM reply_dictionaries");
    const std::string plain = (dir.path() / "as-received.sqlite3").string();
    if (!storeAsReceived(plain, entries))
        return 1;
    const double asReceived = bytesPerLookup(plain, entries.size());

    std::printf("lookups stored: %zu (replies %.0f bytes on average, %.0f compressed: %.0f against our "
                "dictionary, %.0f against the %.0f the file trained)\n",
                entries.size(),
                static_cast<double>(replyBytes) / static_cast<double>(entries.size()),
                storedBytes,
                ownBytes,
                trainedBytes,
                dictionaries);
    std::printf("bytes per lookup, replies as received: %.0f\n", asReceived);
    std::printf("bytes per lookup, replies compressed: %.0f (target 800)\n", compressed);
    std::printf("storing: %.0f us per lookup\n", seconds * 1e6 / static_cast<double>(entries.size()));

    double readSeconds = 0;
    long growth = 0;
    if (!readChanges((dir.path() / "changes.sqlite3").string(), lookups, readSeconds, growth))
        return 1;
    std::printf("changes over %lld lookups: %.2f s, resident set grew %ld KiB\n",
                static_cast<long long>(lookups),
                readSeconds,
                growth);
    return 0;
}
