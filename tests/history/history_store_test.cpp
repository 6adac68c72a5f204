// SPDX-License-Identifier: MIT
// The history database: schema and migration, refusals of files it can't use, a run's batches and
// its whole list, a name's history, prune, and what counts as a change.
#include "history/history_store.h"

#include <functional>
#include <thread>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "history/history_writer.h"
#include "history/record_changes.h"
#include "tests/support/sqlite_probe.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::history {
namespace {

constexpr std::int32_t Registered = 1;
constexpr std::int32_t Available = 2;
constexpr std::int32_t Failed = 3;

HistoryEntry entry(std::string name, std::int32_t status, std::string expiry = {}, std::string registrar = {})
{
    HistoryEntry e;
    e.name = std::move(name);
    e.server = "whois.verisign-grs.com";
    e.source = "whois";
    e.status = status;
    e.values[core::Field::ExpiryDate] = std::move(expiry);
    e.values[core::Field::Registrar] = std::move(registrar);
    e.values[core::Field::Owner] = "N/A";
    return e;
}

const std::string& expiryOf(const HistoryEntry& entry)
{
    return entry.values[core::Field::ExpiryDate];
}

// The reads, for tests where they must succeed.
std::vector<HistoryEntry> historyOf(HistoryStore& store, std::string_view name, bool withRaw)
{
    std::string error;
    auto entries = store.history(name, withRaw, error);
    EXPECT_TRUE(entries) << error;
    return entries ? std::move(*entries) : std::vector<HistoryEntry>{};
}

std::optional<HistoryEntry> latestOf(HistoryStore& store, std::string_view name)
{
    std::string error;
    std::optional<HistoryEntry> entry;
    EXPECT_TRUE(store.latest(name, entry, error)) << error;
    return entry;
}

std::vector<HistoryEntry> lastRunOf(HistoryStore& store)
{
    std::string error;
    auto entries = store.lastRun(error);
    EXPECT_TRUE(entries) << error;
    return entries ? std::move(*entries) : std::vector<HistoryEntry>{};
}

std::vector<RunEntry> runsOf(HistoryStore& store)
{
    std::string error;
    auto runs = store.runs(error);
    EXPECT_TRUE(runs) << error;
    return runs ? std::move(*runs) : std::vector<RunEntry>{};
}

int pragmaInt(const std::string& path, const char* pragma)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, pragma, -1, &statement, nullptr);
    const int value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

TEST(HistoryStore, CreatesTheSchemaInWalModeAndRefusesFilesItCannotUse)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "deep" / "folder" / "history.sqlite3").string();
    std::string error;
    ASSERT_TRUE(HistoryStore::open(path, error)) << error;
    EXPECT_EQ(pragmaInt(path, "PRAGMA user_version"), HistoryStore::SchemaVersion);
    EXPECT_EQ(pragmaInt(path, "SELECT count(*) FROM sqlite_master WHERE name IN ('runs', 'lookups')"), 2);
    ASSERT_TRUE(HistoryStore::open(path, error)) << error; // opening again migrates nothing

    const auto garbage = dir.write("garbage.sqlite3", std::string(4096, 'x'));
    EXPECT_FALSE(HistoryStore::open(garbage.string(), error));
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;

    const std::string newer = (dir.path() / "newer.sqlite3").string();
    ASSERT_EQ(pragmaInt(newer, "PRAGMA user_version = 99"), -1);
    EXPECT_FALSE(HistoryStore::open(newer, error));
    EXPECT_NE(error.find("schema version 99"), std::string::npos) << error;

    const auto file = dir.write("a-file", "x");
    EXPECT_FALSE(HistoryStore::open((file / "history.sqlite3").string(), error));
    EXPECT_FALSE(error.empty());
}

TEST(HistoryStore, ProgramsOpeningANewFileAtOnceEachFindTheSchema)
{
    test::TempDir dir;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::string path = (dir.path() / ("h" + std::to_string(attempt) + ".sqlite3")).string();
        constexpr int Openers = 3;
        std::string errors[Openers];
        bool opened[Openers] = {};
        std::vector<std::thread> others;
        for (int i = 1; i < Openers; ++i)
            others.emplace_back([&, i] { opened[i] = HistoryStore::open(path, errors[i]) != nullptr; });
        opened[0] = HistoryStore::open(path, errors[0]) != nullptr;
        for (std::thread& other : others)
            other.join();
        for (int i = 0; i < Openers; ++i)
            EXPECT_TRUE(opened[i]) << "attempt " << attempt << ": " << errors[i];
        EXPECT_EQ(pragmaInt(path, "PRAGMA user_version"), HistoryStore::SchemaVersion);
    }
}

