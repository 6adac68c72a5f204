// SPDX-License-Identifier: MIT
#include "watch/watch_config.h"
