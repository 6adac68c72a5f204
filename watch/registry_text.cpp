// SPDX-License-Identifier: MIT
#include "watch/registry_text.h"

namespace zonedesk::watch {

std::string escapeMarkup(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace zonedesk::watch
