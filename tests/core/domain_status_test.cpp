// SPDX-License-Identifier: MIT
#include "core/domain_status.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/result_fields.h"

namespace zonedesk::core {
namespace {

TEST(DomainStatus, StatusValuesAsRegistriesWriteThem)
{
    struct Case
    {
        std::vector<std::string_view> values;
        std::string_view text;
    };

    const Case cases[] = {
        {{"clientTransferProhibited https://icann.org/epp#clientTransferProhibited"},
         "clientTransferProhibited"},
        {{"CLIENT TRANSFER PROHIBITED", "client-delete-prohibited"},
         "clientDeleteProhibited, clientTransferProhibited"},
        {{"ok (https://www.icann.org/epp#ok)"}, "ok"},
        {{"active", "redemption period", "pending delete"}, "ok, pendingDelete, redemptionPeriod"},
        {{"clientDeleteProhibited clientTransferProhibited"},
         "clientDeleteProhibited, clientTransferProhibited"},
        {{"REGISTERED, DELEGATED, VERIFIED"}, "~REGISTERED, ~DELEGATED, ~VERIFIED"},
        {{"connect", "connect", "Registered until expiry date."}, "~connect, ~Registered until expiry date"},
        // Addresses, control bytes, numbers alone and words past the bounds are no state.
        {{"https://example.com/status", "\x01\x02", "12345", std::string_view("a\0b", 3)}, "~a b"},
        {{"a sentence far longer than any state a registry writes as its word"}, ""},
        {{"w1", "w2", "w3", "w4", "w5"}, "~w1, ~w2, ~w3, ~w4"},
    };
    for (const Case& c : cases) {
        DomainStatuses statuses;
        for (const std::string_view value : c.values)
            addStatusValue(statuses, value);
        EXPECT_EQ(statusesText(statuses), c.text) << c.values.front();
        EXPECT_EQ(readStatusesText(statusesText(statuses)), statuses) << c.text; // the text form reads back
    }
    EXPECT_EQ(codesOfGroup(statusBit(EppStatus::ServerTransferProhibited) | statusBit(EppStatus::Ok),
                           StatusGroup::Locked),
              statusBit(EppStatus::ServerTransferProhibited));
}

TEST(DomainStatus, NameServersAreHostsSortedAndBoundedInTheRecord)
{
    struct Case
    {
        std::string_view value;
        std::string_view host; // empty: none
    };

    const Case cases[] = {
        {"NS1.Example.COM.", "ns1.example.com"},
        {"ns1.example.com 192.0.2.1", "ns1.example.com"},
        {"192.0.2.1", ""},
        {"2001:db8::1", ""},
        {"http://ns1.example.com", ""},
        {"NSSET-HANDLE", ""},
        {"-bad.example.com", ""},
        {"a..example.com", ""},
        {"ns1.exa\tmple.com", "ns1.exa"}, // the first word only; "ns1.exa" is a host
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nameServerHost(c.value).value_or(""), c.host) << c.value;

    std::vector<std::string> servers;
    for (const char* host : {"b.ns.example", "a.ns.example", "b.ns.example"})
        addNameServer(servers, host);
    EXPECT_EQ(nameServersText(servers, 159), "a.ns.example b.ns.example");
    for (int i = 0; i < 100; ++i)
        addNameServer(servers, "ns" + std::to_string(100 + i) + ".example.com");
    EXPECT_EQ(servers.size(), MostNameServers);
    // The same hosts in the other order keep the same ones: a reorder is no change.
    std::vector<std::string> reversed;
    for (int i = 99; i >= 0; --i)
        addNameServer(reversed, "ns" + std::to_string(100 + i) + ".example.com");
    for (const char* host : {"b.ns.example", "a.ns.example"})
        addNameServer(reversed, host);
    EXPECT_EQ(reversed, servers);
    // Whole hosts only, and how many were left out.
    DomainRecord record{};
    copyField(record.nameServers, nameServersText(servers, sizeof(record.nameServers) - 1));
    const std::string kept(fieldText(record.nameServers));
    EXPECT_TRUE(kept.ends_with(" +" + std::to_string(MostNameServers - readNameServersText(kept).size())))
        << kept;
    EXPECT_EQ(readNameServersText(kept).front(), "a.ns.example");
}

TEST(DomainStatus, DnssecValuesAndTheRecordsTextForms)
{
    for (const std::string_view yes : {"signedDelegation", "signed", "Signed delegation", "yes", "Active"})
        EXPECT_EQ(readDnssecValue(yes), Dnssec::Signed) << yes;
    for (const std::string_view no : {"unsigned", "Unsigned delegation, no records", "no", "inactive"})
        EXPECT_EQ(readDnssecValue(no), Dnssec::Unsigned) << no;
    EXPECT_FALSE(readDnssecValue("see https://example.com"));

    // What the history keeps reads back into a record as it was (a restore).
    DomainRecord record{};
    for (const ResultField& field : ResultFields) {
        if (field.readByLabel())
            continue;
        const std::string text = field.field == Field::Statuses ? "clientHold, ok, ~connect"
                                 : field.field == Field::Dnssec ? "signed"
                                                                : "a.ns.example b.ns.example";
        field.record.store(record, text);
        EXPECT_EQ(field.record.text(record),
                  field.field == Field::Statuses ? "ok, clientHold, ~connect" : text);
    }
    record.dnssec = 77; // a byte no version writes
    EXPECT_EQ(fieldValue(record, Field::Dnssec), "");
}

} // namespace
} // namespace zonedesk::core
