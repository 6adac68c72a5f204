// SPDX-License-Identifier: MIT
// A run with its history: every run's replies reach the history, the second run sees what changed,
// a start with nothing to ask records nothing, a stopped run keeps what finished and closes its run
// in the database, and a list closed mid-run comes back whole and is finished by its resume.
#include "lookup/run_with_history.h"

#include <chrono>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::lookup {
namespace {

using namespace std::chrono_literals;
using test::Behaviour;
using test::LoopbackWhoisServer;

std::string comRecord(const std::string& expiry)
{
    return "Domain Name: A.COM\r\nRegistrar: R\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
           "Registry Expiry Date: " +
           expiry + "T04:00:00Z\r\n";
}

class RecordedRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = core::DomainTable::allocate();
        ASSERT_NE(table, nullptr);
        ASSERT_TRUE(endpoints.add("whois.verisign-grs.com=" + com.address()));
        ASSERT_TRUE(endpoints.addRdapList(test::rdapNowhere()));
        session.readTimeout = 5s;
        session.exchangeLimit = 10s;
        path = (dir.path() / "history.sqlite3").string();
    }

    /// The table holds `names` afresh, as an import leaves it.
    void importNames(std::initializer_list<const char*> names)
    {
        table->clear();
        for (const char* name : names) {
            core::copyField((*table)[static_cast<std::size_t>(table->count())].domain, name);
            table->setCount(table->count() + 1);
        }
        core::assignWhoisServers(*table);
    }

    /// Starts `run` recorded into the history; the history writer, still owned by the run.
    history::HistoryWriter* start(RunWithHistory& run)
    {
        run.setExchangeOptions(session);
        run.setEndpoints(endpoints);
        auto runHistory = std::make_unique<history::HistoryWriter>(path, *table, "test");
        history::HistoryWriter* recorded = runHistory.get();
        EXPECT_TRUE(recorded->active()) << recorded->error();
        EXPECT_EQ(run.start(std::move(runHistory)), LookupRun::StartResult::Running);
        return recorded;
    }

    std::vector<history::HistoryEntry> historyOf(std::string_view name)
    {
        std::string error;
        auto store = history::HistoryStore::open(path, error);
        EXPECT_TRUE(store) << error;
        auto entries = store ? store->history(name, true, error) : std::nullopt;
        EXPECT_TRUE(entries) << error;
        return entries ? std::move(*entries) : std::vector<history::HistoryEntry>{};
    }

    test::TempDir dir;
    std::string path;
    LoopbackWhoisServer com;
    EndpointOverrides endpoints;
    ExchangeOptions session;
    std::unique_ptr<core::DomainTable> table;
    WorkerEndQueue queue;
};

TEST_F(RecordedRunTest, EveryRunKeepsItsRepliesAndTheSecondSeesWhatChanged)
{
    RunWithHistory run(*table, queue);
    com.on("a.com", Behaviour::answer(comRecord("2026-05-14")));
    com.on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
    importNames({"a.com", "b.com"});
    history::HistoryWriter* first = start(run);
    ASSERT_TRUE(run.waitForEnd(queue, 50ms, {}));
    run.waitForHistory();
    EXPECT_EQ(first->storedCount(), 2U);
    EXPECT_TRUE(first->changedRecords().empty());

    // The same run object again, on a new import of the same names.
    com.on("a.com", Behaviour::answer(comRecord("2027-05-14")));
    importNames({"a.com", "b.com"});
    history::HistoryWriter* second = start(run);
    ASSERT_TRUE(run.waitForEnd(queue, 50ms, {}));
    run.waitForHistory();
    EXPECT_EQ(second->storedCount(), 2U);
    ASSERT_EQ(second->changesOf(0).size(), 1U);
    EXPECT_EQ(second->changesOf(0)[0].kind, history::ChangeKind::Renewed);
    EXPECT_TRUE(second->changesOf(1).empty());

    const auto lookups = historyOf("a.com");
    ASSERT_EQ(lookups.size(), 2U);
    EXPECT_EQ(lookups[0].raw, comRecord("2027-05-14")); // newest first, each with its own reply
    EXPECT_EQ(lookups[1].raw, comRecord("2026-05-14"));
    ASSERT_EQ(historyOf("b.com").size(), 2U);
    EXPECT_FALSE(historyOf("b.com")[0].raw.empty());
}

TEST_F(RecordedRunTest, ASecondRunOverTheSameNamesAsksAgainAndKeepsItsReplies)
{
    RunWithHistory run(*table, queue);
    com.on("a.com", Behaviour::answer(comRecord("2026-05-14")));
    importNames({"a.com"});
    start(run);
    ASSERT_TRUE(run.waitForEnd(queue, 50ms, {}));

    // Nothing is left to ask: a start records nothing, rather than the settled rows without replies.
    history::HistoryWriter* idle = nullptr;
    {
        auto runHistory = std::make_unique<history::HistoryWriter>(path, *table, "test");
        idle = runHistory.get();
        EXPECT_EQ(run.start(std::move(runHistory)), LookupRun::StartResult::NothingToQuery);
    }
    run.waitForHistory();
    EXPECT_EQ(idle->storedCount(), 0U);
    EXPECT_EQ(historyOf("a.com").size(), 1U);

    // The same names made new again: asked as the first run asked them, each reply kept.
    com.on("a.com", Behaviour::answer(comRecord("2027-05-14")));
    table->clearResults();
    EXPECT_EQ(core::fieldText((*table)[0].domain), "a.com");
    EXPECT_FALSE(core::isDone((*table)[0]));
    EXPECT_EQ((*table)[0].claimed, 0);
    history::HistoryWriter* second = start(run);
    ASSERT_TRUE(run.waitForEnd(queue, 50ms, {}));
    run.waitForHistory();
    EXPECT_EQ(second->storedCount(), 1U);
    EXPECT_EQ(com.connectionCount(), 2);
    const auto lookups = historyOf("a.com");
    ASSERT_EQ(lookups.size(), 2U);
    EXPECT_EQ(lookups[0].raw, comRecord("2027-05-14"));
    EXPECT_EQ(lookups[1].raw, comRecord("2026-05-14"));
}