TEST(HistoryStore, BatchesHistoryRunsAndPrune)
{
    test::TempDir dir;
    std::string error;
    auto store = HistoryStore::open((dir.path() / "h.sqlite3").string(), error);
    ASSERT_TRUE(store) << error;
    const auto first = store->beginRun(1'000'000, "cli", error);
    ASSERT_TRUE(first);
    std::vector<HistoryEntry> batch = {entry("a.com", Registered, "2026-05-14"), entry("b.com", Available)};
    for (auto& e : batch) {
        e.runId = *first;
        e.time = 1'000'000;
    }
    batch[0].raw = std::string("Domain Name: A.COM\r\n\0binary", 28);
    ASSERT_TRUE(store->add(batch, error)) << error;
    EXPECT_GT(batch[1].id, batch[0].id);
    ASSERT_TRUE(store->endRun(*first, 1'000'100, {2, 1, 1, 0}, error));

    const auto second = store->beginRun(1'000'000 + 40 * 86400, "desktop", error);
    std::vector<HistoryEntry> later = {entry("a.com", Registered, "2027-05-14")};
    later[0].runId = *second;
    later[0].time = 1'000'000 + 40 * 86400;
    ASSERT_TRUE(store->add(later, error));

    const auto history = historyOf(*store, "a.com", true);
    ASSERT_EQ(history.size(), 2U);
    EXPECT_EQ(expiryOf(history[0]), "2027-05-14"); // newest first
    EXPECT_EQ(history[1].raw, batch[0].raw);       // bytes as received
    EXPECT_EQ(expiryOf(*latestOf(*store, "a.com")), "2027-05-14");
    EXPECT_FALSE(latestOf(*store, "c.com"));
    EXPECT_EQ(lastRunOf(*store).size(), 1U);

    const auto runs = runsOf(*store);
    ASSERT_EQ(runs.size(), 2U);
    EXPECT_EQ(runs[0].program, "desktop");
    EXPECT_FALSE(runs[0].ended);
    EXPECT_EQ(runs[1].total, 2);
    EXPECT_EQ(runs[1].registered, 1);

    // The run that never ended counts what it stored.
    EXPECT_EQ(runs[0].total, 1);
    EXPECT_EQ(runs[0].registered, 1);
    EXPECT_EQ(runs[0].available + runs[0].errors, 0);

    std::vector<std::pair<std::string, std::string>> pairs;
    const auto collect = [&pairs](const HistoryEntry& before, const HistoryEntry& after) {
        pairs.emplace_back(expiryOf(before), expiryOf(after));
        return true;
    };
    ASSERT_TRUE(store->eachPairSince(1'000'001, collect, error)) << error;
    EXPECT_EQ(pairs, (std::vector<std::pair<std::string, std::string>>{{"2026-05-14", "2027-05-14"}}));
    pairs.clear();
    ASSERT_TRUE(store->eachPairSince(1'000'000 + 40 * 86400 + 1, collect, error)) << error;
    EXPECT_TRUE(pairs.empty()); // nothing since

    // A reader that has seen enough stops the read.
    int visits = 0;
    ASSERT_TRUE(store->eachLookup(
        "a.com",
        true,
        [&visits](const HistoryEntry&) {
            ++visits;
            return false;
        },
        error));
    EXPECT_EQ(visits, 1);

    // 30 days kept: a.com's old lookup goes, b.com's only (its latest) stays.
    EXPECT_EQ(store->prune(30, 1'000'000 + 41 * 86400, error), 1);
    EXPECT_EQ(historyOf(*store, "a.com", false).size(), 1U);
    EXPECT_EQ(historyOf(*store, "b.com", false).size(), 1U);
}

