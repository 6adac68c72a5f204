// SPDX-License-Identifier: MIT
#include "core/whois_servers.h"

#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"

namespace zonedesk::core {
namespace {

constexpr std::string_view Unchanged = "(unchanged)";

TEST(AssignWhoisServers, OrderedSuffixRulesDecide)
{
    struct Case
    {
        const char* domain;
        std::string_view expected; // a host, "" for a "none" rule, Unchanged when no rule applies
    };

    // clang-format off
    const Case cases[] = {
        {"example.com",       "whois.verisign-grs.com"          },
        {"example.net",       "whois.verisign-grs.com"          },
        {"example.org",       "whois.publicinterestregistry.org"},
        {"example.info",      "rdap.identitydigital.services"   },
        {"example.tv",        "whois.nic.tv"                    },
        {"example.cc",        "ccwhois.verisign-grs.com"        },
        {"example.biz",       "whois.nic.biz"                   },
        {"example.edu",       "whois.educause.edu"              },
        {"example.com.cn",    "whois.cnnic.cn"                  }, // not .com's Verisign: .com.cn comes first
        {"example.gov.cn",    "whois.cnnic.cn"                  },
        {"example.cn",        "whois.cnnic.cn"                  },
        {"example.co.jp",     "whois.jprs.jp"                   },
        {"example.com.jp",    "whois.jprs.jp"                   },
        {"example.net.jp",    ""                                }, // "none" shadows .jp
        {"example.org.jp",    ""                                },
        {"example.com.hk",    "whois.hkirc.hk"                  },
        {"example.hk",        "whois.hkirc.hk"                  },
        {"example.com.sg",    ""                                }, // "none" shadows .com
        {"example.net.sg",    ""                                },
        {"example.org.sg",    ""                                },
        {"example.sg",        Unchanged                         },
        {"example.us",        Unchanged                         },
        {"example.mobi",      Unchanged                         },
        {"example.com.au",    Unchanged                         }, // ".com#" needs the end of the name
        {"example.community", Unchanged                         }, // ".com" is not a label boundary match
        {"localhost",         Unchanged                         },
        {"",                  Unchanged                         },
    };
    // clang-format on
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    std::size_t i = 0;
    for (const Case& c : cases) {
        copyField((*table)[i].domain, c.domain);
        copyField((*table)[i].server, Unchanged);
        ++i;
    }
    table->setCount(static_cast<std::int32_t>(i));
    assignWhoisServers(*table);

    i = 0;
    for (const Case& c : cases)
        EXPECT_EQ(fieldText((*table)[i++].server), c.expected) << c.domain;
}

TEST(AssignWhoisServers, TouchesOnlyRecordsInUse)
{
    const auto table = DomainTable::allocate();
    ASSERT_NE(table, nullptr);
    copyField((*table)[0].domain, "example.com");
    assignWhoisServers(*table); // count 0
    EXPECT_EQ(fieldText((*table)[0].server), "");
}

TEST(WhoisServers, EveryHostFitsItsFieldAndMapsBack)
{
    for (std::size_t i = 0; i < WhoisServerCount; ++i) {
        const auto server = static_cast<WhoisServer>(i);
        EXPECT_LE(hostName(server).size(), sizeof(DomainRecord::server) - 1);
        EXPECT_EQ(serverForHost(hostName(server)), server);
    }
    EXPECT_EQ(serverForHost("WHOIS.CNNIC.CN"), std::nullopt);
    EXPECT_EQ(serverForHost(""), std::nullopt);
}

} // namespace
} // namespace zonedesk::core
