// SPDX-License-Identifier: MIT
#include "watch/notify_target.h"
