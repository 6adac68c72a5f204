// SPDX-License-Identifier: MIT
#include "watch/watch_timer.h"
