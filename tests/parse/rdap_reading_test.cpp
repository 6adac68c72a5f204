// SPDX-License-Identifier: MIT
// Reading RDAP answers (RFC 9083) into the record's facts.
#include "parse/rdap_reading.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/domain_status.h"

namespace zonedesk::parse {
namespace {

using core::ErrorReason;
using core::LookupStatus;

std::string domainObject(std::string_view entities)
{
    return R"({"objectClassName":"domain","ldhName":"xn--fiq228c.cn","entities":[)" + std::string(entities) +
           R"(],"events":[{"eventAction":"expiration","eventDate":"2030-01-01T00:00:00Z"}]})";
}

TEST(RdapReading, VerdictsFollowTheHttpStatusAndTheObject)
{
    EXPECT_EQ(readRdap(429, "", "x.org").reason(), ErrorReason::Throttled);
    EXPECT_EQ(readRdap(503, "", "x.org").reason(), ErrorReason::Throttled);
    EXPECT_EQ(readRdap(403, "", "x.org").reason(), ErrorReason::Unrecognised);
    EXPECT_EQ(readRdap(200, "{\"objectClassName\":", "x.org").reason(), ErrorReason::Unrecognised);
    EXPECT_EQ(readRdap(200, "[1,2]", "x.org").reason(), ErrorReason::Unrecognised);
    const std::string object = domainObject("");
    EXPECT_EQ(readRdap(200, object, "XN--FIQ228C.CN").status(), LookupStatus::Success); // case ignored
    EXPECT_EQ(readRdap(200, object, "other.cn").reason(), ErrorReason::OtherDomain);    // another name
}

TEST(RdapReading, NotFoundCountsOnlyWhenTheRdapServerSaysIt)
{
    struct Case
    {
        std::string_view body;
        std::string_view mediaType;
        LookupStatus status;
    };

    const Case cases[] = {
        {"", "application/rdap+json", LookupStatus::NotRegistered},
        {" \r\n", "Application/JSON; charset=utf-8", LookupStatus::NotRegistered},
        {R"({"errorCode":404,"title":"Not Found"})", "application/rdap+json", LookupStatus::NotRegistered},
        {R"({"rdapConformance":["rdap_level_0"]})", "text/plain", LookupStatus::NotRegistered},
        {"", "", LookupStatus::Error},
        {"", "text/html", LookupStatus::Error},
        {"<html><body>404 Not Found</body></html>", "text/html", LookupStatus::Error},
        {"<html><body>404 Not Found</body></html>", "application/rdap+json", LookupStatus::Error},
        {R"({"message":"no route"})", "application/json", LookupStatus::Error},
        {"[]", "application/json", LookupStatus::Error},
    };
    for (const Case& c : cases) {
        const Reading reading = readRdap(404, c.body, "x.org", c.mediaType);
        EXPECT_EQ(reading.status(), c.status) << c.body << " as " << c.mediaType;
        if (c.status == LookupStatus::Error) {
            EXPECT_EQ(reading.reason(), ErrorReason::NotRdap) << c.body << " as " << c.mediaType;
        }
    }
}

TEST(RdapReading, AnswerNestedDeeperThanRdapIsRefusedBeforeItIsBuilt)
{
    // A remark's value nested 60 levels down is still an answer; 70 levels is not read at all.
    const auto withRemark = [](std::size_t levels) {
        const std::string object = domainObject("");
        return object.substr(0, object.size() - 1) + R"(,"remarks":[{"description":)" +
               std::string(levels, '[') + "\"x\"" + std::string(levels, ']') + "}]}";
    };
    EXPECT_EQ(readRdap(200, withRemark(60), "xn--fiq228c.cn").status(), LookupStatus::Success);
    EXPECT_EQ(readRdap(200, withRemark(70), "xn--fiq228c.cn").reason(), ErrorReason::Unrecognised);
    EXPECT_EQ(readRdap(200, std::string(std::size_t{1} << 20, '['), "x.org").reason(),
              ErrorReason::Unrecognised);
}

TEST(RdapReading, WithheldContactsKeepTheRegistrysWordsAndNothingIsEmpty)
{
    const Reading none = readRdap(200, domainObject(""), "xn--fiq228c.cn");
    EXPECT_EQ(none.value(Field::Owner), "N/A"); // no registrant entity at all
    EXPECT_EQ(none.value(Field::Email), "N/A");
    EXPECT_EQ(none.value(Field::Registrar), "N/A");
    EXPECT_EQ(none.value(Field::RegistrationDate), "N/A");
    EXPECT_EQ(none.value(Field::ExpiryDate), "2030-01-01T00:00:00Z");

    const Reading redacted =
        readRdap(200,
                 domainObject(R"({"roles":["registrant"],"remarks":[{"title":"REDACTED FOR PRIVACY"}],
                          "vcardArray":["vcard",[["version",{},"text","4.0"]]]},
                        {"roles":["technical"],"entities":[{"roles":["registrar"],
                          "vcardArray":["vcard",[["fn",{},"text","\u4e2d\u6587 Registrar"]]]}]})"),
                 "xn--fiq228c.cn");
    EXPECT_EQ(redacted.value(Field::Owner), "REDACTED FOR PRIVACY");
    EXPECT_EQ(redacted.value(Field::Email), "REDACTED FOR PRIVACY");
    EXPECT_EQ(redacted.value(Field::Registrar), "\xD6\xD0\xCE\xC4 Registrar"); // UTF-8 stored as GBK

