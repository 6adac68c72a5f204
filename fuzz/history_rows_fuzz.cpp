// SPDX-License-Identifier: MIT
// The history store reading rows another program (or a damaged file) left: arbitrary bytes give
// one lookup's stored columns, stored twice for one name in an in-memory database, and every read
// of the store goes over them. The input: a byte for the reply's format and dictionary (none, the
// file's first, or one it lacks), a byte for the status, then the name, server, expiry, registrar
// and owner, each ended by a newline, and the stored reply bytes to the end. The server's bytes
// are the file's first dictionary too. Checks that a reply stored as received reads back as it is, that a
// compressed one never comes back larger than the cap, that the reads agree with each other, and that the
// reply, stored anew, reads back byte for byte.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include <sqlite3.h>

#include "core/result_fields.h"
#include "core/sqlite_db.h"
#include "history/history_store.h"
#include "history/record_changes.h"
#include "history/stored_reply.h"

namespace {

using namespace zonedesk;

struct Store
{
    std::unique_ptr<history::HistoryStore> store;
    sqlite3* db = nullptr; // the store's connection, for writing rows as they come
};

Store& theStore()
{
    static Store made = [] {
        Store s;
        std::string error;
        auto db = core::SqliteDb::open(":memory:", core::SqliteDb::Mode::ReadWriteCreate, error);
        if (!db)
            std::abort();
        s.db = db->handle();
        s.store = history::HistoryStore::open(std::move(*db), error);
        if (!s.store)
            std::abort();
        return s;
    }();
    return made;
}

std::string_view takeLine(std::string_view& input)
{
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    return line;
}

// An empty view may have no data: bound as such it would be NULL, which the text columns refuse.
void bindText(sqlite3_stmt* statement, int index, std::string_view text)
{
    sqlite3_bind_text64(
        statement, index, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    Store& s = theStore();
    const auto format = static_cast<std::int64_t>(static_cast<std::int8_t>(data[0]) % 4);
    const int dictionary = (data[0] >> 2) % 3;
    const auto status = static_cast<std::int64_t>(static_cast<std::int8_t>(data[1]));
    std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view name = takeLine(input);
    const std::string_view server = takeLine(input);
    const std::string_view expiry = takeLine(input);
    const std::string_view registrar = takeLine(input);
    const std::string_view owner = takeLine(input);
    const std::string_view raw = input;

    if (sqlite3_exec(s.db,
                     "DELETE FROM lookups; DELETE FROM runs; DELETE FROM reply_dictionaries; "
                     "INSERT INTO runs(id, started, program) VALUES(1, 0, 'fuzz')",
                     nullptr,
                     nullptr,
                     nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(s.db,
                           "INSERT INTO reply_dictionaries(id, after_lookup, bytes) VALUES(1, 0, ?)",
                           -1,
                           &insert,
                           nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_bind_blob64(insert, 1, server.empty() ? "" : server.data(), server.size(), SQLITE_TRANSIENT);
    if (sqlite3_step(insert) != SQLITE_DONE)
        std::abort();
    sqlite3_finalize(insert);
    if (sqlite3_prepare_v2(
            s.db,
            "INSERT INTO lookups(run_id, time, name, server, source, status, expiry, "
            "registration, updated, owner, email, registrar, error, raw, raw_format, raw_dictionary) "
            "VALUES(1, ?1, ?2, ?3, 'whois', ?4, ?5, '', '', ?6, '', ?7, '', ?8, ?9, ?10)",
            -1,
            &insert,
            nullptr) != SQLITE_OK)
        std::abort();
    for (std::int64_t time = 1; time <= 2; ++time) {
        sqlite3_bind_int64(insert, 1, time);
        bindText(insert, 2, name);
        bindText(insert, 3, server);
        sqlite3_bind_int64(insert, 4, status);
        bindText(insert, 5, expiry);
        bindText(insert, 6, owner);
        bindText(insert, 7, registrar);
        sqlite3_bind_blob64(insert, 8, raw.data(), raw.size(), SQLITE_TRANSIENT); // none: NULL, as stored
        sqlite3_bind_int64(insert, 9, format);
        if (dictionary == 0)
            sqlite3_bind_null(insert, 10);
        else
            sqlite3_bind_int64(insert, 10, dictionary);
        if (sqlite3_step(insert) != SQLITE_DONE)
            std::abort();
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);

    history::HistoryStore& store = *s.store;
    std::string error;
    const auto withRaw = store.history(name, true, error);
    const auto withoutRaw = store.history(name, false, error);
    if (!withoutRaw || withoutRaw->size() != 2 || withoutRaw->front().name != name ||
        withoutRaw->front().values[core::Field::ExpiryDate] != expiry || !withoutRaw->front().raw.empty())
        std::abort();
    if (format == static_cast<std::int64_t>(history::ReplyFormat::AsReceived) &&
        (!withRaw || withRaw->front().raw != raw))
        std::abort();
    if (withRaw && withRaw->front().raw.size() > std::max(raw.size(), history::StoredReplyCap))
        std::abort();

    int pairs = 0;
    const bool read = store.eachPairSince(
        0,
        [&](const history::HistoryEntry& before, const history::HistoryEntry& after) {
            ++pairs;
            // The same stored lookup twice: nothing changed.
            if (before.id >= after.id || !history::changesBetween(before, after).empty())
                std::abort();
            return true;
        },
        error);
    if (!read || pairs != 1)
        std::abort();
    const auto runs = store.runs(error);
    if (!runs || runs->size() != 1 || runs->front().total != 2 || runs->front().ended)
        std::abort();
    std::optional<history::HistoryEntry> latest;
    if (!store.latest(name, latest, error) || !latest || latest->id != withoutRaw->front().id)
        std::abort();

    const history::StoredReply stored = history::storeReply(raw);
    std::string back;
    if (!history::readStoredReply(static_cast<std::int64_t>(stored.format), stored.bytes, back, error) ||
        back != raw)
        std::abort();
    return 0;
}
