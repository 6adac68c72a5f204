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

/// The module's check; none (no name counts as confusable) when the module is missing or ICU's
/// checker cannot be set up.
const ModuleFunction<SpoofLabelCheck>& loadedCheck()
{
    static const ModuleFunction<SpoofLabelCheck> loaded = [] {
        auto check = moduleFunction<SpoofLabelCheck>(SpoofModule, SpoofLabelEntry);
        if (check.function != nullptr && check.function("a", 1) < 0)
            return ModuleFunction<SpoofLabelCheck>{nullptr, "ICU's spoof checker cannot be set up"};
        return check;
    }();
    return loaded;
}

} // namespace

NameConfusion nameConfusion(std::string_view utf8Name)
{
    if (isAscii(utf8Name))
        return NameConfusion::None;
    SpoofLabelCheck* const check = loadedCheck().function;
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
