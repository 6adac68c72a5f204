// SPDX-License-Identifier: MIT
// A domain list file as lines: read as a stream in chunks, every line and the whole read bounded,
// its encoding taken from a byte-order mark, from its bytes, or from the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::listfile {

enum class ListEncoding : std::uint8_t
{
    Auto, // a byte-order mark; otherwise UTF-8 if the bytes are UTF-8 with non-ASCII text, else GBK
    Gbk,
    Utf8,
    Utf16, // only from a byte-order mark
};

/// "GBK", "UTF-8", "UTF-16", or "ASCII" for Auto (nothing but ASCII was read, the same in all).
std::string_view encodingName(ListEncoding encoding);

/// Reads lines from a descriptor it does not own. A line ends at LF, CR LF or a lone CR; the end is
/// not part of it. Memory stays bounded whatever the input: a line longer than its cap (LineCap
/// unless the caller reads longer lines) is
/// reported as overlong without being held, and reading stops after ReadLimit bytes or at a NUL
/// byte (binary data, not a list). UI thread or CLI; one reader per descriptor.
class ListReader
{
public:
    static constexpr std::size_t LineCap = 4096;
    static constexpr std::uint64_t ReadLimit = std::uint64_t{64} << 20;
    static constexpr std::size_t ChunkSize = std::size_t{64} << 10;

    enum class End : std::uint8_t
    {
        None, // still reading
        EndOfFile,
        ReadError, // see error()
        Binary,    // a NUL byte outside UTF-16 text
        ReadLimit, // ReadLimit bytes were read
    };

    struct Line
    {
        std::string_view bytes; // in the file's encoding (UTF-8 for UTF-16 files); empty if overlong
        bool overlong = false;
        std::int64_t number = 0; // 1 for the first line
    };

    ListReader(int fd, ListEncoding encoding, std::size_t lineCap = LineCap);

    /// The next line, or nullopt once the input has ended (see end()). The view lives until the
    /// next call.
    std::optional<Line> next();

    /// The encoding of `line`'s bytes: the forced or detected one; a line with non-ASCII bytes in a
    /// file still undecided decides it. Gbk or Utf8 (UTF-16 text arrives as UTF-8).
    ListEncoding lineEncoding(std::string_view line);

    /// The encoding as detected so far (Auto while only ASCII was read).
    ListEncoding encoding() const { return m_encoding; }

    End end() const { return m_end; }

    int error() const { return m_error; }

    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    bool fill();
    bool readRaw(std::string& raw);
    void detectOnFirstChunk(std::string& raw);

    int m_fd;
    std::size_t m_lineCap;
    ListEncoding m_encoding;
    bool m_forced;
    bool m_started = false;
    std::string m_buffer; // decoded bytes not yet split
    std::size_t m_pos = 0;
    std::string m_line;
    std::string m_utf16Carry; // a cut UTF-16 unit or surrogate pair waiting for its rest
    bool m_overlong = false;
    bool m_lineOpen = false; // bytes of a line without its end have been taken
    bool m_afterCr = false;  // the last line ended in CR: a following LF belongs to it
    std::int64_t m_number = 0;
    std::uint64_t m_bytesRead = 0;
    End m_end = End::None;
    int m_error = 0;
};

} // namespace zonedesk::listfile
