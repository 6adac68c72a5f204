// SPDX-License-Identifier: MIT
#include "tests/support/sqlite_probe.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace zonedesk::test {

namespace {

std::int64_t scalarOpened(const std::string& path, const std::string& sql, int flags)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

} // namespace

std::int64_t scalar(const std::string& path, const std::string& sql)
{
    return scalarOpened(path, sql, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

std::int64_t scalarReadOnly(const std::string& path, const std::string& sql)
{
    return scalarOpened(path, sql, SQLITE_OPEN_READONLY);
}

void execute(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace zonedesk::test