    const Reading named =
        readRdap(200,
                 domainObject(R"({"roles":["registrant"],"vcardArray":["vcard",[["fn",{},"text","Jane Doe"],
                          ["org",{},"text",""],["email",{},"text","jane@example.org"]]]})"),
                 "xn--fiq228c.cn");
    EXPECT_EQ(named.value(Field::Owner), "Jane Doe"); // an empty organisation falls back to the name
    EXPECT_EQ(named.value(Field::Email), "jane@example.org");
}

TEST(RdapReading, RegistrarNameFallsBackToItsOrganisation)
{
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {R"(["org",{},"text","MarkMonitor Inc."])",                                   "MarkMonitor Inc." },
        {R"(["fn",{},"text"," "],["org",{},"text","MarkMonitor Inc."])",              "MarkMonitor Inc." },
        {R"(["org",{},"text","Example Group"],["fn",{},"text","Example Registrar"])", "Example Registrar"},
        {R"(["version",{},"text","4.0"])",                                            "N/A"              },
    };
    // clang-format on
    for (const auto& [vcard, expected] : cases) {
        const std::string entity =
            R"({"roles":["registrar"],"vcardArray":["vcard",[)" + std::string(vcard) + "]]}";
        EXPECT_EQ(readRdap(200, domainObject(entity), "xn--fiq228c.cn").value(Field::Registrar), expected)
            << vcard;
    }
}

TEST(RdapReading, RolesAreMatchedWithoutLetterCase)
{
    const Reading reading = readRdap(
        200,
        domainObject(R"({"roles":["Registrant"],"vcardArray":["vcard",[["org",{},"text","Example Ltd"]]]},
                        {"roles":["ADMINISTRATIVE","REGISTRAR"],"vcardArray":["vcard",[["fn",{},"text","R Inc."]]]})"),
        "xn--fiq228c.cn");
    EXPECT_EQ(reading.value(Field::Owner), "Example Ltd");
    EXPECT_EQ(reading.value(Field::Registrar), "R Inc.");
}

TEST(RdapReading, StatusesNameServersAndDnssecAreReadBoundedAndCleaned)
{
    const auto read = [](std::string_view members) {
        const std::string object = domainObject("");
        const Reading reading = readRdap(
            200, object.substr(0, object.size() - 1) + "," + std::string(members) + "}", "xn--fiq228c.cn");
        EXPECT_EQ(reading.status(), LookupStatus::Success) << members;
        return reading;
    };
    const Reading locked = read(R"("status":["client transfer prohibited","active","server hold","locked"],
        "nameservers":[{"ldhName":"NS2.Example.NET."},{"ldhName":"ns1.example.net"},{"ldhName":"ns1.example.net"},
                       {"ldhName":"192.0.2.1"},{"ldhName":"http://x"},{"unicodeName":"n.example"}],
        "secureDNS":{"delegationSigned":true})");
    EXPECT_EQ(core::statusesText(locked.statuses()), "ok, clientTransferProhibited, serverHold, ~locked");
    EXPECT_EQ(locked.nameServers(), (std::vector<std::string>{"ns1.example.net", "ns2.example.net"}));
    EXPECT_EQ(locked.dnssec(), core::Dnssec::Signed);

    // A thousand entries, junk among them: bounded, and nothing but host names and state words.
    std::string statuses;
    std::string servers;
    for (int i = 0; i < 1000; ++i) {
        statuses += i == 0 ? "" : ",";
        statuses += i % 2 == 0 ? "\"word" + std::to_string(i) + "\"" : std::string("7");
        servers +=
            (i == 0 ? "" : ",") + std::string(R"({"ldhName":"ns)") + std::to_string(i) + R"(.example.com"})";
    }
    const Reading flood = read(R"("status":[)" + statuses + R"(],"nameservers":[)" + servers +
                               R"(],"secureDNS":{"delegationSigned":"yes"})");
    EXPECT_EQ(flood.statuses().own.size(), core::MostOwnWords);
    EXPECT_EQ(flood.nameServers().size(), core::MostNameServers);
    EXPECT_EQ(flood.dnssec(), core::Dnssec::NotStated); // not a boolean
    const Reading none = read(R"("status":"active","nameservers":{},"secureDNS":[])");
    EXPECT_TRUE(none.statuses().empty() && none.nameServers().empty());
}

} // namespace
} // namespace zonedesk::parse
