// SPDX-License-Identifier: MIT
#include "tests/support/data_home.h"

#include <cstdlib>

#include "tests/support/temp_dir.h"

namespace zonedesk::test {

void isolateDataHome()
{
    static const TempDir folder;
    ::setenv("XDG_DATA_HOME", folder.path().c_str(), 1);
}

} // namespace zonedesk::test