TEST(HistoryStore, ARunKeepsItsWholeListAndTheLastListGathersTheRunsItResumed)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "h.sqlite3").string();
    std::string error;
    auto store = HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    const std::vector<ListedName> names = {
        {"a.com", "whois.verisign-grs.com"}, {"b.com", "whois.verisign-grs.com"}, {"name.sg", ""}};
    const auto add = [&](std::int64_t run, const char* name, std::string expiry) {
        std::vector<HistoryEntry> batch = {entry(name, Registered, std::move(expiry))};
        batch[0].runId = run;
        ASSERT_TRUE(store->add(batch, error)) << error;
    };

    // Closed after one name: the list comes back whole, the rest never looked up.
    const auto first = store->beginRun(1'000'000, "desktop", error);
    ASSERT_TRUE(first && store->setRunList(*first, names, std::nullopt, error)) << error;
    add(*first, "a.com", "2026-05-14");
    auto last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->runId, *first);
    ASSERT_EQ(last->names.size(), 3U);
    EXPECT_EQ(last->names[2].name, "name.sg");
    auto table = core::DomainTable::allocate();
    ASSERT_EQ(restoreList(*table, *last), 3);
    EXPECT_TRUE(core::isDone((*table)[0]));
    EXPECT_EQ(core::fieldText((*table)[0].expiryDate), "2026-05-14");
    EXPECT_FALSE(core::isDone((*table)[1]));
    EXPECT_EQ(core::fieldText((*table)[1].domain), "b.com");
    EXPECT_EQ(core::fieldText((*table)[1].server), "whois.verisign-grs.com");
    EXPECT_EQ((*table)[1].claimed, 0);
    EXPECT_FALSE(core::isDone((*table)[2]));

    // The resume looks up the rest: the list holds what either run found. A run that resumes
    // nothing starts a list of its own.
    const auto second = store->beginRun(1'000'100, "desktop", error);
    ASSERT_TRUE(second && store->setRunList(*second, names, *first, error)) << error;
    add(*second, "b.com", "2027-01-01");
    last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    ASSERT_EQ(restoreList(*table, *last), 3);
    EXPECT_EQ(core::fieldText((*table)[0].expiryDate), "2026-05-14");
    EXPECT_EQ(core::fieldText((*table)[1].expiryDate), "2027-01-01");
    const auto third = store->beginRun(1'000'200, "cli", error);
    ASSERT_TRUE(third && store->setRunList(*third, names, std::nullopt, error)) << error;
    last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->runId, *third);
    EXPECT_TRUE(last->entries.empty());

    // A file from before lists were kept is migrated, and its last run comes back as it was.
    store.reset();
    ASSERT_EQ(pragmaInt(path, "DROP TABLE run_names"), -1);
    ASSERT_EQ(pragmaInt(path, "ALTER TABLE runs DROP COLUMN resumes"), -1);
    ASSERT_EQ(pragmaInt(path, "PRAGMA user_version = 2"), -1);
    ASSERT_EQ(pragmaInt(path, "PRAGMA user_version"), 2);
    store = HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(pragmaInt(path, "PRAGMA user_version"), HistoryStore::SchemaVersion);
    last = store->lastRunList(error);
    ASSERT_TRUE(last) << error;
    EXPECT_TRUE(last->names.empty());
    ASSERT_EQ(last->entries.size(), 1U);
    EXPECT_EQ(last->entries[0].name, "b.com");
    EXPECT_EQ(restoreList(*table, *last), 1);
}

TEST(HistoryStore, AReadThatFailsSaysSoInsteadOfAnsweringEmpty)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "h.sqlite3").string();
    std::string error;
    {
        auto store = HistoryStore::open(path, error);
        ASSERT_TRUE(store) << error;
        std::vector<HistoryEntry> batch = {entry("a.com", Registered, "2026-05-14")};
        batch[0].runId = *store->beginRun(1, "cli", error);
        ASSERT_TRUE(store->add(batch, error)) << error;
    }
    // Damaged: every page after the first (which holds the schema) overwritten.
    std::string bytes = test::readFile(path);
    ASSERT_GT(bytes.size(), 4096U);
    std::fill(bytes.begin() + 4096, bytes.end(), 'x');
    dir.write("h.sqlite3", bytes);

    auto store = HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    std::optional<HistoryEntry> found;
    error.clear();
    EXPECT_FALSE(store->latest("a.com", found, error));
    EXPECT_FALSE(error.empty());
    for (const auto& read : std::initializer_list<std::function<bool(std::string&)>>{
             [&](std::string& why) { return store->history("a.com", true, why).has_value(); },
             [&](std::string& why) { return store->runs(why).has_value(); },
             [&](std::string& why) {
                 return store->eachPairSince(
                     0, [](const HistoryEntry&, const HistoryEntry&) { return true; }, why);
             },
             [&](std::string& why) { return store->lastRun(why).has_value(); },
         }) {
        error.clear();
        EXPECT_FALSE(read(error));
        EXPECT_NE(error.find("malformed"), std::string::npos) << error;
    }
}

