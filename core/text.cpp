// SPDX-License-Identifier: MIT
#include "core/text.h"

#include "core/encodings.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view HexDigits = "0123456789abcdef";

/// "\x1b".
void appendHexEscape(std::string& out, unsigned char byte)
{
    out += "\\x";
    out.push_back(HexDigits[byte >> 4]);
    out.push_back(HexDigits[byte & 0x0F]);
}

bool isC1(std::string_view character)
{
    return character.size() == 2 && character[0] == '\xC2' && static_cast<unsigned char>(character[1]) < 0xA0;
}

/// Whether the control character at `pos` is a line's own break or tab, kept as it is.
bool keptBreak(std::string_view text, std::size_t pos, LineBreaks breaks)
{
    if (breaks == LineBreaks::Escaped)
        return false;
    return text[pos] == '\t' || text[pos] == '\n' ||
           (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n');
}

} // namespace

bool runsAsFormula(std::string_view cell)
{
    return !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos;
}

std::string safeToShow(std::string_view text, LineBreaks breaks)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            if (keptBreak(text, i, breaks))
                out.push_back(text[i]);
            else
                appendHexEscape(out, byte);
            ++i;
            continue;
        }
        const Utf8Char next = utf8CharAt(text, i);
        const std::size_t length = next.length;
        if (length == 0) {
            // A byte of no UTF-8 character (GBK text passes): a C1 control's byte is escaped.
            if (byte < 0xA0)
                appendHexEscape(out, byte);
            else
                out.push_back(text[i]);
            ++i;
            continue;
        }
        const std::string_view character = text.substr(i, length);
        if (isC1(character)) {
            for (const char c : character)
                appendHexEscape(out, static_cast<unsigned char>(c));
        } else if (reordersText(next.point)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out.push_back(HexDigits[(next.point >> shift) & 0x0F]);
        } else {
            out.append(character);
        }
        i += length;
    }
    return out;
}

} // namespace zonedesk::core
