// SPDX-License-Identifier: MIT
#include "listfile/list_reader.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

#include "core/encodings.h"
#include "core/text.h"

namespace zonedesk::listfile {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LeBom = "\xFF\xFE";
constexpr std::string_view Utf16BeBom = "\xFE\xFF";

/// How many bytes at the end of `utf16` must wait for the next chunk: an odd byte, and a high
/// surrogate whose low half has not arrived.
std::size_t utf16Tail(std::string_view utf16, bool bigEndian)
{
    std::size_t tail = utf16.size() % 2;
    if (utf16.size() >= tail + 2) {
        const std::size_t at = utf16.size() - tail - 2;
        const auto high = static_cast<unsigned char>(utf16[bigEndian ? at : at + 1]);
        if (high >= 0xD8 && high <= 0xDB)
            tail += 2;
    }
    return tail;
}

} // namespace

std::string_view encodingName(ListEncoding encoding)
{
    switch (encoding) {
    case ListEncoding::Auto: return "ASCII";
    case ListEncoding::Gbk: return "GBK";
    case ListEncoding::Utf8: return "UTF-8";
    case ListEncoding::Utf16: return "UTF-16";
    }
    return {};
}

ListReader::ListReader(int fd, ListEncoding encoding, std::size_t lineCap)
    : m_fd(fd)
    , m_lineCap(lineCap)
    , m_encoding(encoding)
    , m_forced(encoding != ListEncoding::Auto)
{}

bool ListReader::readRaw(std::string& raw)
{
    if (m_bytesRead >= ReadLimit) {
        m_end = End::ReadLimit;
        return false;
    }
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(ChunkSize, ReadLimit - m_bytesRead));
    const std::size_t start = raw.size();
    raw.resize(start + wanted);
    ssize_t n = 0;
    do {
        n = ::read(m_fd, raw.data() + start, wanted);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        m_error = errno;
        m_end = End::ReadError;
        raw.resize(start);
        return false;
    }
    raw.resize(start + static_cast<std::size_t>(n));
    m_bytesRead += static_cast<std::uint64_t>(n);
    if (n == 0)
        m_end = End::EndOfFile;
    return n > 0;
}

void ListReader::detectOnFirstChunk(std::string& raw)
{
    // A pipe may hand over the first bytes one by one: a mark needs three.
    while (raw.size() < Utf8Bom.size() && readRaw(raw)) {
    }
    const std::string_view start = raw;
    if (start.starts_with(Utf8Bom)) {
        raw.erase(0, Utf8Bom.size());
        if (!m_forced)
            m_encoding = ListEncoding::Utf8;
    } else if (start.starts_with(Utf16LeBom) || start.starts_with(Utf16BeBom)) {
        // Only a mark makes a file UTF-16; it holds whatever the caller asked for.
        m_encoding = ListEncoding::Utf16;
        m_utf16Carry = start.starts_with(Utf16BeBom) ? "\xFE\xFF" : "\xFF\xFE";
        raw.erase(0, 2);
    } else if (!m_forced && !core::isAscii(raw)) {
        m_encoding = core::isUtf8(raw, true) ? ListEncoding::Utf8 : ListEncoding::Gbk;
    }
}

bool ListReader::fill()
{
    m_buffer.clear();
    m_pos = 0;
    while (m_buffer.empty() && m_end == End::None) {
        std::string raw;
        readRaw(raw);
        if (!m_started) {
            m_started = true;
            detectOnFirstChunk(raw);
        }
        if (m_encoding != ListEncoding::Utf16) {
            m_buffer = std::move(raw);
            continue;
        }
        // The carry starts with the mark, which tells the byte order on every chunk.
        const bool bigEndian = m_utf16Carry.starts_with(Utf16BeBom);
        std::string units = m_utf16Carry.substr(2) + raw;
        const std::size_t tail = m_end == End::None ? utf16Tail(units, bigEndian) : 0;
        m_utf16Carry.resize(2);
        m_utf16Carry.append(units, units.size() - tail, tail);
        units.resize(units.size() - tail);
        m_buffer = core::utf16ToUtf8(units, bigEndian);
    }
    return !m_buffer.empty();
}

std::optional<ListReader::Line> ListReader::next()
{
    m_line.clear();
    m_overlong = false;
    for (;;) {
        if (m_pos == m_buffer.size() && !fill()) {
            // The last line counts even without a line end.
            if (!m_lineOpen || m_end == End::Binary)
                return std::nullopt;
            m_lineOpen = false;
            return Line{m_overlong ? std::string_view() : std::string_view(m_line), m_overlong, ++m_number};
        }
        const std::string_view rest = std::string_view(m_buffer).substr(m_pos);
        if (m_afterCr) {
            m_afterCr = false;
            if (rest.front() == '\n') {
                ++m_pos;
                continue;
            }
        }
        const std::size_t stop = rest.find_first_of(std::string_view("\n\r\0", 3));
        const std::string_view part = rest.substr(0, stop);
        if (!m_overlong) {
            if (m_line.size() + part.size() > m_lineCap) {
                m_overlong = true;
                m_line.clear();
            } else {
                m_line.append(part);
            }
        }
        if (stop == std::string_view::npos) {
            m_pos = m_buffer.size();
            m_lineOpen = m_lineOpen || !part.empty();
            continue;
        }
        m_pos += stop + 1;
        if (rest[stop] == '\0') {
            m_end = End::Binary;
            m_buffer.clear();
            m_pos = 0;
            return std::nullopt;
        }
        m_afterCr = rest[stop] == '\r';
        m_lineOpen = false;
        return Line{m_overlong ? std::string_view() : std::string_view(m_line), m_overlong, ++m_number};
    }
}

ListEncoding ListReader::lineEncoding(std::string_view line)
{
    if (m_encoding == ListEncoding::Utf16)
        return ListEncoding::Utf8;
    if (m_encoding == ListEncoding::Auto && !core::isAscii(line))
        m_encoding = core::isUtf8(line) ? ListEncoding::Utf8 : ListEncoding::Gbk;
    return m_encoding == ListEncoding::Auto ? ListEncoding::Gbk : m_encoding;
}

} // namespace zonedesk::listfile
