// SPDX-License-Identifier: MIT
// Built into zonedesk-icu.so alone. ICU's spoof checker, one per process: its check and skeleton
// calls are thread-safe once it is set up.
#include "core/spoof_check_module.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <unicode/uspoof.h>
#include <unicode/uversion.h>

#include "core/text.h"

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

constexpr int None = 0;
constexpr int MixedScripts = 1;
constexpr int LooksLikeAscii = 2;
constexpr int NoChecker = -1;

} // namespace

extern "C" __attribute__((visibility("default"))) int zonedesk_spoof_label_1(const char* utf8Label,
                                                                             std::size_t size)
{
    const USpoofChecker* spoof = checker();
    if (spoof == nullptr)
        return NoChecker;
    const std::string_view label(utf8Label, size);
    UErrorCode status = U_ZERO_ERROR;
    const auto length = static_cast<int32_t>(label.size());
    if (uspoof_checkUTF8(spoof, label.data(), length, nullptr, &status) != 0 || U_FAILURE(status))
        return MixedScripts;
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
        return None;
    skeleton.resize(std::min(static_cast<std::size_t>(written), skeleton.size()));
    return zonedesk::core::isAscii(skeleton) ? LooksLikeAscii : None;
}

extern "C" __attribute__((visibility("default"))) const char* zonedesk_module_version()
{
    static const std::string text = [] {
        UVersionInfo info{};
        u_getVersion(info);
        char version[U_MAX_VERSION_STRING_LENGTH] = {};
        u_versionToString(info, version);
        return std::string(version);
    }();
    return text.c_str();
}
