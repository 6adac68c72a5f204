// SPDX-License-Identifier: MIT
// zonedesk-cli history, runs and prune: reading and tidying the history database.
#include <ctime>
#include <iostream>

#include <unistd.h>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/calendar_date.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "history/history_store.h"
#include "history/record_changes.h"

namespace zonedesk::cli {

namespace {

/// "2026-12-08T04:20:00Z".
std::string isoTime(std::int64_t seconds)
{
    const std::time_t time{seconds};
    std::tm utc{};
    ::gmtime_r(&time, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return {text, length};
}

/// Says why the history could not be read; the exit code for it.
int cannotRead(const std::string& why)
{
    std::cerr << "zonedesk-cli: cannot read the history: " << why << "\n";
    return ExitFile;
}

/// The database named by --db (or the default), opened; null after saying why.
std::unique_ptr<history::HistoryStore> openStore(const std::string& path)
{
    std::string why;
    auto store = history::HistoryStore::open(path.empty() ? history::defaultHistoryPath() : path, why);
    if (!store)
        std::cerr << "zonedesk-cli: " << why << "\n";
    return store;
}

class HistoryCommand final : public Command
{
public:
    std::string_view name() const override { return "history"; }

    std::string_view summary() const override
    {
        return "Show a name's earlier lookups, or every change since a date";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("NAME", m_name, "The domain name (as listed, UTF-8)");
        app.add_flag("--raw", m_raw, "With each lookup, the reply as the registry sent it");
        app.add_option("--since", m_since, "With --changes: from this day on (default: all)")
            ->type_name("YYYY-MM-DD");
        app.add_flag(
            "--changes", m_changes, "Every change (renewal, drop, new registrar or owner) across names");
        app.add_flag("-j,--jsonl", m_jsonl, "One JSON object per line");
        addDbOption(app, m_db);
        app.footer("A name's lookups come newest first: time (UTC), result, source, server, expiry,\n"
                   "registrar, owner and the error's reason. A lookup that ended in ERR! is never a change.");
    }

    int run() override
    {
        if (m_name.empty() && !m_changes) {
            std::cerr << "zonedesk-cli history: give a NAME or --changes\n"
                      << "Try 'zonedesk-cli history --help' for more information.\n";
            return ExitUsage;
        }
        std::int64_t since = 0;
        if (!m_since.empty()) {
            const auto day = core::readDate(m_since);
            if (!day) {
                std::cerr << "zonedesk-cli history: --since needs a date as YYYY-MM-DD, not " << m_since
                          << "\n";
                return ExitUsage;
            }
            since = day->dayNumber() * 86400;
        }
        const auto store = openStore(m_db);
        if (!store)
            return ExitFile;
        return m_changes ? printChanges(*store, since) : printHistory(*store);
    }

private:
    // Both print each lookup as it is read: a long history is never held in memory.
    int printHistory(history::HistoryStore& store) const
    {
        std::string why;
        const bool read = store.eachLookup(
            m_name,
            m_raw,
            [this](const history::HistoryEntry& entry) {
                printLookup(entry);
                return true;
            },
            why);
        return read ? ExitOk : cannotRead(why);
    }

    void printLookup(const history::HistoryEntry& entry) const
    {
        if (m_jsonl) {
            JsonObject object{
                {"time", isoTime(entry.time)},
                {"run", entry.runId},
                {"domain", entry.name},
                {"server", entry.server},
                {"source", entry.source},
                {"status", entry.status},
                {"result", core::statusKey(entry.status)},
            };
            for (const core::ResultField& field : core::ResultFields)
                object[std::string(field.key)] = fieldJson(field.field, entry.values[field.field]);
            object["error"] = entry.error;
            if (m_raw)
                object["raw"] = entry.raw;
            std::cout << jsonLine(object);
            return;
        }
        using core::Field;
        std::cout << isoTime(entry.time) << '\t' << core::statusKey(entry.status) << '\t'
                  << escapedLine(entry.source) << '\t' << escapedLine(entry.server) << '\t'
                  << escapedLine(entry.values[Field::ExpiryDate]) << '\t'
                  << escapedLine(entry.values[Field::Registrar]) << '\t'
                  << escapedLine(entry.values[Field::Owner]) << '\t' << escapedLine(entry.error) << '\n';
        // Byte for byte into a file or a pipe; a terminal is shown the control bytes instead of
        // obeying them (a reply can hold ESC[2J or a window title).
        if (m_raw)
            std::cout << (m_toTerminal ? visibleControls(entry.raw) : entry.raw)
                      << (entry.raw.ends_with('\n') ? "" : "\n") << "--\n";
    }

    int printChanges(history::HistoryStore& store, std::int64_t since) const
    {
        std::string why;
        const bool read = store.eachPairSince(
            since,
            [this](const history::HistoryEntry& before, const history::HistoryEntry& after) {
                for (const history::Change& change : history::changesBetween(before, after)) {
                    if (m_jsonl)
                        std::cout << jsonLine({
                            {"time", isoTime(after.time)},
                            {"domain", after.name},
                            {"kind", history::changeKey(change.kind)},
                            {"from", change.from},
                            {"to", change.to},
                        });
                    else
                        std::cout << isoTime(after.time) << '\t' << escapedLine(after.name) << '\t'
                                  << escapedLine(history::changeText(change)) << '\n';
                }
                return true;
            },
            why);
        return read ? ExitOk : cannotRead(why);
    }

    std::string m_name;
    std::string m_since;
    std::string m_db;
    bool m_raw = false;
    bool m_toTerminal = ::isatty(STDOUT_FILENO) != 0;
    bool m_changes = false;
    bool m_jsonl = false;
};

class RunsCommand final : public Command
{
public:
    std::string_view name() const override { return "runs"; }

    std::string_view summary() const override { return "List the recent runs with their counts"; }

    void declare(CLI::App& app) override
    {
        app.add_option("--limit", m_limit, "How many runs (default 20)")
            ->type_name("N")
            ->check(CLI::Range(1, 100000));
        app.add_flag("-j,--jsonl", m_jsonl, "One JSON object per line");
        addDbOption(app, m_db);
        app.footer("Newest first: id, start and end (UTC; \"-\" for a run that never ended), program,\n"
                   "names looked up, registered, available, errors.");
    }

    int run() override
    {
        const auto store = openStore(m_db);
        if (!store)
            return ExitFile;
        std::string why;
        const auto runs = store->runs(why, m_limit);
        if (!runs)
            return cannotRead(why);
        for (const history::RunEntry& run : *runs) {
            const std::string ended = run.ended ? isoTime(*run.ended) : std::string();
            if (m_jsonl)
                std::cout << jsonLine({
                    {"id", run.id},
                    {"started", isoTime(run.started)},
                    {"ended", run.ended ? JsonObject(ended) : JsonObject(nullptr)},
                    {"program", run.program},
                    {"total", run.total},
                    {"registered", run.registered},
                    {"available", run.available},
                    {"errors", run.errors},
                });
            else
                std::cout << run.id << '\t' << isoTime(run.started) << '\t' << (run.ended ? ended : "-")
                          << '\t' << run.program << '\t' << run.total << '\t' << run.registered << '\t'
                          << run.available << '\t' << run.errors << '\n';
        }
        return ExitOk;
    }

private:
    int m_limit = 20;
    bool m_jsonl = false;
    std::string m_db;
};

class PruneCommand final : public Command
{
public:
    std::string_view name() const override { return "prune"; }

    std::string_view summary() const override
    {
        return "Delete lookups older than N days from the history, keeping each name's latest";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("--keep-days", m_days, "Keep the last N days")
            ->type_name("N")
            ->required()
            ->check(CLI::Range(0, 1'000'000));
        app.add_flag("-j,--jsonl", m_jsonl, "Say how many as one JSON object");
        addDbOption(app, m_db);
    }

    int run() override
    {
        const auto store = openStore(m_db);
        if (!store)
            return ExitFile;
        std::string why;
        const auto deleted = store->prune(m_days, std::int64_t{std::time(nullptr)}, why);
        if (!deleted) {
            std::cerr << "zonedesk-cli: cannot prune: " << why << "\n";
            return ExitFile;
        }
        if (m_jsonl)
            std::cout << jsonLine({{"deleted", *deleted}});
        else
            std::cout << "deleted " << *deleted << " lookup" << (*deleted == 1 ? "" : "s") << "\n";
        return ExitOk;
    }

private:
    int m_days = 0;
    bool m_jsonl = false;
    std::string m_db;
};

} // namespace

std::unique_ptr<Command> makeHistoryCommand()
{
    return std::make_unique<HistoryCommand>();
}

std::unique_ptr<Command> makeRunsCommand()
{
    return std::make_unique<RunsCommand>();
}

std::unique_ptr<Command> makePruneCommand()
{
    return std::make_unique<PruneCommand>();
}

} // namespace zonedesk::cli
