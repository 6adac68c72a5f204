// SPDX-License-Identifier: MIT
// Peak memory of reading JSON that is nothing but open brackets: an RDAP answer of 1 MiB of "[",
// and a bootstrap file of 4 MiB of it, each read in a child process of its own so that each peak
// is its own. Beside each, what nlohmann-json costs when it is handed the text unjudged (the
// readers before their depth check). Target: the readers cost next to nothing over the baseline.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/rdap_bootstrap.h"
#include "parse/rdap_reading.h"

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

/// The peak resident set, KiB, of a child process that runs `work`; -1 when it could not be run.
long childPeakKiB(const std::function<void()>& work)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return -1;
    return usage.ru_maxrss;
}

} // namespace

int main()
{
    const std::string answer(std::size_t{1} << 20, '[');
    const std::string bootstrap(zonedesk::core::MaxBootstrapBytes, '[');
    const long baseline = childPeakKiB([] {});
    const auto report = [baseline](const char* what, long peak) {
        std::printf("%-58s %8ld KiB peak, %8ld KiB over the baseline\n", what, peak, peak - baseline);
    };
    report("baseline (a child that does nothing)", baseline);
    report("RDAP answer, 1 MiB of '[': readRdap", childPeakKiB([&answer] {
               static_cast<void>(zonedesk::parse::readRdap(200, answer, "example.com"));
           }));
    report("RDAP answer, 1 MiB of '[': json::parse unjudged", childPeakKiB([&answer] {
               [[maybe_unused]] const json document = json::parse(answer, nullptr, false);
           }));
    report("bootstrap, 4 MiB of '[': RdapBootstrap::parse", childPeakKiB([&bootstrap] {
               std::string error;
               static_cast<void>(zonedesk::core::RdapBootstrap::parse(bootstrap, error));
           }));
    report("bootstrap, 4 MiB of '[': json::parse keeping 4 levels", childPeakKiB([&bootstrap] {
               const json::parser_callback_t keep = [](int depth, json::parse_event_t, json&) {
                   return depth <= 3;
               };
               [[maybe_unused]] const json document = json::parse(bootstrap, keep, false);
           }));
    return 0;
}
