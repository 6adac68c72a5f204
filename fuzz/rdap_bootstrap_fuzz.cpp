// SPDX-License-Identifier: MIT
// The RDAP bootstrap reader on arbitrary bytes, as a download or a cache file may hold them: it
// answers with a bootstrap or a one-line reason, and every base it keeps is an http(s) URL ending
// in "/" that its own entry finds again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/rdap_bootstrap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk::core;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto bootstrap = RdapBootstrap::parse(text, error);
    if (!bootstrap) {
        if (error.empty() || error.find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    for (const auto& [entry, base] : bootstrap->bases()) {
        const bool web = base.starts_with("https://") || base.starts_with("http://");
        if (!web || !base.ends_with('/') || bootstrap->baseFor(entry) != base)
            std::abort();
    }
    if (!compareBootstraps(*bootstrap, *bootstrap).empty())
        std::abort();
    return 0;
}
