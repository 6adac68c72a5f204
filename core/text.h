// SPDX-License-Identifier: MIT
// Small byte-text helpers shared by the parsers and readers (ASCII rules; GBK bytes pass through).
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::core {

/// Code points that would move or hide text on a reader's screen: the line and paragraph
/// separators, and the bidirectional embeddings, overrides and isolates. Text a registry wrote is
/// never shown with them, wherever it is shown (a terminal, a message, a notification).
constexpr bool reordersText(std::uint32_t point)
{
    return point == 0x2028 || point == 0x2029 || (point >= 0x202A && point <= 0x202E) ||
           (point >= 0x2066 && point <= 0x2069);
}

enum class LineBreaks : std::uint8_t
{
    Escaped, // one line: tab, CR and LF are escaped like every other control
    Kept,    // text of many lines: tab, LF and CR before LF stay
};

/// Text from outside (a registry, a server, a file) as it may be shown on a terminal or in a
/// message without steering it: every C0 control (but the line breaks `breaks` keeps), DEL and C1
/// control (also a raw byte 0x80-0x9F outside a UTF-8 character) as "\x1b", and every character
/// that reorders text (reordersText) as "\u202e". Other bytes pass as they are (GBK too). The one
/// function for it: everything printed from outside goes through it.
std::string safeToShow(std::string_view text, LineBreaks breaks = LineBreaks::Escaped);

/// Whether a spreadsheet would run `cell` as a formula (it begins with =, +, -, @, a tab or a CR):
/// text from a registry that does is written with an apostrophe before it wherever it goes to a
/// spreadsheet (the exports and the copied rows).
bool runsAsFormula(std::string_view cell);

/// ASCII's digits and letters, whatever the locale (the C library's isdigit and isalpha read the
/// locale, and take no negative char).
constexpr bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// Whether every byte of `text` is ASCII (so it is the same text in GBK and in UTF-8).
constexpr bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// The C library's white space: blank, tab, CR, LF, vertical tab, form feed.
inline constexpr std::string_view WhiteSpace = " \t\r\n\v\f";

/// `text` without leading and trailing bytes of `blanks`.
constexpr std::string_view trim(std::string_view text, std::string_view blanks = WhiteSpace)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

/// The lines of `text` as splitLines gives them, one at a time: a reply of a million short lines
/// is read without a vector of a million views.
class EachLine
{
public:
    class Iterator
    {
    public:
        explicit Iterator(std::string_view text)
            : m_rest(text)
            , m_done(text.empty())
        {
            take();
        }

        std::string_view operator*() const { return m_line; }

        Iterator& operator++()
        {
            m_done = m_last;
            take();
            return *this;
        }

        bool operator==(std::default_sentinel_t) const { return m_done; }

    private:
        void take()
        {
            if (m_done)
                return;
            const std::size_t end = m_rest.find('\n');
            m_line = m_rest.substr(0, end);
            if (m_line.ends_with('\r'))
                m_line.remove_suffix(1);
            m_last = end == std::string_view::npos || end + 1 == m_rest.size();
            m_rest.remove_prefix(m_last ? m_rest.size() : end + 1);
        }

        std::string_view m_rest;
        std::string_view m_line;
        bool m_done;
        bool m_last = false;
    };

    explicit EachLine(std::string_view text)
        : m_text(text)
    {}

    Iterator begin() const { return Iterator(m_text); }

    static std::default_sentinel_t end() { return {}; }

private:
    std::string_view m_text;
};

/// The lines of `text` without their LF or CR LF ends; a last line without an end counts.
inline std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

/// `c` lowered if it is A-Z, else as it is.
constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// `text` with A-Z lowered (every other byte as it is, so not for GBK-aware work).
inline std::string asciiLower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return asciiLower(c); });
    return out;
}

} // namespace zonedesk::core
