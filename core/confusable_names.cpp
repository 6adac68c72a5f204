// SPDX-License-Identifier: MIT
// ICU's spoof checker, one per process: its check and skeleton calls are thread-safe once it is set up.
#include "core/confusable_names.h"

#include <algorithm>
#include <memory>

#include <unicode/uspoof.h>

#include "core/encodings.h"
#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::core {

namespace {

struct CloseChecker
{
    void operator()(USpoofChecker* checker) const { uspoof_close(checker); }
};

using Checker = std::unique_ptr<USpoofChecker, CloseChecker>;

/// Highly restrictive (UTS #39 5.2): one script, or Latin with Han and kana, Bopomofo or Hangul,
/// as Chinese, Japanese and Korean names are written; plus invisible marks and mixed digit sets.
Checker makeChecker()
{
    UErrorCode status = U_ZERO_ERROR;
    Checker checker(uspoof_open(&status));
    if (U_FAILURE(status))
        return nullptr;
    uspoof_setRestrictionLevel(checker.get(), USPOOF_HIGHLY_RESTRICTIVE);
    uspoof_setChecks(
        checker.get(), USPOOF_RESTRICTION_LEVEL | USPOOF_INVISIBLE | USPOOF_MIXED_NUMBERS, &status);
    return U_FAILURE(status) ? nullptr : std::move(checker);
}

const USpoofChecker* checker()
{
    static const Checker instance = makeChecker();
    return instance.get();
}

NameConfusion labelConfusion(const USpoofChecker* spoof, std::string_view label)
{
    UErrorCode status = U_ZERO_ERROR;
    const auto length = static_cast<int32_t>(label.size());
    if (uspoof_checkUTF8(spoof, label.data(), length, nullptr, &status) != 0 || U_FAILURE(status))
        return NameConfusion::MixedScripts;
    // The skeleton is the form confusable strings share: an ASCII skeleton of a non-ASCII label
    // means it can be read as that ASCII label.
    std::string skeleton(label.size() * 2 + 16, '\0');
    int32_t written = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = U_ZERO_ERROR;
        written = uspoof_getSkeletonUTF8(
            spoof, 0, label.data(), length, skeleton.data(), static_cast<int32_t>(skeleton.size()), &status);
        if (status != U_BUFFER_OVERFLOW_ERROR || written <= 0)
            break;
        skeleton.assign(static_cast<std::size_t>(written) + 1, '\0');
    }
    if (U_FAILURE(status) || written < 0)
        return NameConfusion::None;
    skeleton.resize(std::min(static_cast<std::size_t>(written), skeleton.size()));
    return isAscii(skeleton) ? NameConfusion::LooksLikeAscii : NameConfusion::None;
}

} // namespace

NameConfusion nameConfusion(std::string_view utf8Name)
{
    const USpoofChecker* spoof = checker();
    if (spoof == nullptr || isAscii(utf8Name))
        return NameConfusion::None;
    while (!utf8Name.empty()) {
        const std::size_t dot = utf8Name.find('.');
        const std::string_view label = utf8Name.substr(0, dot);
        if (!isAscii(label)) {
            if (const NameConfusion confusion = labelConfusion(spoof, label);
                confusion != NameConfusion::None)
                return confusion;
        }
        if (dot == std::string_view::npos)
            break;
        utf8Name.remove_prefix(dot + 1);
    }
    return NameConfusion::None;
}

std::optional<std::string> confusableALabel(std::string_view gbkDomain)
{
    if (isAscii(gbkDomain) || nameConfusion(gbkToUtf8(gbkDomain)) == NameConfusion::None)
        return std::nullopt;
    return whoisQueryName(gbkDomain);
}

} // namespace zonedesk::core
