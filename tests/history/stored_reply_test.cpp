// SPDX-License-Identifier: MIT
// Replies in the history: compressed on the way in, read back byte for byte, rows written before
// compression still read, stored bytes that are damaged or hostile refused within the cap, and the
// space of pruned lookups given back.
#include "history/stored_reply.h"

#include <sqlite3.h>
#include <zstd.h>

#include <gtest/gtest.h>

#include "history/history_store.h"
#include "lookup/exchange_options.h"
#include "tests/support/sqlite_probe.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::history {
namespace {

const std::string IcannReply =
    "Domain Name: EXAMPLE.COM\r\nRegistry Domain ID: 123_DOMAIN_COM-VRSN\r\n"
    "Registrar WHOIS Server: whois.example.net\r\nUpdated Date: 2026-01-02T03:04:05Z\r\n"
    "Creation Date: 2001-01-02T03:04:05Z\r\n"
    "Registry Expiry Date: 2030-01-02T03:04:05Z\r\nRegistrar: Example, Inc.\r\n"
    "Domain Status: clientTransferProhibited "
    "https://icann.org/epp#clientTransferProhibited\r\n"
    "Name Server: NS1.EXAMPLE.NET\r\nDNSSEC: unsigned\r\n";

std::string read(std::int64_t format, std::string_view bytes, std::string& error)
{
    std::string reply = "left from before";
    EXPECT_FALSE(readStoredReply(format, bytes, reply, error));
    return reply;
}

/// One frame of `size` bytes compressed without our dictionary, with its content size.
std::string plainFrame(std::size_t size)
{
    const std::string text(size, 'a');
    std::string frame(ZSTD_compressBound(size), '\0');
    frame.resize(ZSTD_compress(frame.data(), frame.size(), text.data(), text.size(), 1));
    return frame;
}

using test::execute;
using test::scalar;

TEST(StoredReply, CompressedRepliesComeBackByteForByte)
{
    EXPECT_GE(StoredReplyCap, lookup::ExchangeOptions{}.replySizeCap); // every reply a lookup keeps
    std::string binary = IcannReply + std::string("\0\x80\xff\x1b[2J", 7);
    // One packer for all, as a run uses it: its context is reused after a large reply too.
    ReplyPacker packer;
    for (const std::string& reply : {IcannReply, binary, std::string(100'000, 'x'), IcannReply}) {
        const StoredReply stored = packer.pack(reply);
        EXPECT_EQ(stored.format, ReplyFormat::Zstd);
        EXPECT_LT(stored.bytes.size(), reply.size() / 2);
        std::string back;
        std::string error;
        ASSERT_TRUE(readStoredReply(static_cast<std::int64_t>(stored.format), stored.bytes, back, error))
            << error;
        EXPECT_EQ(back, reply);
    }
    // Nothing to gain, or past the cap: kept as received.
    EXPECT_EQ(storeReply("x").format, ReplyFormat::AsReceived);
    EXPECT_EQ(storeReply(std::string(StoredReplyCap + 1, 'x')).format, ReplyFormat::AsReceived);
    EXPECT_EQ(storeReply("x").bytes, "x");
}

TEST(StoredReply, DamagedOrHostileBytesAreRefusedWithinTheCap)
{
    const std::string good = storeReply(IcannReply).bytes;
    const auto zstd = static_cast<std::int64_t>(ReplyFormat::Zstd);
    std::string error;

    struct Case
    {
        const char* fault;
        std::int64_t format;
        std::string bytes;
        std::string said;
    };

    const Case cases[] = {
        {"a format from a newer program", 7, good, "unknown"},
        {"not a frame at all", zstd, IcannReply, "damaged"},
        {"cut short", zstd, good.substr(0, good.size() - 3), "damaged"},
        {"a second frame behind", zstd, good + good, "damaged"},
        {"nothing", zstd, "", "damaged"},
        {"claims more than the cap", zstd, plainFrame(StoredReplyCap + 1), "more than the cap"},
    };
    for (const Case& c : cases) {
        error.clear();
        EXPECT_EQ(read(c.format, c.bytes, error), "left from before") << c.fault;
        EXPECT_NE(error.find(c.said), std::string::npos) << c.fault << ": " << error;
    }
    // A frame of the cap itself is a reply the exchange could have kept.
    std::string reply;
    EXPECT_TRUE(readStoredReply(zstd, storeReply(std::string(StoredReplyCap, 'y')).bytes, reply, error));
    EXPECT_EQ(reply.size(), StoredReplyCap);
}

TEST(StoredReply, RowsWrittenBeforeCompressionStayReadable)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "old.sqlite3").string();
    // A file as the first schema left it, its reply stored as received.
    execute(path, R"sql(
CREATE TABLE runs(id INTEGER PRIMARY KEY, started INTEGER NOT NULL, ended INTEGER,
    total INTEGER NOT NULL DEFAULT 0, registered INTEGER NOT NULL DEFAULT 0,
    available INTEGER NOT NULL DEFAULT 0, errors INTEGER NOT NULL DEFAULT 0, program TEXT NOT NULL);
CREATE TABLE lookups(id INTEGER PRIMARY KEY, run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
    time INTEGER NOT NULL, name TEXT NOT NULL, server TEXT NOT NULL, source TEXT NOT NULL,
    status INTEGER NOT NULL, expiry TEXT NOT NULL, registration TEXT NOT NULL, updated TEXT NOT NULL,
    owner TEXT NOT NULL, email TEXT NOT NULL, registrar TEXT NOT NULL, error TEXT NOT NULL, raw BLOB);
CREATE INDEX lookups_by_name ON lookups(name, id);
CREATE INDEX lookups_by_time ON lookups(time);
INSERT INTO runs(started, ended, program) VALUES(1, 2, 'cli');
INSERT INTO lookups(run_id, time, name, server, source, status, expiry, registration, updated, owner,
    email, registrar, error, raw)
    VALUES(1, 1, 'a.com', 'whois.verisign-grs.com', 'whois', 1, '2030-01-02', '', '', '', '', '', '',
           CAST(x'28b52ffd' || ' an old reply' AS BLOB));
PRAGMA user_version = 1;
)sql");
    std::string error;
    auto store = HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    std::vector<HistoryEntry> batch(1);
    batch[0].runId = 1;
    batch[0].time = 3;
    batch[0].name = "a.com";
    batch[0].status = 1;
    batch[0].raw = IcannReply;
    ASSERT_TRUE(store->add(batch, error)) << error;

    const auto history = store->history("a.com", true, error);
    ASSERT_TRUE(history) << error;
    ASSERT_EQ(history->size(), 2U);
    EXPECT_EQ((*history)[0].raw, IcannReply);
    EXPECT_EQ((*history)[1].raw, "\x28\xb5\x2f\xfd an old reply"); // the column decides, not the bytes
    EXPECT_EQ(scalar(path, "SELECT raw_format FROM lookups WHERE id = 2"), 1);
    EXPECT_LT(scalar(path, "SELECT length(raw) FROM lookups WHERE id = 2"),
              static_cast<std::int64_t>(IcannReply.size() / 2));

    // A stored reply that can't be read is an error, not an empty reply; the rest still reads.
    execute(path, "UPDATE lookups SET raw = x'28b52ffd0000' WHERE id = 2");
    error.clear();
    EXPECT_FALSE(store->history("a.com", true, error));
    EXPECT_NE(error.find("the reply of lookup 2 can't be read"), std::string::npos) << error;
    EXPECT_TRUE(store->history("a.com", false, error));
}

TEST(StoredReply, AFileTrainsADictionaryOnItsOwnRepliesAndKeepsItWhileRowsNameIt)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "h.sqlite3").string();
    // A registry's notice our dictionary doesn't hold: the same in every reply.
    std::string notice;
    std::uint32_t seed = 7;
    for (int word = 0; word < 300; ++word) {
        seed = seed * 1103515245U + 12345U;
        notice += std::string(1 + seed % 9, static_cast<char>('a' + (seed >> 16) % 26)) + ' ';
    }
    // The latest reply before the training is larger than all the training reads: it is left out,
    // and the training goes on with the rest.
    std::string large;
    while (large.size() < (std::size_t{200} << 10))
        large += notice;
    const auto replyOf = [&notice, &large](int i) {
        return "Domain Name: N" + std::to_string(i) + ".EXAMPLE\r\nRegistry Expiry Date: 20" +
               std::to_string(30 + i % 60) + "-01-02T03:04:05Z\r\n\r\n" + (i == 199 ? large : notice);
    };
    std::string error;
    auto store = HistoryStore::open(path, error);
    ASSERT_TRUE(store) << error;
    const auto run = store->beginRun(1, "cli", error);
    for (int first = 0; first < 400; first += 50) {
        std::vector<HistoryEntry> batch(50);
        for (int i = 0; i < 50; ++i) {
            batch[static_cast<std::size_t>(i)].runId = *run;
            batch[static_cast<std::size_t>(i)].name = "n" + std::to_string(first + i) + ".example";
            batch[static_cast<std::size_t>(i)].raw = replyOf(first + i);
        }
        ASSERT_TRUE(store->add(batch, error)) << error;
    }
    EXPECT_EQ(scalar(path, "SELECT count(*) FROM reply_dictionaries"), 1);
    EXPECT_GE(scalar(path, "SELECT count(*) FROM lookups WHERE raw_dictionary = 1"), 100);
    EXPECT_LT(scalar(path, "SELECT max(length(raw)) FROM lookups WHERE raw_dictionary = 1") * 4,
              scalar(path, "SELECT min(length(raw)) FROM lookups WHERE raw_dictionary IS NULL"));

    // Read back by another program, before and after the training.
    auto reader = HistoryStore::open(path, error);
    ASSERT_TRUE(reader) << error;
    for (const int i : {0, 199, 399}) {
        const auto history = reader->history("n" + std::to_string(i) + ".example", true, error);
        ASSERT_TRUE(history && history->size() == 1) << error;
        EXPECT_EQ(history->front().raw, replyOf(i)) << i;
    }

    // Prune keeps a dictionary rows name and the latest, and drops one nothing names.
    execute(path, "INSERT INTO reply_dictionaries(id, after_lookup, bytes) VALUES(0, 0, x'00')");
    EXPECT_EQ(store->prune(0, 86400 * 10, error), 0) << error;
    EXPECT_EQ(scalar(path, "SELECT group_concat(id) FROM reply_dictionaries"), 1);

    // A dictionary gone missing makes its rows' replies unreadable, never empty.
    execute(path, "DELETE FROM reply_dictionaries");
    auto damaged = HistoryStore::open(path, error);
    ASSERT_TRUE(damaged) << error;
    error.clear();
    EXPECT_FALSE(damaged->history("n399.example", true, error));
    EXPECT_NE(error.find("dictionary 1 is missing"), std::string::npos) << error;
    const auto early = damaged->history("n0.example", true, error);
    ASSERT_TRUE(early) << error;
    EXPECT_EQ(early->front().raw, replyOf(0));
}

