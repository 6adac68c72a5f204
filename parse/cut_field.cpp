// SPDX-License-Identifier: MIT
// cutField: label-to-label extraction, double-blank removal and trimming.
#include "parse/cut_field.h"

#include "core/text.h"

namespace zonedesk::parse {

namespace {

/// Removes non-overlapping pairs of blanks from the left: an even run vanishes, an odd run leaves one.
std::string removeDoubleBlanks(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == ' ' && i + 1 < value.size() && value[i + 1] == ' ') {
            ++i;
            continue;
        }
        out.push_back(value[i]);
    }
    return out;
}

} // namespace

std::string cutField(std::string_view text, std::string_view startLabel, std::string_view endLabel)
{
    const std::size_t start = text.find(startLabel);
    if (start == std::string_view::npos)
        return {};
    const std::size_t valueStart = start + startLabel.size();
    if (endLabel.empty())
        return std::string(text.substr(valueStart));

    const std::size_t end = text.find(endLabel, valueStart);
    if (end == std::string_view::npos)
        return {};
    return std::string(core::trim(removeDoubleBlanks(text.substr(valueStart, end - valueStart))));
}

} // namespace zonedesk::parse
