// SPDX-License-Identifier: MIT
// UTF-8 output of record results (records hold GBK).
#include "cli/text_output.h"

#include <utility>

#include "core/domain_table.h"
#include "core/encodings.h"
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

void printRecordResult(std::ostream& out, const core::DomainRecord& record, OutputFormat format)
{
    using core::fieldText;
    using core::gbkToUtf8;
    const std::pair<std::string_view, std::string> fields[] = {
        {"statusText",       gbkToUtf8(core::statusText(record.status))   },
        {"expiryDate",       gbkToUtf8(fieldText(record.expiryDate))      },
        {"registrationDate", gbkToUtf8(fieldText(record.registrationDate))},
        {"updatedDate",      gbkToUtf8(fieldText(record.updatedDate))     },
        {"owner",            gbkToUtf8(fieldText(record.owner))           },
        {"email",            gbkToUtf8(fieldText(record.email))           },
        {"registrar",        gbkToUtf8(fieldText(record.registrar))       },
    };
    if (format == OutputFormat::Json) {
        out << "{\"status\":" << record.status;
        for (const auto& [name, value] : fields)
            out << "," << jsonString(name) << ":" << jsonString(value);
        out << "}\n";
        return;
    }
    out << "status\t" << record.status << "\n";
    for (const auto& [name, value] : fields)
        out << name << "\t" << escapedLine(value) << "\n";
}

} // namespace zonedesk::cli