TEST(StoredReply, PruneGivesTheSpaceBack)
{
    test::TempDir dir;
    // A new file, and one made before prune gave space back (no incremental vacuum).
    for (const bool older : {false, true}) {
        const std::string path = (dir.path() / (older ? "older.sqlite3" : "new.sqlite3")).string();
        if (older)
            execute(path, "PRAGMA auto_vacuum = NONE; CREATE TABLE t(x); DROP TABLE t;");
        std::string error;
        auto store = HistoryStore::open(path, error);
        ASSERT_TRUE(store) << error;
        const auto run = store->beginRun(1, "cli", error);
        ASSERT_TRUE(run) << error;
        std::vector<HistoryEntry> batch(400);
        for (std::size_t i = 0; i < batch.size(); ++i) {
            batch[i].runId = *run;
            batch[i].time = 1;
            batch[i].name = "n" + std::to_string(i % 2) + ".com";
            // Replies that don't compress: each takes its own pages.
            for (std::size_t byte = 0; byte < 3000; ++byte)
                batch[i].raw += static_cast<char>((i * 7919 + byte * byte * 31 + byte / 3) % 251);
        }
        ASSERT_TRUE(store->add(batch, error)) << error;
        const std::int64_t before = scalar(path, "PRAGMA page_count");
        EXPECT_EQ(store->prune(0, 86400 * 10, error), 398) << error;
        const std::int64_t after = scalar(path, "PRAGMA page_count");
        // What stays is the schema's own pages and the two rows kept.
        EXPECT_LT(after * 5, before) << (older ? "older" : "new");
        EXPECT_EQ(scalar(path, "PRAGMA freelist_count"), 0);
        EXPECT_EQ(scalar(path, "PRAGMA auto_vacuum"), 2); // the next prune needs no rewrite
        const auto kept = store->history("n1.com", true, error);
        ASSERT_TRUE(kept) << error;
        ASSERT_EQ(kept->size(), 1U);
        EXPECT_EQ(kept->front().raw, batch[399].raw);
    }
}

} // namespace
} // namespace zonedesk::history
