// SPDX-License-Identifier: MIT
// The reader for registries without rules of their own, on the shared generic replies and on the
// notations and traps they hold.
#include "parse/generic_reply.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "core/calendar_date.h"
#include "core/encodings.h"
#include "core/text.h"
#include "parse/generic_labels.h"
#include "parse/parse_reply.h"
#include "tests/parse/parsed_record.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::test {
namespace {

using core::Field;
using core::LookupStatus;
using parse::readGenericReply;

/// The six values in the order of core::ResultFields: expiry, created, updated, owner, e-mail,
/// registrar.
using Fields = std::array<const char*, 6>;

void expectFields(const parse::Reading& reading, const Fields& fields, const char* reply)
{
    EXPECT_EQ(reading.status(), LookupStatus::Success) << reply;
    for (std::size_t i = 0; i < fields.size(); ++i)
        EXPECT_EQ(reading.value(core::ResultFields[i].field), fields[i])
            << core::ResultFields[i].key << ": " << reply;
}

TEST(GenericReply, ReadsTheNotationsRegistriesWriteFieldsIn)
{
    struct Case
    {
        const char* reply;
        Fields fields;
    };

    const Case cases[] = {
        {"Domain Name: x.tld\nRegistry Expiry Date: 2026-05-14T04:00:00Z\nCreation Date: 2001-02-03\n"
         "Updated Date: 2025-04-01\nRegistrant Organization: X Ltd\nRegistrant Email: a@x.tld\nRegistrar: R "
         "Inc.\n",
         {"2026-05-14T04:00:00Z", "2001-02-03", "2025-04-01", "X Ltd", "a@x.tld", "R Inc."}},
        // Dots before and after the colon; the value keeps its own full stop.
        {"domain.............: x.tld\ncreated............: 30.6.2006\nexpires............: 4.7.2018\n"
         "Registrar:..........R. Inc.\n",
         {"4.7.2018", "30.6.2006", "", "", "", "R. Inc."}},
        // A label before a tab; a label without a colon before one blank.
        {"Domain name\tx.tld\nFirst registration date\t31 May 1999\nRecord expires on 2027-05-31 "
         "(YYYY-MM-DD)\n",
         {"2027-05-31 (YYYY-MM-DD)", "31 May 1999", "", "", "", ""}},
        // Headings with their values below, indented or not.
        {"    Domain name:\n        x.tld\n    Registrant:\n        X Ltd\n        1 High Street\n"
         "    Registrar:\n        R Ltd [Tag = R]\n    Relevant dates:\n        Registered on: 14-Feb-1999\n"
         "        Expiry date:  14-Feb-2028\n",
         {"14-Feb-2028", "14-Feb-1999", "", "X Ltd", "", "R Ltd [Tag = R]"}},
        {"Domain name:\nx.tld\nHolder of domain name:\nX AG\nVaduz\nRegistrar:\nR AG\nFirst registration "
         "date:\n"
         "1996-02-08\n",
         {"", "1996-02-08", "", "X AG", "", "R AG"}},
        // Sections of their own fields: under "Registrant:" a name is the owner's, under
        // "[Registrar]" or a bare "Registrar" the registrar's.
        {"Domain:\nname:       x.tld\nregistered: 2010-07-04\nexpire:     2028-11-09\n\nRegistrant:\n"
         "name:       X OU\nemail:      a@x.tld\nchanged:    2016-06-17\n\n[Registrar]\nName: R OU\n",
         {"2028-11-09", "2010-07-04", "", "X OU", "a@x.tld", "R OU"}},
        {"Domain:               x.tld\nExpires:              2028-03-31\n\nRegistrant\nHandle: X1\nName: X "
         "A/S\n"
         "\nRegistrar\n\nregistrar..........: R A/S\n",
         {"2028-03-31", "", "", "X A/S", "", "R A/S"}},
        // The domain's object first; the contacts' and name servers' own dates are not the record's.
        {"domain:   x.tld\nregistrar: R-REG\nexpire:   17.04.2028\ncontact:  C1\nname:     X\n"
         "created:  03.06.2011\nchanged:  12.09.2017\n",
         {"17.04.2028", "", "", "", "", "R-REG"}},
        {"** Domain Name: x.tld\n** Additional Info:\nCreated on..............: 2001-Aug-23.\n"
         "Expires on..............: 2029-Aug-22.\n",
         {"2029-Aug-22.", "2001-Aug-23.", "", "", "", ""}},
        {"Domain GOOGLE.KG (ACTIVE)\nRecord created: Tue Feb 10 09:42:42 2004\n"
         "Record last updated on:  Wed Mar  5 00:13:49 2025\n",
         {"", "Tue Feb 10 09:42:42 2004", "Wed Mar  5 00:13:49 2025", "", "", ""}},
        // Bilingual labels with a note, item marks, a registrar's handle after its name.
        {"Nome de domínio / Domain Name: x.tld\nData de registo / Creation Date (yyyy-mm-dd): 2003-01-09\n"
         "1a.    Registrar : R Inc. (R22-LRCC)\n",
         {"", "2003-01-09", "", "", "", "R Inc."}},
        // RWhois classes, hash and dot leaders, the registrar's object naming the handle.
        {"domain:Domain-Name:x.tld\ndomain:Created:20090324\nExpiry#. . . .2028-01-02\nregistrar: REG-R\n\n"
         "registrar: REG-R\norganization: R Ltd\n",
         {"2028-01-02", "20090324", "", "", "", "R Ltd"}},
    };
    for (const Case& c : cases) {
        const bool kg = std::string_view(c.reply).starts_with("Domain GOOGLE");
        expectFields(readGenericReply(c.reply, kg ? "google.kg" : "x.tld"), c.fields, c.reply);
    }
}

TEST(GenericReply, RegistrysOwnLabelsAndRecordDatesWin)
{
    // The registry's expiry before a registrar's; a withheld name gives way to the organisation.
    expectFields(
        readGenericReply("Domain Name: x.tld\nRegistrar Registration Expiration Date: 2027-01-01\n"
                         "Registry Expiry Date: 2026-01-01\nRegistrant Name: REDACTED FOR PRIVACY\n"
                         "Registrant Organization: X Ltd\nRegistrant Email: Please query the RDDS service "
                         "of the Registrar of Record identified in this output\n",
                         "x.tld"),
        {"2026-01-01", "", "", "X Ltd", "N/A", ""},
        "ICANN");
    // Time stamps of the database and values that are not dates are no record dates.
    expectFields(readGenericReply("[Domain]\nDomain: x.tld\nStatus: active\n\n[Whois]\nUpdated: 2024-09-03\n",
                                  "x.tld"),
                 {"", "", "", "", "", ""},
                 "[Whois]");
    expectFields(readGenericReply(
                     "domain: x.tld\ncreated: 2004-03-03T21:00:00Z\nLast updated on 2017-11-18T21:16:34Z\n"
                     "changed: registrar AT ns.il 19990605 (Assigned)\n",
                     "x.tld"),
                 {"", "2004-03-03T21:00:00Z", "", "", "", ""},
                 "database time, change history");
    expectFields(
        readGenericReply("Domain name: x.tld\nRegistered on: before Aug-1996\nRegistrar: R\n", "x.tld"),
        {"", "", "", "", "", "R"},
        "before");
}

TEST(GenericReply, ADateEndedByAStrayByteKeepsItsDate)
{
    // The byte that is not UTF-8 is dropped in the GBK form: the date must not run on into "1z".
    expectFields(readGenericReply("Domain: x.tld\nExpire Date: 2020-04-21\xC7"
                                  "1z rant\nCreated: "
                                  "\xC7"
                                  "2001-01-01\nRegistrar: R\n",
                                  "x.tld"),
                 {"2020-04-21", "", "", "", "", "R"},
                 "stray bytes");
}

TEST(GenericReply, DatesInDigitsFollowTheOrderTheReplyOrItsRegistryKeeps)
{
    struct Case
    {
        const char* name;
        const char* header;
        const char* written;
        const char* stored; // "": left unread
    };

    const Case cases[] = {
        {"x.tld", "", "28/02/2015", "28/02/2015"}, // one reading only: kept as written
        {"x.tld", "", "02/11/2019", ""},           // either order: never guessed
        {"x.tld", "", "02-11-2019", ""},
        {"x.tld", "%% complete date format : DD/MM/YYYY\n", "02/11/2019", "2019-11-02"},
        {"x.tld", "% Dates (mm/dd/yyyy)\n", "02/11/2019", "2019-02-11"},
        {"x.nl", "", "02-11-2019", "2019-11-02"}, // the table's order for the registry
        {"x.co.il", "", "02-11-2019 10:00", "2019-11-02"},
        {"x.tk", "", "02/11/2019", "2019-02-11"},
        {"x.tk", "", "12/18/2001", "12/18/2001"},
        {"x.nl", "", "2019-11-02", "2019-11-02"},
    };
    for (const Case& c : cases) {
        const std::string reply = std::string(c.header) + "Domain Name: " + c.name +
                                  "\nCreation Date: " + c.written + "\nRegistrar: R\n";
        const parse::Reading reading = readGenericReply(reply, c.name);
        EXPECT_EQ(reading.status(), LookupStatus::Success) << reply;
        EXPECT_EQ(reading.value(Field::RegistrationDate), c.stored) << reply;
    }
}

TEST(GenericReply, FreeOnlyWhereTheServerSaysSo)
{
    for (const char* reply : {"No match for \"X.TLD\".\n>>> Last update of WHOIS database: 2025-01-01 <<<\n",
                              "%ERROR:101: no entries found\n",
                              "Domain Name: x.tld\nDomain Status: No Object Found\n",
                              "Domain: x.tld\nStatus: free\n",
                              "Not found: x.tld\n",
                              "x.tld: no existe\n",
                              "Sorry, but domain: \"x.tld\", not found in database\n",
                              "x.tld is free\n",
                              "Available\nDomain: x.tld\n",
                              "This domain name has not been registered.\n",
                              ">>> Domain x.tld is available for registration\n",
                              "X.TLD is available.\nTerms: further details is available.\n",
                              "Status: AVAILABLE (No match for domain \"x.tld\")\n",
                              "% Two-letter names are reserved for the holders of the marks.\nDomain: x.tld\n"
                              "Status: free\n"})
        EXPECT_EQ(readGenericReply(reply, "x.tld").status(), LookupStatus::NotRegistered) << reply;

    // Legal text, a registrant's name and the lines under a heading are no verdict.
    const char* const taken[] = {
        "Domain Name: x.tld\nRegistrant Organization: Not Found Ltd.\nCreation Date: 2001-02-03\n",
        "Domain Name: x.tld\nRegistrant:\n    Not Found Ltd.\n    No match Street 1\nRegistrar: R\n",
        "Domain Name: x.tld\nCreation Date: 2001-02-03\nTerms of Use: names shown as available may be "
        "taken.\n"
        "The lack of a record does not indicate that the name is available for registration. By using\n",
        "Domain Name: x.tld\nCreation Date: 2001-02-03\nNo entries found for names under a suspended "
        "registrar.\n",
        "Domain: x.tld\nStatus: NOT AVAILABLE\n",
        "domain.............: x.tld\navailable..........: 4.8.2018\nexpires............: 4.7.2018\n",
        // Records without a date, under legal text that holds a not-found phrase.
        "% Data not registered with the registry is not shown.\nDomain: x.tld\nNserver: ns1.example.net\n"
        "Status: connect\n",
        "% No entries found are answered briefly.\nDomain: x.tld\n\nName servers:\n    ns1.example.net\n",
        "% Not found names are free.\nDomain: x.tld\nRegistrar:\n    Name: Example Registrar\n",
    };
    for (const char* reply : taken)
        EXPECT_EQ(readGenericReply(reply, "x.tld").status(), LookupStatus::Success) << reply;
}

TEST(GenericReply, ReservedNamesAreTaken)
{
    for (const char* reply : {"Not available for registration.\n",
                              "Reserved name: Reserved brand name\n",
                              "Domain: x.tld\nThis name is reserved.\nNo match for x.tld\n",
                              "domain: x.tld\nstatus: taken\n",
                              "Domain Name: x.tld\nNotes: This name can not be registered\n"}) {
        const parse::Reading reading = readGenericReply(reply, "x.tld");
        EXPECT_EQ(reading.status(), LookupStatus::Success) << reply;
    }
}

TEST(GenericReply, RefusalsStrangersAndNoiseAreErrors)
{
    struct Case
    {
        const char* reply;
        core::ErrorReason reason;
    };

    const Case cases[] = {
        {"", core::ErrorReason::EmptyReply},
        {"%% Maximum query rate reached\n", core::ErrorReason::Throttled},
        {"whois.x.tld: only 1 request per second allowed, try again later\n", core::ErrorReason::Throttled},
        {"WHOIS lookup for x.tld can temporarily not be answered. Please try again.\n",
         core::ErrorReason::Throttled},
        {"Domain Name: other.tld\nCreation Date: 2001-02-03\n", core::ErrorReason::OtherDomain},
        {"Domain Name: other.tld\nDomain Status: No Object Found\n", core::ErrorReason::OtherDomain},
        {"Welcome to the whois server.\nPlease read our terms.\n", core::ErrorReason::Unrecognised},
        {"Creation Date: 2001-02-03\n", core::ErrorReason::Unrecognised},
        {"Domain Name: x.tld\nStatus: pendingDelete\n", core::ErrorReason::Unrecognised},
        {"Domain Name: x.tld\nRegistrant Name: REDACTED FOR PRIVACY\n", core::ErrorReason::Unrecognised},
    };
    for (const Case& c : cases) {
        const parse::Reading reading = readGenericReply(c.reply, "x.tld");
        EXPECT_EQ(reading.status(), LookupStatus::Error) << c.reply;
        EXPECT_EQ(reading.reason(), c.reason) << c.reply;
    }
}

TEST(GenericReply, NamesAreComparedInTheirAsciiForm)
{
    const char* const reply =
        "Domain Name: 你好.中国\nPuny Name: xn--6qq79v.xn--fiqs8s\nDomain Name: 你好.中國\n"
        "Registration Time: 2004-08-08 22:27:10\n";
    EXPECT_EQ(readGenericReply(reply, "xn--6qq79v.xn--fiqs8s").status(), LookupStatus::Success);
    EXPECT_EQ(readGenericReply(reply, "XN--6QQ79V.XN--FIQS8S").status(), LookupStatus::Success);
    EXPECT_EQ(readGenericReply(reply, "xn--fsq.xn--fiqs8s").status(), LookupStatus::Error);
    // A name under a registered one is answered with that one's record.
    EXPECT_EQ(readGenericReply("Domain name:\n    gov.uk\nRegistrant:\n    UK Cabinet Office\n", "www.gov.uk")
                  .status(),
              LookupStatus::Success);
}

/// The name the source asked for: its file is named after it ("google.ac.txt", likexian's
/// "ac_google.ac"); io-developer's "free.txt" asked for "free.<zone>"; empty where not known.
std::string queriedName(const GenericReply& reply)
{
    // weppos's files are named for their verdict: the name is the one the reply states.
    if (reply.source.starts_with("weppos/"))
        return {};
    std::string name = reply.source.substr(reply.source.rfind('/') + 1);
    if (reply.source.starts_with("likexian/"))
        return name.substr(name.find('_') + 1);
    if (reply.source.starts_with("io-developer/")) {
        name.resize(name.size() - std::string_view(".txt").size());
        if (name == "free")
            return "free." + reply.tld;
        if (name.starts_with("free_"))
            return name.substr(std::string_view("free_").size());
    }
    return name;
}

// Where this reader and the manifest part; the comment above each group says why the manifest is
// wrong there.
struct Correction
{
    std::string_view file;   // folder/file
    std::string_view column; // "verdict", a date column or "registrar"
    std::string_view value;
};

constexpr Correction Corrections[] = {
    // "Not available for registration." and "... second level registration.": held names.
    {"generic-replies/name/available-2.txt", "verdict", "registered"},
    {"generic-replies/name/available-3.txt", "verdict", "registered"},
    // "440 Request Denied", "510 Domain is not managed by this register", "solo acepta consultas con
    // dominios .bo": nothing about the name. "Object Cannot Be Registered": held.
    {"generic-replies/nz/available-1.txt", "verdict", "error"},
    {"generic-replies/nz/available-2.txt", "verdict", "error"},
    {"generic-replies-2/bo/available-1.txt", "verdict", "error"},
    {"generic-replies-2/wed/available-1.txt", "verdict", "registered"},
    // .lv "[Whois] Updated:" is the database's time; .ee: the source took the name servers' last
    // "changed:", not the Domain section's.
    {"generic-replies/lv/registered-2.txt", "updated", ""},
    {"generic-replies/ee/registered-2.txt", "updated", "2019-12-13"},
    {"generic-replies/ee/registered-3.txt", "updated", "2020-10-20"},
    {"generic-replies/ee/registered-4.txt", "updated", "2020-08-03"},
    // Dates the reply states for the domain and the manifest left out.
    {"generic-replies-2/eu.org/registered-1.txt", "updated", "2003-03-28"},
    {"generic-replies-2/as/registered-1.txt", "created", "2000-08-02"},
    {"generic-replies-2/ir/registered-1.txt", "expiry", "2014-12-22"},
    {"generic-replies-2/ro/registered-1.txt", "created", "2000-07-17"},
    {"generic-replies-2/sg/registered-1.txt", "updated", "2013-12-02"},
    // The registrar's name over its handle, where the reply gives both; .uk as its other rows have it;
    // .il its "registrar name:".
    {"generic-replies/it/registered-3.txt", "registrar", "Algorithmedia S.r.l."},
    {"generic-replies/it/registered-4.txt", "registrar", "MarkMonitor International Limited"},
    {"generic-replies-2/it/registered-1.txt", "registrar", "MarkMonitor International Limited"},
    {"generic-replies/sk/registered-1.txt", "registrar", "FAJNOR IP s. r. o."},
    {"generic-replies/ua/registered-1.txt", "registrar", "MarkMonitor Inc."},
    {"generic-replies/ua/registered-2.txt", "registrar", "MarkMonitor Inc."},
    {"generic-replies/ua/registered-3.txt", "registrar", "NIC.UA LLC"},
    {"generic-replies-2/uk/registered-1.txt",
     "registrar",
     "Markmonitor Inc. t/a Markmonitor [Tag = MARKMONITOR]"},
    {"generic-replies/il/registered-1.txt", "registrar", "Domain The Net Technologies Ltd"},
    // The reply gives the registrar's handle only, or no registrar: the source took a contact's
    // organisation.
    {"generic-replies/cz/registered-1.txt", "registrar", "REG-MARKMONITOR"},
    {"generic-replies/mk/registered-1.txt", "registrar", "UNET-REG"},
    {"generic-replies/tz/registered-1.txt", "registrar", "REG-ITFARM"},
    {"generic-replies/it.ao/registered-1.txt", "registrar", "REGITAO"},
    {"generic-replies/bo/registered-1.txt", "registrar", ""},
    {"generic-replies/br/registered-1.txt", "registrar", ""},
    {"generic-replies/cf/registered-1.txt", "registrar", ""},
    {"generic-replies/de/registered-1.txt", "registrar", ""},
    {"generic-replies-2/de/registered-1.txt", "registrar", ""},
    {"generic-replies/hr/registered-1.txt", "registrar", ""},
    {"generic-replies/ie/registered-1.txt", "registrar", ""},
    {"generic-replies/ir/registered-1.txt", "registrar", ""},
    {"generic-replies/is/registered-1.txt", "registrar", ""},
    {"generic-replies/pr/registered-1.txt", "registrar", ""},
};

/// The manifest's value as scored: "n/a" (the registry never publishes it) counts as none; "?"
/// (not known) is not scored.
std::string expected(const GenericReply& reply, std::string_view column, const std::string& value)
{
    const std::string key = reply.set + "/" + reply.file;
    for (const Correction& correction : Corrections) {
        if (correction.file == key && correction.column == column)
            return std::string(correction.value);
    }
    return value == "n/a" ? std::string() : value;
}

constexpr std::string_view NotKnown = "?";

std::string statusWord(LookupStatus status)
{
    switch (status) {
    case LookupStatus::Success: return "registered";
    case LookupStatus::NotRegistered: return "available";
    default: return "error";
    }
}

struct Score
{
    int right = 0;
    int total = 0;
    int invented = 0; // a value where the manifest has none

