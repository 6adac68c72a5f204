// SPDX-License-Identifier: MIT
// UTF-8 output of record results (records hold GBK).
#include "cli/text_output.h"

#include <cstdint>
#include <string>
#include <vector>

#include "core/calendar_date.h"
#include "core/confusable_names.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/service_choice.h"
#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::cli {

namespace {

constexpr std::string_view HexDigits = "0123456789abcdef";

} // namespace

std::string jsonLine(const JsonObject& object)
{
    const std::string dumped = object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    // JSON lets DEL and the C1 controls stand as they are; escaped, a terminal shows them instead
    // of obeying them. Outside strings a dump holds ASCII only, so each match lies in a string.
    std::string out;
    out.reserve(dumped.size() + 1);
    for (std::size_t i = 0; i < dumped.size(); ++i) {
        const auto byte = static_cast<unsigned char>(dumped[i]);
        const bool c1 =
            byte == 0xC2 && i + 1 < dumped.size() && static_cast<unsigned char>(dumped[i + 1]) < 0xA0;
        if (!c1 && byte != 0x7F) {
            out.push_back(dumped[i]);
            continue;
        }
        const auto code = c1 ? static_cast<unsigned char>(dumped[++i]) : byte;
        out += "\\u00";
        out.push_back(HexDigits[code >> 4]);
        out.push_back(HexDigits[code & 0x0F]);
    }
    return out + "\n";
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
    return core::safeToShow(out);
}

std::string visibleControls(std::string_view text)
{
    return core::safeToShow(text, core::LineBreaks::Kept);
}

JsonObject fieldJson(core::Field field, const std::string& value)
{
    switch (field) {
    case core::Field::Statuses: {
        JsonObject list = JsonObject::array();
        const core::DomainStatuses statuses = core::readStatusesText(value);
        for (const core::EppStatusRow& row : core::EppStatuses) {
            if ((statuses.codes & core::statusBit(row.code)) != 0)
                list.push_back(row.name);
        }
        for (const std::string& word : statuses.own)
            list.push_back("~" + word);
        return list;
    }
    case core::Field::NameServers: {
        JsonObject list = JsonObject::array();
        for (const std::string& host : core::readNameServersText(value))
            list.push_back(host);
        return list;
    }
    default: return value;
    }
}

namespace {

struct NamedValue
{
    core::Field field;
    std::string_view name;
    std::string value; // UTF-8
};

/// The result fields of a record in UTF-8; empty while it is not done.
std::vector<NamedValue> resultFields(const core::DomainRecord& record)
{
    const bool done = core::isDone(record);
    std::vector<NamedValue> values;
    for (const core::ResultField& field : core::ResultFields)
        values.push_back(
            {field.field, field.key, done ? core::gbkToUtf8(field.record.text(record)) : std::string()});
    return values;
}

/// The reason of a settled Error record ("connect-failed"); empty otherwise.
std::string_view errorKey(const core::DomainRecord& record)
{
    // An Error says why; so does a name left without a server when no registry service is known.
    const auto status = core::settledStatus(record);
    const auto settledAs = [&status](core::LookupStatus settled) {
        return status == static_cast<std::int32_t>(settled);
    };
    return settledAs(core::LookupStatus::Error) || settledAs(core::LookupStatus::NoServer)
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

/// The record's dates in their calendar form: ISO text, or null where there is no readable date.
void addIsoDates(JsonObject& object, const core::DomainRecord& record)
{
    for (const core::ResultField& field : core::ResultFields) {
        if (!field.isDate())
            continue;
        const auto date = core::recordDate(record, field.field);
        object[field.isoKey] = date ? JsonObject(date->iso()) : JsonObject(nullptr);
    }
}

/// The "changes" value: [{"kind":"renewed","from":"2026-05-14","to":"2027-05-14"}, ...].
JsonObject changesJson(const std::vector<history::Change>& changes)
{
    JsonObject list = JsonObject::array();
    for (const history::Change& change : changes)
        list.push_back({{"kind", history::changeKey(change.kind)}, {"from", change.from}, {"to", change.to}});
    return list;
}

} // namespace

void printRecordResult(std::ostream& out,
                       const core::DomainRecord& record,
                       OutputFormat format,
                       std::string_view reader)
{
    const auto fields = resultFields(record);
    const std::string statusText = core::gbkToUtf8(core::recordStatusText(record));
    if (format == OutputFormat::Json) {
        JsonObject object{{"status", record.status}, {"statusText", statusText}};
        for (const auto& [field, name, value] : fields)
            object[name] = fieldJson(field, value);
        object["error"] = errorKey(record);
        addIsoDates(object, record);
        if (!reader.empty())
            object["reader"] = reader;
        out << jsonLine(object);
        return;
    }
    out << "status\t" << record.status << "\n";
    out << "statusText\t" << escapedLine(statusText) << "\n";
    for (const auto& [field, name, value] : fields)
        out << name << "\t" << escapedLine(value) << "\n";
    out << "error\t" << errorKey(record) << "\n";
    if (!reader.empty())
        out << "reader\t" << reader << "\n";
}

std::string recordJsonLine(const core::DomainRecord& record,
                           std::size_t index,
                           const std::vector<history::Change>* changes)
{
    const auto status = core::settledStatus(record);
    JsonObject object{
        {"index", index},
        {"server", core::fieldText(record.server)},
        {"domain", core::gbkToUtf8(core::fieldText(record.domain))},
    };
    if (const auto aLabel = core::confusableALabel(core::fieldText(record.domain)))
        object["aLabel"] = *aLabel;
    object["done"] = core::isDone(record);
    object["status"] = status ? JsonObject(*status) : JsonObject(nullptr);
    object["result"] = core::recordStatusKey(record);
    object["error"] = errorKey(record);
    object["source"] = source(record);
    // The TLD, and the name asked where it is not the name listed (its registrable domain).
    if (const auto asked = core::askedName(core::fieldText(record.domain), core::defaultServiceData())) {
        object["tld"] = asked->tld;
        if (asked->name != core::whoisQueryName(core::fieldText(record.domain)))
            object["queried"] = asked->name;
    }
    object["statusText"] = core::gbkToUtf8(core::recordStatusText(record));
    for (const auto& [field, name, value] : resultFields(record))
        object[name] = fieldJson(field, value);
    addIsoDates(object, record);
    const auto left = core::daysLeft(record, core::today());
    object["daysLeft"] = left ? JsonObject(*left) : JsonObject(nullptr);
    if (changes != nullptr)
        object["changes"] = changesJson(*changes);
    return jsonLine(object);
}

std::string tsvHeader()
{
    std::string header = "index\tserver\tdomain\tstatusText";
    for (const core::ResultField& field : core::ResultFields)
        header += "\t" + std::string(field.key);
    return header + "\n";
}

std::string shownDomain(const core::DomainRecord& record)
{
    const std::string_view domain = core::fieldText(record.domain);
    const auto aLabel = core::confusableALabel(domain);
    return escapedLine(core::gbkToUtf8(domain) + (aLabel ? " (" + *aLabel + ")" : std::string()));
}

std::string recordTsvLine(const core::DomainRecord& record, std::size_t index)
{
    std::string line = std::to_string(index) + "\t" + escapedLine(core::fieldText(record.server)) + "\t" +
                       shownDomain(record) + "\t" +
                       escapedLine(core::gbkToUtf8(core::recordStatusText(record)));
    for (const auto& field : resultFields(record))
        line += "\t" + escapedLine(field.value);
    return line + "\n";
}

} // namespace zonedesk::cli
