// SPDX-License-Identifier: MIT
// The branches of the three registry families, indexed by the server they read.
#include <array>
#include <cstddef>

#include "parse/branch.h"
#include "parse/country_registries.h"
#include "parse/thick_registries.h"
#include "parse/thin_registries.h"

namespace zonedesk::parse {

namespace {

using BranchTable = std::array<const Branch*, core::WhoisServerCount>;

/// Every branch at its server's index; an index that two branches claim, or none, stays or becomes
/// null, which the check below refuses.
constexpr BranchTable indexBranches()
{
    BranchTable table{};
    std::array<int, core::WhoisServerCount> claims{};
    for (const auto family : {std::span<const Branch>(thin::ThinBranches),
                              std::span<const Branch>(thick::ThickBranches),
                              std::span<const Branch>(country::CountryBranches)}) {
        for (const Branch& branch : family) {
            const auto index = static_cast<std::size_t>(branch.server);
            table[index] = ++claims[index] == 1 ? &branch : nullptr;
        }
    }
    return table;
}

constexpr BranchTable BranchByServer = indexBranches();

constexpr bool everyServerHasOneBranch()
{
    for (const Branch* branch : BranchByServer) {
        if (branch == nullptr)
            return false;
    }
    return true;
}

static_assert(everyServerHasOneBranch(), "every WhoisServer needs exactly one branch");

} // namespace

const Branch& branchFor(core::WhoisServer server)
{
    return *BranchByServer[static_cast<std::size_t>(server)];
}

} // namespace zonedesk::parse
