// SPDX-License-Identifier: MIT
// UTF-8 output of record results (records hold GBK).
#include "cli/text_output.h"

#include <string>
#include <vector>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"

namespace zonedesk::cli {

std::string jsonString(std::string_view text)
{
    constexpr char Hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out.push_back(Hex[byte >> 4]);
                out.push_back(Hex[byte & 0xF]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
    return out;
}

std::string escapedLine(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

namespace {

struct NamedValue
{
    std::string_view name;
    std::string value; // UTF-8
};

/// statusText and the six results of a record in UTF-8; empty results while it is not done.
std::vector<NamedValue> resultFields(const core::DomainRecord& record)
{
    using core::fieldText;
    using core::gbkToUtf8;
    const bool done = core::isDone(record);
    const auto result = [done](std::string_view gbk) { return done ? gbkToUtf8(gbk) : std::string(); };
    return {
        {"statusText",       gbkToUtf8(core::recordStatusText(record)) },
        {"expiryDate",       result(fieldText(record.expiryDate))      },
        {"registrationDate", result(fieldText(record.registrationDate))},
        {"updatedDate",      result(fieldText(record.updatedDate))     },
        {"owner",            result(fieldText(record.owner))           },
        {"email",            result(fieldText(record.email))           },
        {"registrar",        result(fieldText(record.registrar))       },
    };
}

/// The reason of a settled Error record ("connect-failed"); empty otherwise.
std::string_view errorKey(const core::DomainRecord& record)
{
    const auto status = core::settledStatus(record);
    return status == static_cast<std::int32_t>(core::LookupStatus::Error)
               ? core::errorReasonKey(core::errorReasonOf(record))
               : std::string_view();
}

/// Where a settled lookup's answer came from: "whois", "rdap"; empty for a record not looked up or
/// without a server.
std::string_view source(const core::DomainRecord& record)
{
    const auto status = core::settledStatus(record);
    if (!core::isDone(record) || status == static_cast<std::int32_t>(core::LookupStatus::NoServer))
        return {};
    return core::resultSource(record) == core::ResultSource::Rdap ? "rdap" : "whois";
}

/// The record's three dates as JSON: ISO text, or null where there is no readable date.
std::string isoDates(const core::DomainRecord& record)
{
    const auto iso = [&record](core::DateField field) {
        const auto date = core::recordDate(record, field);
        return date ? jsonString(date->iso()) : std::string("null");
    };
    return ",\"expiry\":" + iso(core::DateField::Expiry) +
           ",\"created\":" + iso(core::DateField::Registration) +
           ",\"updated\":" + iso(core::DateField::Updated);
}

} // namespace

void printRecordResult(std::ostream& out, const core::DomainRecord& record, OutputFormat format)
{
    const auto fields = resultFields(record);
    if (format == OutputFormat::Json) {
        out << "{\"status\":" << record.status;
        for (const auto& [name, value] : fields)
            out << "," << jsonString(name) << ":" << jsonString(value);
        out << ",\"error\":" << jsonString(errorKey(record)) << isoDates(record) << "}\n";
        return;
    }
    out << "status\t" << record.status << "\n";
    for (const auto& [name, value] : fields)
        out << name << "\t" << escapedLine(value) << "\n";
    out << "error\t" << errorKey(record) << "\n";
}

std::string changesJson(const std::vector<lookup::Change>& changes)
{
    std::string json = "[";
    for (const lookup::Change& change : changes) {
        json += (json.size() > 1 ? "," : "");
        json += "{\"kind\":" + jsonString(lookup::changeKey(change.kind)) +
                ",\"from\":" + jsonString(change.from) + ",\"to\":" + jsonString(change.to) + "}";
    }
    return json + "]";
}

std::string recordJsonLine(const core::DomainRecord& record,
                           std::size_t index,
                           const std::vector<lookup::Change>* changes)
{
    const auto status = core::settledStatus(record);
    std::string line =
        "{\"index\":" + std::to_string(index) + ",\"server\":" + jsonString(core::fieldText(record.server)) +
        ",\"domain\":" + jsonString(core::gbkToUtf8(core::fieldText(record.domain))) +
        ",\"done\":" + (core::isDone(record) ? "true" : "false") +
        ",\"status\":" + (status ? std::to_string(*status) : "null") +
        ",\"result\":" + jsonString(core::recordStatusKey(record)) +
        ",\"error\":" + jsonString(errorKey(record)) + ",\"source\":" + jsonString(source(record));
    for (const auto& [name, value] : resultFields(record))
        line += "," + jsonString(name) + ":" + jsonString(value);
    const auto left = core::daysLeft(record, core::today());
    line += isoDates(record) + ",\"daysLeft\":" + (left ? std::to_string(*left) : "null");
    if (changes != nullptr)
        line += ",\"changes\":" + changesJson(*changes);
    return line + "}\n";
}

std::string recordTsvLine(const core::DomainRecord& record, std::size_t index)
{
    std::string line = std::to_string(index) + "\t" + escapedLine(core::fieldText(record.server)) + "\t" +
                       escapedLine(core::gbkToUtf8(core::fieldText(record.domain)));
    for (const auto& field : resultFields(record))
        line += "\t" + escapedLine(field.value);
    return line + "\n";
}

} // namespace zonedesk::cli
