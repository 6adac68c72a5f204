// SPDX-License-Identifier: MIT
// iconv-based conversions in two steps (source -> UTF-32 -> target), so that a byte the source
// cannot decode and a character the target cannot hold can be told apart and handled differently.
#include "core/encodings.h"

#include <cerrno>
#include <optional>

#include <iconv.h>
#include <unicode/utf8.h>

#include "core/text.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view Gbk = "CP936";
constexpr std::string_view Utf8 = "UTF-8";
constexpr std::string_view Utf32 = "UTF-32LE";
constexpr char32_t ReplacementCharacter = 0xFFFD;

class Converter
{
public:
    Converter(std::string_view to, std::string_view from)
        : m_cd(iconv_open(std::string(to).c_str(), std::string(from).c_str()))
    {}

    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }

    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // iconv_open's failure value is (iconv_t)-1 by its contract.
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); } // NOLINT(performance-no-int-to-ptr)

    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

enum class OnInvalid
{
    Drop,
    Replace,
};

/// Decodes `in` from `from` into code points; a byte that cannot be decoded is dropped or replaced.
std::optional<std::u32string> decode(std::string_view in, std::string_view from, OnInvalid onInvalid)
{
    Converter cd(Utf32, from);
    if (!cd.valid())
        return std::nullopt;

    std::u32string out;
    char32_t buffer[256];
    auto* inPtr = const_cast<char*>(in.data()); // iconv's signature; the input is not written
    std::size_t inLeft = in.size();
    bool flushed = false;
    while (!flushed) {
        auto* outPtr = reinterpret_cast<char*>(buffer);
        std::size_t outLeft = sizeof(buffer);
        // Once the input is used up, one call with a null input flushes shift states (ISO-2022-JP).
        const bool atEnd = inLeft == 0;
        const std::size_t rc = atEnd ? iconv(cd.handle(), nullptr, nullptr, &outPtr, &outLeft)
                                     : iconv(cd.handle(), &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.append(buffer,
                   static_cast<std::size_t>(outPtr - reinterpret_cast<char*>(buffer)) / sizeof(char32_t));
        if (rc != static_cast<std::size_t>(-1)) {
            flushed = atEnd;
            continue;
        }
        if (error == E2BIG)
            continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): skip one byte and go on.
        if (inLeft == 0) {
            flushed = true;
            continue;
        }
        ++inPtr;
        --inLeft;
        if (onInvalid == OnInvalid::Replace)
            out.push_back(ReplacementCharacter);
    }
    return out;
}

/// Encodes code points into `to`; a code point the target cannot hold becomes '?'.
std::optional<std::string> encode(const std::u32string& in, std::string_view to)
{
    Converter cd(to, Utf32);
    if (!cd.valid())
        return std::nullopt;

    std::string out;
    char buffer[1024];
    for (const char32_t ch : in) {
        auto* inPtr = reinterpret_cast<char*>(const_cast<char32_t*>(&ch));
        std::size_t inLeft = sizeof(ch);
        auto* outPtr = buffer;
        std::size_t outLeft = sizeof(buffer);
        if (iconv(cd.handle(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            out.push_back('?');
            continue;
        }
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    }
    auto* outPtr = buffer;
    std::size_t outLeft = sizeof(buffer);
    if (iconv(cd.handle(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return out;
}

std::string convert(std::string_view in, std::string_view from, std::string_view to, OnInvalid onInvalid)
{
    const auto codePoints = decode(in, from, onInvalid);
    if (!codePoints)
        return {};
    return encode(*codePoints, to).value_or(std::string());
}

} // namespace

// GBK and UTF-8 both keep ASCII as it is: most fields are ASCII, and opening two converters for
// each of them was most of what storing a lookup cost.
std::string gbkToUtf8(std::string_view gbk)
{
    return isAscii(gbk) ? std::string(gbk) : convert(gbk, Gbk, Utf8, OnInvalid::Replace);
}

std::string utf8ToGbk(std::string_view utf8)
{
    return isAscii(utf8) ? std::string(utf8) : convert(utf8, Utf8, Gbk, OnInvalid::Drop);
}

std::optional<std::string> utf8ToGbkExact(std::string_view utf8)
{
    Converter cd(Gbk, Utf8);
    if (!cd.valid())
        return std::nullopt;
    std::string out(utf8.size() + 8, '\0');       // GBK never takes more bytes than UTF-8 for a character
    auto* inPtr = const_cast<char*>(utf8.data()); // iconv's signature; the input is not written
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd.handle(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

std::string utf16ToUtf8(std::string_view utf16, bool bigEndian)
{
    return convert(utf16, bigEndian ? "UTF-16BE" : "UTF-16LE", Utf8, OnInvalid::Replace);
}

Utf8Char utf8CharAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size())
        return {};
    // At most four bytes make a character: ICU's offsets stay small whatever the text's size.
    const std::string_view rest = text.substr(pos, 4);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(rest.data());
    std::int32_t at = 0;
    UChar32 point = 0;
    U8_NEXT(bytes, at, static_cast<std::int32_t>(rest.size()), point);
    if (point < 0)
        return {};
    return {static_cast<std::uint32_t>(point), static_cast<std::size_t>(at)};
}

bool isUtf8(std::string_view text, bool mayBeCut)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80;  // bounds of the first continuation byte (no overlong forms, no
        unsigned char high = 0xBF; // surrogates, nothing above U+10FFFF)
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k >= text.size())
                return mayBeCut;
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

std::string iso2022jpToUtf8(std::string_view iso2022jp)
{
    return convert(iso2022jp, "ISO-2022-JP", Utf8, OnInvalid::Drop);
}

std::string iso2022jpToGbk(std::string_view iso2022jp)
{
    return convert(iso2022jp, "ISO-2022-JP", Gbk, OnInvalid::Drop);
}

} // namespace zonedesk::core
