// SPDX-License-Identifier: MIT
#include "core/data_dates.h"

#include "core/calendar_date.h"
#include "core/data_files.h"
#include "core/text.h"

namespace zonedesk::core {

namespace {

/// The README is a page of prose; anything larger is not ours.
constexpr std::size_t MaxReadmeBytes = std::size_t{64} << 10;

std::string isoDate(std::string_view text)
{
    const auto date = readLeadingDate(text);
    return date ? date->iso() : std::string();
}

} // namespace

std::string readmeDate(std::string_view readme, std::string_view file)
{
    const std::string heading = "`" + std::string(file) + "`";
    bool inSection = false;
    for (const std::string_view line : splitLines(readme)) {
        if (line.starts_with("#")) {
            inSection = line.find(heading) != std::string_view::npos;
            continue;
        }
        if (!inSection)
            continue;
        for (const std::string_view label : {"- **Date**:", "- **Publication**:"}) {
            if (!line.starts_with(label))
                continue;
            std::string_view value = trim(line.substr(label.size()), " ");
            if (value.starts_with('`'))
                value.remove_prefix(1);
            return isoDate(value);
        }
    }
    return {};
}

std::vector<DataFileDate> dataFileDates(const ServiceData& data, const std::filesystem::path& dataDir)
{
    std::string error;
    const std::string readme =
        readBoundedFile(dataDir / DataReadmeFileName, MaxReadmeBytes, error).value_or("");
    std::string bootstrap = data.rdap ? isoDate(data.rdap->publication()) : std::string();
    if (bootstrap.empty())
        bootstrap = readmeDate(readme, BootstrapFileName);
    return {
        {BootstrapFileName, std::move(bootstrap)},
        {WhoisTableFileName, readmeDate(readme, WhoisTableFileName)},
    };
}

} // namespace zonedesk::core
