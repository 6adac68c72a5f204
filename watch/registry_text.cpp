// SPDX-License-Identifier: MIT
#include "watch/registry_text.h"

namespace zonedesk::watch {

bool reordersText(std::uint32_t point)
{
    return point == 0x2028 || point == 0x2029 || (point >= 0x202A && point <= 0x202E) ||
           (point >= 0x2066 && point <= 0x2069);
}

std::string escapeMarkup(std::string_view text, bool quotes)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += quotes ? "&quot;" : "\""; break;
        case '\'': out += quotes ? "&#39;" : "'"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace zonedesk::watch
