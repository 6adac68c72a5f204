// SPDX-License-Identifier: MIT
// parseReply on typical .com and .org replies: every lookup pays it once.
#include <string>

#include <benchmark/benchmark.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "parse/parse_reply.h"

namespace {

const std::string ComReply =
    "\nWhois Server Version 2.0\n\n"
    "Domain names in the .com and .net domains can now be registered\n"
    "with many different competing registrars. Go to http://www.internic.net\n"
    "for detailed information.\n\n"
    "   Domain Name: GOOGLE.COM\n"
    "   Registrar: MARKMONITOR INC.\n"
    "   Whois Server: whois.markmonitor.com\n"
    "   Referral URL: http://www.markmonitor.com\n"
    "   Name Server: NS1.GOOGLE.COM\n"
    "   Name Server: NS2.GOOGLE.COM\n"
    "   Status: clientDeleteProhibited\n"
    "   Status: clientTransferProhibited\n"
    "   Updated Date: 20-jul-2011\n"
    "   Creation Date: 15-sep-1997\n"
    "   Expiration Date: 14-sep-2020\n\n"
    ">>> Last update of whois database: Thu, 26 Jan 2012 14:02:48 UTC <<<\n\n"
    "NOTICE: The expiration date displayed in this record is the date the\n"
    "registrar's sponsorship of the domain name registration in the registry is\n"
    "currently set to expire. This date does not necessarily reflect the expiration\n"
    "date of the domain name registrant's agreement with the sponsoring\n"
    "registrar.  Users may consult the sponsoring registrar's Whois database to\n"
    "view the registrar's reported date of expiration for this registration.\n\n"
    "TERMS OF USE: You are not authorized to access or query our Whois\n"
    "database through the use of electronic processes that are high-volume and\n"
    "automated except as reasonably necessary to register domain names or\n"
    "modify existing registrations; the Data in VeriSign Global Registry\n"
    "Services' (\"VeriSign\") Whois database is provided by VeriSign for\n"
    "information purposes only, and to assist persons in obtaining information\n"
    "about or related to a domain name registration record.\n";

std::string orgReply()
{
    std::string reply = "NOTICE: Access to .ORG WHOIS information is provided to assist persons in\n";
    for (int i = 0; i < 12; ++i)
        reply += "determining the contents of a domain name registration record in the PIR\n";
    reply += "By submitting this query, you agree to abide by this policy.\n\n"
             "Domain ID:D2244233-LROR\nDomain Name:GOOGLE.ORG\n"
             "Created On:21-Oct-1998 04:00:00 UTC\nLast Updated On:04-Mar-2009 12:07:19 UTC\n"
             "Expiration Date:20-Oct-2012 04:00:00 UTC\nSponsoring Registrar:MarkMonitor Inc. (R37-LROR)\n"
             "Status:CLIENT DELETE PROHIBITED\nStatus:CLIENT TRANSFER PROHIBITED\n"
             "Registrant ID:mmr-32097\nRegistrant Name:DNS Admin\nRegistrant Organization:Google Inc.\n"
             "Registrant Street1:1600 Amphitheatre Parkway\nRegistrant City:Mountain View\n"
             "Registrant State/Province:CA\nRegistrant Postal Code:94043\nRegistrant Country:US\n"
             "Registrant Phone:+1.6502530000\nRegistrant Email:dns-admin@google.com\n"
             "Admin ID:mmr-32097\nAdmin Name:DNS Admin\nAdmin Email:dns-admin@google.com\n"
             "Tech ID:mmr-32097\nTech Name:DNS Admin\nTech Email:dns-admin@google.com\n"
             "Name Server:NS1.GOOGLE.COM\nName Server:NS2.GOOGLE.COM\n";
    return reply;
}

void parseAs(benchmark::State& state, const char* host, const std::string& reply)
{
    zonedesk::core::DomainRecord record{};
    zonedesk::core::copyField(record.server, host);
    for (auto _ : state) {
        record.done = 0;
        zonedesk::parse::parseReply(reply, record);
        benchmark::DoNotOptimize(record.status);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(reply.size()));
}

void BM_ParseComReply(benchmark::State& state)
{
    parseAs(state, "whois.verisign-grs.com", ComReply);
}

void BM_ParseOrgReply(benchmark::State& state)
{
    parseAs(state, "whois.publicinterestregistry.org", orgReply());
}

BENCHMARK(BM_ParseComReply);
BENCHMARK(BM_ParseOrgReply);

} // namespace
