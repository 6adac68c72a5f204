// SPDX-License-Identifier: MIT
#include "parse/current_layout.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/encodings.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "parse/branch.h"
#include "parse/reply_record.h"
#include "parse/utf8_to_gbk.h"

namespace zonedesk::parse {

namespace {

using core::trim;

/// The line without its leading blanks and a lettered prefix ("a. [Domain Name]").
std::string_view lineBody(std::string_view line)
{
    line = trim(line);
    if (line.size() > 3 && line[0] >= 'a' && line[0] <= 'z' && line[1] == '.' && line[2] == ' ')
        line = trim(line.substr(3));
    return line;
}

bool isRedacted(std::string_view value)
{
    return core::asciiLower(value).find("redacted") != std::string::npos;
}

std::string_view applyThen(std::string_view value, LineThen then)
{
    switch (then) {
    case LineThen::Keep: return value;
    case LineThen::SkipIfRedacted: return isRedacted(value) ? std::string_view() : value;
    case LineThen::DateInParentheses: {
        const std::size_t open = value.find('(');
        const std::size_t close = value.find(')', open == std::string_view::npos ? 0 : open);
        if (open == std::string_view::npos || close == std::string_view::npos)
            return {};
        return trim(value.substr(open + 1, close - open - 1));
    }
    case LineThen::AfterParenColon: {
        const std::size_t mark = value.find("):");
        return mark == std::string_view::npos ? std::string_view() : trim(value.substr(mark + 2));
    }
    }
    return value;
}

} // namespace

std::optional<Reading> readCurrentLayout(const CurrentLayout& layout, std::string_view reply)
{
    std::string decoded;
    if (layout.readIso2022Jp && reply.find("\x1B$") != std::string_view::npos) {
        decoded = core::iso2022jpToUtf8(reply);
        reply = decoded;
    }
    const std::vector<std::string_view> lines = core::splitLines(reply);

    // A reply with a record is an answer for the name, whatever a line of it says.
    if (!carriesRecord(reply)) {
        for (const std::string_view line : lines) {
            const std::string_view body = lineBody(line);
            for (const std::string_view phrase : layout.notRegistered) {
                if (body.starts_with(phrase))
                    return Reading(core::LookupStatus::NotRegistered);
            }
        }
    }

    std::array<std::string_view, core::FieldCount> values{};
    for (const LineRule& rule : layout.rules) {
        std::string_view& value = values[static_cast<std::size_t>(rule.field)];
        if (!value.empty())
            continue;
        for (const std::string_view line : lines) {
            const std::string_view body = lineBody(line);
            if (body.starts_with(rule.label)) {
                value = applyThen(trim(body.substr(rule.label.size())), rule.then);
                break;
            }
        }
    }
    const bool hasDate = !values[static_cast<std::size_t>(Field::RegistrationDate)].empty() ||
                         !values[static_cast<std::size_t>(Field::ExpiryDate)].empty() ||
                         !values[static_cast<std::size_t>(Field::UpdatedDate)].empty();
    if (!hasDate)
        return std::nullopt;

    Reading reading(core::LookupStatus::Success);
    for (const core::ResultField& row : core::ResultFields) {
        const Field field = row.field;
        const auto i = static_cast<std::size_t>(field);
        if ((layout.notApplicable & fieldBit(field)) != 0) {
            reading.set(field, NotApplicable);
            continue;
        }
        std::string value(values[i]);
        utf8ToGbkInPlace(value);
        reading.set(field, value);
    }
    return reading;
}

bool saysReserved(const CurrentLayout& layout, std::string_view reply)
{
    for (const std::string_view line : core::splitLines(reply)) {
        const std::string_view body = lineBody(line);
        for (const std::string_view phrase : layout.reserved) {
            if (body.starts_with(phrase))
                return true;
        }
    }
    return false;
}

} // namespace zonedesk::parse