TEST(RecordChanges, RenewalRegistrarDropAndErrorsThatAreNoChange)
{
    const auto changes = [](const HistoryEntry& before, const HistoryEntry& after) {
        return changesBetween(before, after);
    };
    EXPECT_EQ(changes(entry("a.com", Registered, "2026-05-14T04:00:00Z", "R1"),
                      entry("a.com", Registered, "2027-05-14T04:00:00Z", "R2")),
              (std::vector<Change>{{ChangeKind::Renewed, "2026-05-14", "2027-05-14"},
                                   {ChangeKind::RegistrarChanged, "R1", "R2"}}));
    EXPECT_EQ(
        changes(entry("a.com", Registered, "2027-05-14"), entry("a.com", Registered, "2026-01-01"))[0].kind,
        ChangeKind::ExpiryMovedBack);
    const auto dropped = changes(entry("a.com", Registered, "2026-05-14"), entry("a.com", Available));
    ASSERT_EQ(dropped.size(), 1U);
    EXPECT_EQ(changeTextZh(dropped[0]), "已释放！");
    EXPECT_EQ(changeKey(dropped[0].kind), "dropped");
    EXPECT_EQ(changes(entry("a.com", Available), entry("a.com", Registered))[0].kind, ChangeKind::Registered);
    EXPECT_TRUE(changes(entry("a.com", Registered, "2026-05-14"), entry("a.com", Failed)).empty());
    EXPECT_TRUE(changes(entry("a.com", Failed), entry("a.com", Available)).empty());
    EXPECT_TRUE(
        changes(entry("a.com", Registered, "2026-05-14", "R"), entry("a.com", Registered, "2026-05-14", ""))
            .empty()); // a withheld registrar is no change
    EXPECT_EQ(changeTextZh({ChangeKind::Renewed, "2026-05-14", "2027-05-14"}),
              "续费：2026-05-14 → 2027-05-14");
}

TEST(RecordChanges, AWithheldValueOnEitherSideIsNoChange)
{
    // What registries put in place of a registrar or owner they withhold, as the readers keep it
    // (the last one as an earlier version cut it to the field's width).
    const std::string withheld[] = {
        "N/A",
        "REDACTED FOR PRIVACY",
        "Redacted for Privacy Purposes",
        "Data Protected",
        "Please query the RDDS service of the Registrar of Record identified in this output for "
        "information on how to contact the Registrant, Admin, or Tech contact of the queried domain name.",
        "Please query the RDDS service of the Registrar of ",
    };
    for (const core::Field field : {core::Field::Registrar, core::Field::Owner}) {
        for (const std::string& value : withheld) {
            HistoryEntry named = entry("a.com", Registered, "2026-05-14");
            named.values[field] = "Example Holdings Ltd";
            HistoryEntry hidden = named;
            hidden.values[field] = value;
            EXPECT_TRUE(changesBetween(named, hidden).empty()) << value;
            EXPECT_TRUE(changesBetween(hidden, named).empty()) << value;
        }
    }
    // A name that only looks withheld is a real owner.
    HistoryEntry before = entry("a.com", Registered, "2026-05-14");
    before.values[core::Field::Owner] = "Example Holdings Ltd";
    HistoryEntry after = before;
    after.values[core::Field::Owner] = "Redactedly Ltd";
    ASSERT_EQ(changesBetween(before, after).size(), 1U);
    EXPECT_EQ(changesBetween(before, after)[0].kind, ChangeKind::OwnerChanged);
}