TEST_F(RecordedRunTest, ResultsOpenedFromTheHistoryAreNotAskedAgainUnderTheirReaders)
{
    com.on("a.com", Behaviour::answer(comRecord("2026-05-14")));
    importNames({"a.com"});
    {
        RunWithHistory run(*table, queue);
        start(run);
        ASSERT_TRUE(run.waitForEnd(queue, 50ms, {}));
    }
    std::string error;
    auto store = history::HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    const auto last = store->lastRun(error);
    ASSERT_TRUE(last) << error;
    ASSERT_EQ(history::restoreEntries(*table, *last), 1);
    core::assignWhoisServers(*table); // as before any run

    // The restored row is finished, as a run leaves it: Start asks nothing and writes nothing.
    RunWithHistory again(*table, queue);
    again.setEndpoints(endpoints);
    EXPECT_EQ(again.start(), LookupRun::StartResult::NothingToQuery);
    EXPECT_EQ(com.connectionCount(), 1);
    EXPECT_EQ(core::fieldText((*table)[0].expiryDate), "2026-05-14T04:00:00Z");
}

TEST_F(RecordedRunTest, AListClosedMidRunComesBackWholeAndItsResumeFinishesIt)
{
    com.on("a.com", Behaviour::answer(comRecord("2026-05-14")));
    com.on("b.com", Behaviour::silent());
    importNames({"a.com", "b.com", "name.sg"});
    std::int64_t firstRun = 0;
    {
        RunWithHistory run(*table, queue);
        firstRun = start(run)->runId();
        EXPECT_FALSE(run.waitForEnd(queue, 20ms, [&] { return core::isDone((*table)[0]); }));
    }
    std::string error;
    auto store = history::HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    auto last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->runId, firstRun);
    ASSERT_EQ(history::restoreList(*table, *last), 3);
    EXPECT_TRUE(core::isDone((*table)[0]));
    EXPECT_FALSE(core::isDone((*table)[1]));
    EXPECT_EQ(core::fieldText((*table)[2].domain), "name.sg");

    // The resume asks only what the first run did not reach, and goes on with its list.
    com.on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
    const int connections = com.connectionCount();
    RunWithHistory resumed(*table, queue);
    resumed.setExchangeOptions(session);
    resumed.setEndpoints(endpoints);
    auto runHistory = std::make_unique<history::HistoryWriter>(path, *table, "test", firstRun);
    history::HistoryWriter* recorded = runHistory.get();
    ASSERT_EQ(resumed.start(std::move(runHistory)), LookupRun::StartResult::Running);
    ASSERT_TRUE(resumed.waitForEnd(queue, 50ms, {}));
    resumed.waitForHistory();
    EXPECT_EQ(recorded->storedCount(), 1U);
    EXPECT_EQ(com.connectionCount(), connections + 1);
    last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    ASSERT_EQ(history::restoreList(*table, *last), 3);
    EXPECT_EQ(core::fieldText((*table)[0].expiryDate), "2026-05-14T04:00:00Z");
    EXPECT_TRUE(core::isDone((*table)[1]));
    EXPECT_EQ((*table)[1].status, static_cast<std::int32_t>(core::LookupStatus::NotRegistered));
}

TEST_F(RecordedRunTest, AStoppedRunKeepsWhatFinishedAndClosesItsRun)
{
    com.on("a.com", Behaviour::answer(comRecord("2026-05-14")));
    com.on("b.com", Behaviour::silent());
    importNames({"a.com", "b.com"});
    {
        RunWithHistory run(*table, queue);
        history::HistoryWriter* recorded = start(run);
        const auto giveUp = std::chrono::steady_clock::now() + 30s;
        EXPECT_FALSE(run.waitForEnd(queue, 20ms, [&] {
            return core::isDone((*table)[0]) || std::chrono::steady_clock::now() > giveUp;
        }));
        EXPECT_FALSE(core::isDone((*table)[1])); // left as it was
        run.waitForHistory();
        EXPECT_EQ(recorded->storedCount(), 1U);
    }
    EXPECT_EQ(historyOf("a.com").size(), 1U);
    EXPECT_TRUE(historyOf("b.com").empty());
    std::string error;
    auto store = history::HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    const auto runs = store->runs(error);
    ASSERT_TRUE(runs) << error;
    ASSERT_EQ(runs->size(), 1U);
    EXPECT_TRUE((*runs)[0].ended); // closed, not left as a crash would leave it
    EXPECT_EQ((*runs)[0].total, 1);
}

} // namespace
} // namespace zonedesk::lookup
