// SPDX-License-Identifier: MIT
#include "tests/support/shared_corpus.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/text.h"
#include "core/whois_servers.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {

namespace {

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, '\t'))
        cells.push_back(cell);
    return cells;
}

/// A shared corpus folder beside the source tree, or the one `variable` names; nullopt when it has
/// no manifest.
std::optional<std::filesystem::path> sharedFolder(const char* name, const char* variable)
{
    std::filesystem::path folder = std::filesystem::path(ZONEDESK_SOURCE_DIR) / ".." / "shared" / name;
    if (const char* env = std::getenv(variable))
        folder = env;
    if (!std::filesystem::exists(folder / "manifest.tsv"))
        return std::nullopt;
    return folder;
}

/// The manifest's rows below its header, each with at least `columns` cells.
std::vector<std::vector<std::string>> manifestRows(const std::optional<std::filesystem::path>& folder,
                                                   std::size_t columns)
{
    std::vector<std::vector<std::string>> rows;
    if (!folder)
        return rows;
    std::ifstream in(*folder / "manifest.tsv");
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        auto cells = splitTabs(line);
        if (cells.size() < columns)
            cells.resize(columns);
        rows.push_back(std::move(cells));
    }
    return rows;
}

} // namespace

std::optional<std::filesystem::path> corpusFolder()
{
    return sharedFolder("whois-replies", "ZONEDESK_WHOIS_REPLIES");
}

std::vector<CorpusReply> corpusReplies()
{
    std::vector<CorpusReply> replies;
    for (auto& cells : manifestRows(corpusFolder(), 9)) {
        replies.push_back(
            {cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7], cells[8]});
    }
    return replies;
}

std::optional<std::filesystem::path> genericCorpusFolder()
{
    return sharedFolder("generic-replies", "ZONEDESK_GENERIC_REPLIES");
}

std::vector<GenericReply> genericReplies()
{
    std::vector<GenericReply> replies;
    const std::pair<const char*, const char*> sets[] = {
        {"generic-replies", "ZONEDESK_GENERIC_REPLIES"},
        {"generic-replies-2", "ZONEDESK_GENERIC_REPLIES_2"},
    };
    for (const auto& [name, variable] : sets) {
        const auto folder = sharedFolder(name, variable);
        for (auto& cells : manifestRows(folder, 10)) {
            replies.push_back({cells[0],
                               cells[1],
                               cells[2],
                               cells[3],
                               cells[4],
                               cells[5],
                               cells[6],
                               cells[7],
                               cells[9],
                               name,
                               *folder / cells[0]});
        }
    }
    return replies;
}

std::string genericBytes(const GenericReply& reply)
{
    return readFile(reply.path);
}

std::string corpusBytes(const CorpusReply& reply)
{
    const auto folder = corpusFolder();
    return folder ? readFile(*folder / reply.file) : std::string();
}

std::string hostForSuffix(const std::string& suffix)
{
    const auto server = core::serverRuleFor("example." + suffix).server;
    return server ? std::string(core::hostName(*server)) : std::string();
}

bool holdsDate(const std::string& text, const std::string& isoDate)
{
    if (isoDate.size() != 10)
        return false;
    static const char* const Months[] = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string year = isoDate.substr(0, 4);
    const std::string month = isoDate.substr(5, 2);
    const std::string day = isoDate.substr(8, 2);
    const std::string monthName = Months[std::stoi(month) - 1];
    const std::string haystack = core::asciiLower(text);
    for (const std::string& notation : {isoDate,
                                        year + "/" + month + "/" + day,
                                        day + "-" + monthName + "-" + year,
                                        day + "-" + month + "-" + year,
                                        year + "." + month + "." + day}) {
        if (haystack.find(notation) != std::string::npos)
            return true;
    }
    return haystack.find(monthName + " " + day) != std::string::npos &&
           haystack.find(year) != std::string::npos;
}

} // namespace zonedesk::test
