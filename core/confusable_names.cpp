// SPDX-License-Identifier: MIT
// The label check is ICU's, in a module loaded when a name first has a label beyond ASCII.
#include "core/confusable_names.h"

#include "core/encodings.h"
#include "core/optional_module.h"
#include "core/spoof_check_module.h"
#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::core {

namespace {

struct LoadedCheck
{
    SpoofLabelCheck* check = nullptr; // nullptr when the module is missing: no name counts as confusable
    std::string why;
};

const LoadedCheck& loadedCheck()
{
    static const LoadedCheck loaded = [] {
        LoadedCheck result;
        result.check = moduleFunction<SpoofLabelCheck>(SpoofModule, SpoofLabelEntry, result.why);
        if (result.check != nullptr && result.check("a", 1) < 0) {
            result.check = nullptr;
            result.why = "ICU's spoof checker cannot be set up";
        }
        return result;
    }();
    return loaded;
}

} // namespace

NameConfusion nameConfusion(std::string_view utf8Name)
{
    if (isAscii(utf8Name))
        return NameConfusion::None;
    SpoofLabelCheck* const check = loadedCheck().check;
    if (check == nullptr)
        return NameConfusion::None;
    while (!utf8Name.empty()) {
        const std::size_t dot = utf8Name.find('.');
        const std::string_view label = utf8Name.substr(0, dot);
        if (!isAscii(label)) {
            const int confusion = check(label.data(), label.size());
            if (confusion == static_cast<int>(NameConfusion::MixedScripts) ||
                confusion == static_cast<int>(NameConfusion::LooksLikeAscii))
                return static_cast<NameConfusion>(confusion);
        }
        if (dot == std::string_view::npos)
            break;
        utf8Name.remove_prefix(dot + 1);
    }
    return NameConfusion::None;
}

std::string confusionUnchecked()
{
    return loadedCheck().why;
}

std::optional<std::string> confusableALabel(std::string_view gbkDomain)
{
    if (isAscii(gbkDomain) || nameConfusion(gbkToUtf8(gbkDomain)) == NameConfusion::None)
        return std::nullopt;
    return whoisQueryName(gbkDomain);
}

} // namespace zonedesk::core