TEST(RecordChanges, TheSecurityStateChangesFirstAndAStateNotStatedIsNoChange)
{
    struct State
    {
        std::string_view statuses;
        std::string_view servers;
        std::string_view dnssec;
    };

    struct Case
    {
        State before;
        State after;
        std::vector<Change> changes;
    };

    const Case cases[] = {
        {{"clientTransferProhibited, ok", "a.ns.example b.ns.example", "signed"},
         {"ok, redemptionPeriod", "a.ns.example c.ns.example", "unsigned"},
         {{ChangeKind::TransferLockLifted, "clientTransferProhibited", ""},
          {ChangeKind::EnteredRedemption, "", "redemptionPeriod"},
          {ChangeKind::NameServersChanged, "a.ns.example b.ns.example", "a.ns.example c.ns.example"},
          {ChangeKind::DnssecTurnedOff, "signed", "unsigned"}}},
        {{"ok", "", ""},
         {"clientHold, serverTransferProhibited", "", ""},
         {{ChangeKind::TransferLockSet, "", "serverTransferProhibited"},
          {ChangeKind::PutOnHold, "", "clientHold"}}},
        {{"pendingDelete, serverHold", "", "unsigned"},
         {"ok", "", "signed"},
         {{ChangeKind::HoldReleased, "serverHold", ""},
          {ChangeKind::LeftRedemption, "pendingDelete", ""},
          {ChangeKind::DnssecTurnedOn, "unsigned", "signed"}}},
        // One lock for another, a reorder, more of a set that was cut: nothing / only the servers.
        {{"clientTransferProhibited", "a.ns.example b.ns.example", "signed"},
         {"serverTransferProhibited, ~connect", "a.ns.example b.ns.example", "signed"},
         {}},
        {{"ok", "a.ns.example +2", ""},
         {"ok", "a.ns.example +3", ""},
         {{ChangeKind::NameServersChanged, "a.ns.example +2", "a.ns.example +3"}}},
        // A state one side does not state is no change; nor are a registry's own words for it.
        {{"clientTransferProhibited", "a.ns.example", "signed"}, {"", "", ""}, {}},
        {{"clientTransferProhibited, ok", "", ""}, {"~TRANSFER PROHIBITED", "", ""}, {}},
        {{"", "", ""}, {"clientHold", "b.ns.example", "unsigned"}, {}},
    };
    const auto lookup = [](const State& state) {
        HistoryEntry looked = entry("a.com", Registered, "2026-05-14", "R");
        looked.values[core::Field::Statuses] = state.statuses;
        looked.values[core::Field::NameServers] = state.servers;
        looked.values[core::Field::Dnssec] = state.dnssec;
        return looked;
    };
    for (const Case& c : cases) {
        HistoryEntry after = lookup(c.after);
        after.values[core::Field::ExpiryDate] = "2027-05-14"; // renewed too: told after the state
        std::vector<Change> expected = c.changes;
        expected.push_back({ChangeKind::Renewed, "2026-05-14", "2027-05-14"});
        EXPECT_EQ(changesBetween(lookup(c.before), after), expected)
            << c.before.statuses << " / " << c.after.statuses;
    }
    EXPECT_EQ(changeText({ChangeKind::TransferLockLifted, "clientTransferProhibited", ""}),
              "transfer lock lifted: clientTransferProhibited -> -");
    EXPECT_EQ(changeKey(ChangeKind::EnteredRedemption), "entered-redemption");
}

