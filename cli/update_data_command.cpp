// SPDX-License-Identifier: MIT
// zonedesk-cli update-data [--url URL]: IANA's current RDAP bootstrap into the cache folder
// (net/bootstrap_update.h), and what changed said in a few lines.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/rdap_bootstrap.h"
#include "net/bootstrap_update.h"

namespace zonedesk::cli {

namespace {

constexpr std::size_t NamesListed = 20;

std::string listed(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < NamesListed; ++i)
        text += (i == 0 ? "" : " ") + escapedLine(names[i]);
    if (names.size() > NamesListed)
        text += " and " + std::to_string(names.size() - NamesListed) + " more";
    return text;
}

void printChanges(const core::BootstrapChanges& changes,
                  const core::RdapBootstrap& before,
                  const core::RdapBootstrap& after)
{
    if (!changes.added.empty())
        std::cout << "added " << changes.added.size() << ": " << listed(changes.added) << "\n";
    if (!changes.removed.empty())
        std::cout << "removed " << changes.removed.size() << ": " << listed(changes.removed) << "\n";
    if (!changes.moved.empty()) {
        std::cout << "moved " << changes.moved.size() << " to another server:\n";
        for (std::size_t i = 0; i < changes.moved.size() && i < NamesListed; ++i) {
            const std::string& entry = changes.moved[i];
            std::cout << "  " << escapedLine(entry) << " " << escapedLine(before.bases().at(entry)) << " -> "
                      << escapedLine(after.bases().at(entry)) << "\n";
        }
        if (changes.moved.size() > NamesListed)
            std::cout << "  and " << changes.moved.size() - NamesListed << " more\n";
    }
    if (changes.empty())
        std::cout << "no TLD changed its server\n";
}

class UpdateDataCommand final : public Command
{
public:
    std::string_view name() const override { return "update-data"; }

    std::string_view summary() const override
    {
        return "Fetch IANA's current RDAP bootstrap into the cache folder and say what changed";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("--url",
                       m_url,
                       "Fetch the bootstrap from URL (default " + std::string(net::IanaBootstrapUrl) + ")")
            ->type_name("URL");
        app.footer("Writes $XDG_CACHE_HOME/zonedesk/rdap-dns.json (~/.cache/zonedesk/ by default), which\n"
                   "is used instead of the shipped copy while its publication is later. Asks again only\n"
                   "when the file changed since the last fetch. Prints the TLDs added, removed or moved\n"
                   "to another server, or \"unchanged\". Exit 0 when the cache is current, 2 when the\n"
                   "download or the file is broken (the cache is then left as it was).");
    }

    int run() override
    {
        using Outcome = net::BootstrapUpdate::Outcome;
        const net::BootstrapUpdate update = net::updateBootstrap(m_url);
        if (!update.cacheNote.empty())
            std::cerr << "zonedesk-cli: " << update.cacheNote << "\n";
        if (!update.validatorsNote.empty())
            std::cerr << "zonedesk-cli: " << update.validatorsNote << "\n";
        switch (update.outcome) {
        case Outcome::Failed:
            std::cerr << "zonedesk-cli update-data: " << m_url << ": " << update.error
                      << "; the cache is as it was\n";
            return ExitFile;
        case Outcome::NotModified:
            std::cout << "unchanged: " << m_url << " is the cached copy"
                      << (update.inUse ? " (publication " + escapedLine(update.inUse->publication()) + ")"
                                       : "")
                      << "\n";
            break;
        case Outcome::Unchanged:
            std::cout << "unchanged (publication " << escapedLine(update.fetched->publication()) << ")\n";
            break;
        case Outcome::FirstCopy:
            std::cout << "saved " << update.cacheFile.string() << " (publication "
                      << escapedLine(update.fetched->publication()) << ", " << update.fetched->bases().size()
                      << " TLDs)\n";
            break;
        case Outcome::OlderFetched:
            std::cout << "unchanged: the fetched copy (publication "
                      << escapedLine(update.fetched->publication())
                      << ") is older than the one in use (publication "
                      << escapedLine(update.inUse->publication()) << ", " << update.inUseSource.string()
                      << ")\n";
            break;
        case Outcome::Updated:
            std::cout << "publication " << escapedLine(update.inUse->publication()) << " -> "
                      << escapedLine(update.fetched->publication()) << ", saved " << update.cacheFile.string()
                      << "\n";
            printChanges(update.changes, *update.inUse, *update.fetched);
            break;
        }
        return ExitOk;
    }

private:
    std::string m_url = net::IanaBootstrapUrl;
};

} // namespace

std::unique_ptr<Command> makeUpdateDataCommand()
{
    return std::make_unique<UpdateDataCommand>();
}

} // namespace zonedesk::cli