    double share() const { return total == 0 ? 1.0 : static_cast<double>(right) / total; }
};

struct Scores
{
    Score verdict, expiry, created, updated, registrar;
    int owners = 0;
    int registered = 0;

    void print(const std::string& title) const
    {
        std::printf("%s\n", title.c_str());
        for (const auto& [name, score] : {
                 std::pair{"verdict", verdict},
                 std::pair{"expiry", expiry},
                 std::pair{"created", created},
                 std::pair{"updated", updated},
                 std::pair{"registrar", registrar},
             }) {
            std::printf("  %-10s %4d/%4d  %5.1f %%  invented %d\n",
                        name,
                        score.right,
                        score.total,
                        100.0 * score.share(),
                        score.invented);
        }
        std::printf("  owner      %4d of %4d registered replies have one\n", owners, registered);
    }
};

/// Compares a stored date with the manifest's by calendar day.
void scoreDate(Score& score, const std::string& file, std::string_view stored, const std::string& expected)
{
    const auto date = core::readDate(stored);
    if (expected == NotKnown)
        return;
    if (expected.empty()) {
        score.invented += date ? 1 : 0;
        EXPECT_FALSE(date) << file << ": \"" << stored << "\" where the manifest has no date";
        return;
    }
    ++score.total;
    score.right += date && date->iso() == expected ? 1 : 0;
    if (!date || date->iso() != expected)
        std::printf(
            "  %-44s \"%s\" should be %s\n", file.c_str(), std::string(stored).c_str(), expected.c_str());
}

void scoreReply(Scores& scores, const GenericReply& reply)
{
    const std::string file = reply.set + "/" + reply.file;
    const parse::Reading reading = readGenericReply(genericBytes(reply), queriedName(reply));
    const std::string verdict =
        expected(reply, "verdict", reply.verdict == "throttled" ? "error" : reply.verdict);
    ++scores.verdict.total;
    scores.verdict.right += statusWord(reading.status()) == verdict ? 1 : 0;
    EXPECT_EQ(statusWord(reading.status()), verdict) << file;
    if (reply.verdict == "throttled") {
        EXPECT_EQ(reading.reason(), core::ErrorReason::Throttled) << file;
    }
    if (verdict != "registered" || reading.status() != LookupStatus::Success)
        return;
    scoreDate(scores.expiry, file, reading.value(Field::ExpiryDate), expected(reply, "expiry", reply.expiry));
    scoreDate(scores.created,
              file,
              reading.value(Field::RegistrationDate),
              expected(reply, "created", reply.created));
    scoreDate(
        scores.updated, file, reading.value(Field::UpdatedDate), expected(reply, "updated", reply.updated));
    ++scores.registered;
    scores.owners += reading.hasValue(Field::Owner) ? 1 : 0;
    const std::string registrar = expected(reply, "registrar", reply.registrar);
    if (!registrar.empty() && registrar != NotKnown) {
        // Compared as a record can hold it: GBK has no "Ü".
        const std::string stored = core::gbkToUtf8(reading.value(Field::Registrar));
        // A record keeps no handle, IANA number or address in parentheses after the name: the
        // sources differ there ("Donuts Internal (9999)").
        std::string wanted = core::gbkToUtf8(core::utf8ToGbk(registrar));
        if (const std::size_t open = wanted.rfind(" (");
            open != std::string::npos && wanted.ends_with(')') &&
            wanted.find(' ', open + 1) == std::string::npos &&
            wanted.find_first_of("0123456789-.", open) != std::string::npos)
            wanted.resize(open);
        ++scores.registrar.total;
        const bool same = core::asciiLower(stored) == core::asciiLower(wanted);
        scores.registrar.right += same ? 1 : 0;
        if (!same)
            std::printf(
                "  %-44s registrar \"%s\" should be \"%s\"\n", file.c_str(), stored.c_str(), wanted.c_str());
    }
}

TEST(GenericReply, ReadsTheSharedRepliesOfEveryOtherRegistry)
{
    const auto replies = genericReplies();
    if (replies.empty())
        GTEST_SKIP() << "shared generic replies not found";
    std::map<std::string, Scores> bySet;
    for (const GenericReply& reply : replies)
        scoreReply(bySet[reply.set], reply);
    // Each folder on its own: one can't make up for the other.
    for (const auto& [set, scores] : bySet) {
        scores.print(set);
        EXPECT_EQ(scores.verdict.right, scores.verdict.total) << set;
        EXPECT_GE(scores.expiry.share(), 0.97) << set;
        EXPECT_GE(scores.created.share(), 0.97) << set;
        EXPECT_GE(scores.registrar.share(), 0.95) << set;
    }
}

/// Lines a registry might add to its header: ordinary legal text, and each not-found phrase as a
/// comment, as a line of the server's own and inside a field's value.
std::vector<std::string> hostileHeaderLines()
{
    std::vector<std::string> lines = {"% Use of this service is free.",
                                      "% Queries with no matching record return a short answer.",
                                      "% Data not registered with DENIC is not shown."};
    for (const parse::generic::Phrase& phrase : parse::generic::NotRegisteredPhrases) {
        const std::string text(phrase.text);
        lines.push_back("% " + text);
        lines.push_back(text);
        lines.push_back("Registrant Organization: " + text + " Ltd");
    }
    return lines;
}

/// Every registered reply of the shared sets stays registered with a line of legal text or a
/// not-found phrase added to its header; each reply gets the next line of the list in turn, so
/// every line meets replies of many registries.
TEST(GenericReply, ARecordStaysARecordWhateverItsHeaderSays)
{
    const auto generic = genericReplies();
    const auto ten = corpusReplies();
    if (generic.empty() && ten.empty())
        GTEST_SKIP() << "shared replies not found";
    const std::vector<std::string> header = hostileHeaderLines();
    std::size_t next = 0;
    int read = 0;
    for (const GenericReply& reply : generic) {
        if (reply.verdict != "registered")
            continue;
        for (int i = 0; i < 3; ++i, ++read) {
            const std::string& line = header[next++ % header.size()];
            const parse::Reading reading =
                readGenericReply(line + "\n" + genericBytes(reply), queriedName(reply));
            EXPECT_EQ(statusWord(reading.status()), expected(reply, "verdict", reply.verdict))
                << reply.set << "/" << reply.file << " under \"" << line << "\"";
        }
    }
    for (const CorpusReply& reply : ten) {
        if (reply.kind != "registered")
            continue;
        const std::string& line = header[next++ % header.size()];
        EXPECT_EQ(parseAs(hostForSuffix(reply.suffix), line + "\n" + corpusBytes(reply)).status,
                  LookupStatus::Success)
            << reply.file << " under \"" << line << "\"";
        ++read;
    }
    EXPECT_GT(read, static_cast<int>(header.size()));
}

/// The statuses, name servers and DNSSEC state a registered reply states, written by reading each
/// reply of the shared sets (security_expected.tsv: `|` between the members of a set).
struct SecurityFacts
{
    core::DomainStatuses statuses;
    std::vector<std::string> nameServers;
    std::string dnssec;
};

SecurityFacts expectedFacts(const std::vector<std::string>& row)
{
    std::string statuses = row[2];
    std::string servers = row[3];
    for (std::string* list : {&statuses, &servers})
        std::replace(list->begin(), list->end(), '|', ',');
    std::replace(servers.begin(), servers.end(), ',', ' ');
    return {core::readStatusesText(statuses), core::readNameServersText(servers), row[4]};
}

SecurityFacts storedFacts(const core::DomainRecord& record)
{
    return {core::readStatusesText(core::gbkToUtf8(core::fieldValue(record, Field::Statuses))),
            core::readNameServersText(core::fieldValue(record, Field::NameServers)),
            core::fieldValue(record, Field::Dnssec)};
}

bool sameStatuses(core::DomainStatuses a, core::DomainStatuses b)
{
    std::sort(a.own.begin(), a.own.end());
    std::sort(b.own.begin(), b.own.end());
    return a == b;
}

TEST(GenericReply, SecurityLinesOfOtherObjectsRemarksAndPlaceholdersAreNoState)
{
    struct Case
    {
        const char* reply;
        const char* statuses;
        const char* servers;
        core::Dnssec dnssec;
    };

    const Case cases[] = {
        // A contact object's status (.ua) is the contact's.
        {"domain: a.ua\nstatus: clientTransferProhibited\nnserver: ns1.a.ua\n\ncontact-id: x-1\n"
         "status: ok\nstatus: linked\n",
         "clientTransferProhibited",
         "ns1.a.ua",
         core::Dnssec::NotStated},
        // One code a line under one label (.kz), each with a remark after it.
        {"Domain Name: a.kz\nDomain status : clientTransferProhibited - transfer forbidden\n"
         "                clientHold - domain inactive\nName Server: ns1.a.kz\n",
         "clientHold, clientTransferProhibited",
         "ns1.a.kz",
         core::Dnssec::NotStated},
        // A placeholder after the host (.uz), a key label without key data.
        {"Domain Name: a.uz\nName Server: ns1.a.uz. not.defined.\nName Server: ns2.a.uz, ns3.a.uz\n"
         "DNSKEY: none\nDS Record: N/A\nCreation Date: 2020-01-01\n",
         "",
         "ns1.a.uz ns2.a.uz ns3.a.uz",
         core::Dnssec::NotStated},
        {"Domain Name: a.de\nDnskey: 257 3 8 AwEAAbJ0dAVq\nStatus: connect\n",
         "~connect",
         "",
         core::Dnssec::Signed},
    };
    for (const Case& c : cases) {
        const parse::Reading reading = readGenericReply(c.reply, "");
        EXPECT_EQ(reading.status(), LookupStatus::Success) << c.reply;
        EXPECT_EQ(core::statusesText(reading.statuses()), c.statuses) << c.reply;
        EXPECT_EQ(core::nameServersText(reading.nameServers(), 200), c.servers) << c.reply;
        EXPECT_EQ(reading.dnssec(), c.dnssec) << c.reply;
    }
    // .jp's older layout in ISO-2022-JP: an empty key line above a JIS label is no key.
    for (const CorpusReply& reply : corpusReplies()) {
        if (reply.suffix != "jp" || reply.era != "legacy" || reply.kind != "registered")
            continue;
        core::DomainRecord record{};
        core::copyField(record.server, hostForSuffix(reply.suffix));
        parse::parseReply(corpusBytes(reply), record);
        EXPECT_NE(record.dnssec, static_cast<std::uint8_t>(core::Dnssec::Signed)) << reply.file;
    }
}

TEST(GenericReply, ReadsTheStatusesNameServersAndDnssecOfEveryRegisteredReply)
{
    std::ifstream table(std::string(ZONEDESK_SOURCE_DIR) + "/tests/parse/security_expected.tsv");
    ASSERT_TRUE(table);
    std::map<std::pair<std::string, std::string>, SecurityFacts> expected;
    std::string line;
    std::getline(table, line); // the header
    while (std::getline(table, line)) {
        std::vector<std::string> row;
        for (std::size_t at = 0; at <= line.size();) {
            const std::size_t tab = std::min(line.size(), line.find('\t', at));
            row.push_back(line.substr(at, tab - at));
            at = tab + 1;
        }
        ASSERT_EQ(row.size(), 5U) << line;
        expected[{row[0], row[1]}] = expectedFacts(row);
    }

    struct Share
    {
        int total = 0;
        std::array<int, 3> right{};
    };

    std::map<std::string, Share> shares;
    const auto score =
        [&](const std::string& set, const std::string& file, const core::DomainRecord& record) {
            const auto wanted = expected.find({set, file});
            if (wanted == expected.end())
                return;
            const SecurityFacts got = storedFacts(record);
            const std::array<bool, 3> same = {sameStatuses(got.statuses, wanted->second.statuses),
                                              got.nameServers == wanted->second.nameServers,
                                              got.dnssec == wanted->second.dnssec};
            Share& share = shares[set];
            ++share.total;
            for (std::size_t i = 0; i < same.size(); ++i)
                share.right[i] += same[i] ? 1 : 0;
            const auto shown = [](bool right, const std::string& text) {
                return right ? std::string("=") : text.empty() ? std::string("(none)") : text;
            };
            if (!same[0] || !same[1] || !same[2])
                std::printf("  %s/%s: %s | %s | %s\n",
                            set.c_str(),
                            file.c_str(),
                            shown(same[0], core::statusesText(got.statuses)).c_str(),
                            shown(same[1], core::nameServersText(got.nameServers, 400)).c_str(),
                            shown(same[2], got.dnssec).c_str());
        };
    for (const GenericReply& reply : genericReplies()) {
        core::DomainRecord record{};
        readGenericReply(genericBytes(reply), queriedName(reply)).storeInto(record);
        score(reply.set, reply.file, record);
    }
    for (const CorpusReply& reply : corpusReplies()) {
        core::DomainRecord record{};
        core::copyField(record.server, hostForSuffix(reply.suffix));
        parse::parseReply(corpusBytes(reply), record);
        score("whois-replies", reply.file, record);
    }
    if (shares.empty())
        GTEST_SKIP() << "shared replies not found";
    for (const auto& [set, share] : shares) {
        std::printf("%s: %d registered replies; exact sets: statuses %d, name servers %d, DNSSEC %d\n",
                    set.c_str(),
                    share.total,
                    share.right[0],
                    share.right[1],
                    share.right[2]);
        for (const int right : share.right)
            EXPECT_GE(right, share.total * 95 / 100) << set;
    }
}

} // namespace
} // namespace zonedesk::test