TEST(HistoryWriter, StoresFinishedRecordsOnceAndSeesTheirChanges)
{
    test::TempDir dir;
    std::string error;
    const std::string path = (dir.path() / "h.sqlite3").string();
    auto store = HistoryStore::open(path, error);
    ASSERT_TRUE(store);
    std::vector<HistoryEntry> earlier = {entry("a.com", Registered, "2026-05-14", "Old Registrar")};
    earlier[0].runId = *store->beginRun(1, "cli", error);
    ASSERT_TRUE(store->add(earlier, error));

    auto table = core::DomainTable::allocate();
    table->setCount(3);
    for (const char* name : {"a.com", "b.com", "c.com"}) {
        auto& record = (*table)[static_cast<std::size_t>(name[0] - 'a')];
        core::copyField(record.domain, name);
        core::copyField(record.server, "whois.verisign-grs.com");
    }
    std::vector<std::string> raw(3);
    raw[0] = "the reply of a.com";
    HistoryWriter runHistory(path, *table, "cli");
    ASSERT_TRUE(runHistory.active()) << runHistory.error();

    auto& a = (*table)[0];
    a.status = Available;
    core::publishDone(a);
    runHistory.tick(raw);
    runHistory.tick(raw); // handed over once

    auto& b = (*table)[1];
    b.status = Registered;
    core::copyField(b.expiryDate, "2030-01-01");
    core::publishDone(b);
    runHistory.finish(raw); // c.com never finished: not stored
    runHistory.wait();
    EXPECT_TRUE(runHistory.settled());
    EXPECT_EQ(runHistory.storedCount(), 2U);
    ASSERT_EQ(runHistory.changesOf(0).size(), 1U);
    EXPECT_EQ(runHistory.changesOf(0)[0].kind, ChangeKind::Dropped);
    EXPECT_EQ(runHistory.changedRecords(), std::vector<std::size_t>{0});
    EXPECT_EQ(historyOf(*store, "a.com", true)[0].raw, "the reply of a.com");
    EXPECT_TRUE(historyOf(*store, "c.com", false).empty());
    ASSERT_TRUE(runsOf(*store)[0].ended);
    EXPECT_EQ(runsOf(*store)[0].total, 2);

    // What a run stored comes back as the table it left.
    auto restored = core::DomainTable::allocate();
    ASSERT_EQ(restoreEntries(*restored, lastRunOf(*store)), 2);
    EXPECT_EQ(core::fieldText((*restored)[0].domain), "a.com");
    EXPECT_TRUE(core::isDone((*restored)[1]));
    EXPECT_EQ((*restored)[1].status, Registered);
    EXPECT_EQ(core::fieldText((*restored)[1].expiryDate), "2030-01-01");

    // A database that can't be used: the history writer is off and says why, and nothing waits.
    const auto garbage = dir.write("garbage", std::string(4096, 'z'));
    HistoryWriter off(garbage.string(), *table, "cli");
    EXPECT_FALSE(off.active());
    EXPECT_NE(off.error().find("not a database"), std::string::npos) << off.error();
    off.finish(raw);
    EXPECT_TRUE(off.settled());
}

TEST(HistoryWriter, ARunFasterThanTheWriterQueuesNoMoreThanTheBoundAndEveryRecordIsStoredWithItsReply)
{
    // Every name finished before the first tick, as on a fast network; the run then ends and the
    // rest is handed over by the CLI's wait or by the window's polls of settled().
    for (const bool polled : {false, true}) {
        SCOPED_TRACE(polled ? "settled() polled" : "wait()");
        test::TempDir dir;
        const std::string path = (dir.path() / "h.sqlite3").string();
        constexpr std::size_t Names = HistoryWriter::MaxQueued * 5 / 2;
        auto table = core::DomainTable::allocate();
        table->setCount(static_cast<std::int32_t>(Names));
        std::vector<std::string> raw(Names);
        for (std::size_t i = 0; i < Names; ++i) {
            core::copyField((*table)[i].domain, "n" + std::to_string(i) + ".com");
            core::copyField((*table)[i].server, "whois.verisign-grs.com");
            (*table)[i].status = Available;
            raw[i] = "No match for \"N" + std::to_string(i) + ".COM\".";
        }
        HistoryWriter runHistory(path, *table, "cli");
        ASSERT_TRUE(runHistory.active()) << runHistory.error();
        for (core::DomainRecord& record : table->inUse())
            core::publishDone(record);
        runHistory.tick(raw);
        EXPECT_LE(runHistory.queuedCount(), HistoryWriter::MaxQueued);
        runHistory.finish(raw);
        EXPECT_LE(runHistory.queuedCount(), HistoryWriter::MaxQueued);
        if (polled) {
            while (!runHistory.settled()) {
                EXPECT_LE(runHistory.queuedCount(), HistoryWriter::MaxQueued);
                std::this_thread::yield();
            }
        }
        runHistory.wait();
        EXPECT_TRUE(runHistory.settled());
        EXPECT_EQ(runHistory.storedCount(), Names);
        EXPECT_EQ(test::scalar(path, "SELECT count(*) FROM lookups WHERE raw IS NOT NULL"),
                  static_cast<std::int64_t>(Names));
        EXPECT_EQ(test::scalar(path, "SELECT total FROM runs"), static_cast<std::int64_t>(Names));
    }
}

} // namespace
} // namespace zonedesk::history
